// An app's end of the instrument's NMEA stream on the loopback, and the
// process's own descriptors and heap, to tell that nothing leaks.
#pragma once

#include <chrono>
#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

using namespace std::chrono_literals;

class StreamClient {
 public:
  // Connects to `address`:`port`; `receiveBuffer` > 0 shrinks the socket's
  // receive buffer first (a client that stops reading is full sooner).
  explicit StreamClient(int port, const char* address = "127.0.0.1", int receiveBuffer = 0);
  ~StreamClient();
  StreamClient(const StreamClient&) = delete;
  StreamClient& operator=(const StreamClient&) = delete;

  bool Connected() const { return m_bConnected; }
  int Fd() const { return m_fd; }
  // Reads what has come, without waiting; false once the server has closed.
  bool ReadAvailable();
  // Reads until `lines` line ends have come in all, the server closes or
  // `deadline` passes.
  const std::string& ReadLines(std::size_t lines, std::chrono::milliseconds deadline = 10s);
  bool Closed() const { return m_bClosed; }
  const std::string& Received() const { return m_received; }
  bool Send(std::string_view bytes);
  void Abort();   // leaves with a reset, as a phone that loses the network

 private:
  int m_fd;
  bool m_bConnected = false;
  bool m_bClosed = false;
  std::string m_received;
};

// A UDP socket on the loopback for the datagrams.
class DatagramListener {
 public:
  DatagramListener();
  ~DatagramListener();
  int Port() const { return m_nPort; }
  std::string Receive();   // the next datagram, "" when none comes within 5 s

 private:
  int m_fd;
  int m_nPort = 0;
};

// Waits until `condition` holds, at most `deadline`; whether it does.
bool WaitFor(const std::function<bool()>& condition, std::chrono::milliseconds deadline = 10s);
int FreeTcpPort();               // a loopback port nothing listens on now
// A socket listening on `port` of all addresses (IPv6 and IPv4), as another
// program, or the run before, holds it; -1 when it cannot be had. Closed on
// exec unless `keepAcrossExec`.
int ListenOnAllAddresses(int port, bool keepAcrossExec = false);
std::size_t OpenDescriptors();   // entries in /proc/self/fd
std::size_t LiveHeapBytes();     // allocated and not freed, sanitizers' allocators too
