// An app's end of the instrument's NMEA stream on the loopback: a TCP
// client that reads what comes, a UDP listener, and the process's own
// descriptors and heap, to tell that nothing leaks.
#pragma once

#include <chrono>
#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

using namespace std::chrono_literals;

class StreamClient {
 public:
  // Connects to `address`:`port` (IPv4); `receiveBuffer` > 0 shrinks the
  // socket's receive buffer first (a client that stops reading fills sooner).
  explicit StreamClient(int port, const char* address = "127.0.0.1", int receiveBuffer = 0);
  ~StreamClient() { Close(); }
  StreamClient(const StreamClient&) = delete;
  StreamClient& operator=(const StreamClient&) = delete;

  bool Connected() const { return m_bConnected; }
  int Fd() const { return m_fd; }
  // Reads until `lines` line ends have come in all, the server closes or
  // `deadline` passes; everything read so far.
  const std::string& ReadLines(std::size_t lines, std::chrono::milliseconds deadline = 10s);
  // Reads whatever is there now, without waiting; false once the server has closed.
  bool ReadAvailable();
  // True when the server closes the connection within `deadline`.
  bool ClosedByServer(std::chrono::milliseconds deadline = 10s);
  bool Send(std::string_view bytes);
  const std::string& Received() const { return m_received; }
  // Leaves with a reset, as a phone that loses the network.
  void Abort();
  void Close();

 private:
  int m_fd = -1;
  bool m_bConnected = false;
  bool m_bClosedByServer = false;
  std::string m_received;
};

// A UDP socket on the loopback that the datagrams are sent to.
class DatagramListener {
 public:
  DatagramListener();
  ~DatagramListener();
  int Port() const { return m_nPort; }
  // The next datagram, or "" when none comes within `deadline`.
  std::string Receive(std::chrono::milliseconds deadline = 5s);

 private:
  int m_fd = -1;
  int m_nPort = 0;
};

// Waits until `condition` holds, at most `deadline`; whether it does.
bool WaitFor(const std::function<bool()>& condition, std::chrono::milliseconds deadline = 10s);

// A port on the loopback that nothing listens on now.
int FreeTcpPort();

std::size_t OpenDescriptors();   // entries in /proc/self/fd
std::size_t LiveHeapBytes();     // allocated and not freed, sanitizers' allocators too
