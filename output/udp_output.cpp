#include "output/udp_output.h"

#include <cerrno>
#include <cstring>
#include <netdb.h>
#include <netinet/in.h>
#include <unistd.h>

UdpOutput::~UdpOutput() {
  if (m_fd >= 0) ::close(m_fd);
}

bool UdpOutput::IsNumericHost(const std::string& host) {
  addrinfo hints{};
  hints.ai_flags = AI_NUMERICHOST;
  hints.ai_socktype = SOCK_DGRAM;
  addrinfo* found = nullptr;
  if (::getaddrinfo(host.c_str(), nullptr, &hints, &found) != 0) return false;
  ::freeaddrinfo(found);
  return true;
}

std::string UdpOutput::Open(const std::string& host, int port) {
  addrinfo hints{};
  hints.ai_flags = AI_NUMERICSERV;
  hints.ai_socktype = SOCK_DGRAM;
  addrinfo* found = nullptr;
  if (const int error = ::getaddrinfo(host.c_str(), std::to_string(port).c_str(), &hints, &found)) {
    return ::gai_strerror(error);
  }
  std::memcpy(&m_target, found->ai_addr, found->ai_addrlen);
  m_nTargetLength = found->ai_addrlen;
  m_fd = ::socket(found->ai_family, SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
  ::freeaddrinfo(found);
  if (m_fd < 0) return std::strerror(errno);
  // A broadcast address is the pilot's choice: the kernel asks for this.
  const int on = 1;
  ::setsockopt(m_fd, SOL_SOCKET, SO_BROADCAST, &on, sizeof on);
  return {};
}

void UdpOutput::Send(std::string_view line) const {
  if (m_fd < 0) return;
  // Not connected: a host with nobody listening yet (ICMP port
  // unreachable) costs nothing but the datagram.
  ::sendto(m_fd, line.data(), line.size(), MSG_DONTWAIT | MSG_NOSIGNAL,
           reinterpret_cast<const sockaddr*>(&m_target), m_nTargetLength);
}
