// The NMEA stream as UDP datagrams, one whole sentence each, to one host
// and port (a phone on the instrument's hotspot, an app listening on
// 10110; a broadcast address reaches every device on the network). A
// datagram the socket cannot take at once is dropped: the next sentence
// comes within a tenth of a second.
#pragma once

#include <string>
#include <string_view>
#include <sys/socket.h>

class UdpOutput {
 public:
  UdpOutput() = default;
  ~UdpOutput();
  UdpOutput(const UdpOutput&) = delete;
  UdpOutput& operator=(const UdpOutput&) = delete;

  // True when `host` is a numeric address, which Open resolves at once.
  static bool IsNumericHost(const std::string& host);

  // Resolves `host` (a name may wait for the name service) and opens the
  // socket. The empty text, or why not.
  std::string Open(const std::string& host, int port);
  bool IsOpen() const { return m_fd >= 0; }

  void Send(std::string_view line) const;

 private:
  int m_fd = -1;
  sockaddr_storage m_target{};
  socklen_t m_nTargetLength = 0;
};
