// The instrument's NMEA stream for the pilot's other programs (a phone's
// flight app, a glide computer): every sentence handed to PassOn, with its
// line end, goes to the TCP clients, the UDP target and the serial line
// that Output.txt names (settings/output_file.h).
//
// It never holds up the instrument. PassOn runs on the producing thread
// (the acquisition thread with the GPS port's sentences, the barometer's
// sampling thread with $LK8EX1) and writes the line straight into each
// receiver's socket without waiting; what a receiver cannot take at once
// waits in its bounded queue (TcpServer, SerialOutput). The output thread
// sleeps in poll() until the kernel has something for it: a client
// connecting, sending or leaving, room to flush a queue, a producer's wake
// (a queue begun, a client to drop), or the time to try a failed serial
// line again. One lock guards the receivers; it is only ever held for
// calls that return at once.
#pragma once

#include <atomic>
#include <chrono>
#include <cstddef>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>

#include "base/sentence_sink.h"
#include "output/tcp_server.h"
#include "settings/output_file.h"

class SerialOutput;
class UdpOutput;

class NmeaOutput final : public SentenceSink {
 public:
  using MessageHandler = std::function<void(std::string_view message)>;
  // A longer sentence is no NMEA and is not sent.
  static constexpr std::size_t kMaxSentenceBytes = 254;
  // A serial line that failed is tried again this often, as the GPS port is.
  static constexpr std::chrono::milliseconds kSerialReopenPause{500};

  NmeaOutput();
  ~NmeaOutput() override;   // Stop()
  NmeaOutput(const NmeaOutput&) = delete;
  NmeaOutput& operator=(const NmeaOutput&) = delete;

  // Opens what `settings` names and starts the output thread; nothing
  // named: nothing is opened and no thread started. Each output that cannot
  // be opened is reported once through `onMessage`, worded "Not open output
  // TCP 10110", "Not open output UDP HOST:PORT", "Not open output COM4"
  // (with the reason on standard error); the others go on. The messages
  // come from this call, except that of a UDP host given by name, which is
  // looked up on the output thread and reported from there. A serial line
  // that is not there yet is tried again until it is. `handed`: the TCP
  // server's sockets that the run before handed over (see Release), served
  // on where Output.txt still names that server, else closed.
  void Start(const OutputSettings& settings, MessageHandler onMessage, const ServerSockets& handed = {});

  // Closes everything and joins the thread; PassOn sends nothing after it.
  void Stop();
  // Stops as Stop does, but keeps the TCP server's sockets open across exec
  // for the run that takes the flight over (TcpServer::Release), and
  // returns them: the apps stay connected, and those that connect meanwhile
  // wait in the listening socket's backlog. Start may follow again.
  ServerSockets Release();

  // `sentence` from "$" to its checksum, without a line end: sent with CR LF.
  // Never blocks. Safe from any thread; costs one atomic load before Start.
  void PassOn(std::string_view sentence) override;

  // What is open now, for the tests and the start-up's report.
  int TcpPort() const;               // the port listened on; 0 without a server
  std::size_t TcpClients() const;    // clients connected
  std::size_t TcpConnections() const;  // connections taken so far, those turned away too
  std::size_t DroppedClients() const;  // clients dropped for not reading
  bool SerialOpen() const;
  bool UdpOpen() const;

 private:
  ServerSockets Release(bool handOver);
  void Report(const std::string& message, const std::string& reason) const;
  void OpenUdp(const std::string& host, int port, const std::string& target);
  void Run();
  void Wake() const;

  MessageHandler m_onMessage;
  int m_wakeFd;   // eventfd: a producer or Stop wants the thread to look again
  mutable std::mutex m_mutex;   // guards the three receivers below
  std::unique_ptr<TcpServer> m_pTcp;
  std::unique_ptr<UdpOutput> m_pUdp;
  std::unique_ptr<SerialOutput> m_pSerial;
  OutputSettings m_settings;
  std::atomic<bool> m_bSending{false};
  std::atomic<bool> m_bStop{false};
  std::thread m_thread;
};
