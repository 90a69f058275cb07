#include "tests/support/stream_client.h"

#include <algorithm>
#include <arpa/inet.h>
#include <cerrno>
#include <filesystem>
#include <malloc.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
// The sanitizers' allocators keep their own count (GCC ships no header for it).
extern "C" std::size_t __sanitizer_get_current_allocated_bytes();
#endif

namespace {

sockaddr_in Loopback(const char* address, int port) {
  sockaddr_in to{};
  to.sin_family = AF_INET;
  to.sin_port = htons(static_cast<uint16_t>(port));
  ::inet_pton(AF_INET, address, &to.sin_addr);
  return to;
}

// The port a socket was bound to.
int BoundPort(int fd) {
  sockaddr_in at = Loopback("127.0.0.1", 0);
  ::bind(fd, reinterpret_cast<const sockaddr*>(&at), sizeof at);
  socklen_t length = sizeof at;
  ::getsockname(fd, reinterpret_cast<sockaddr*>(&at), &length);
  return ntohs(at.sin_port);
}

}  // namespace

StreamClient::StreamClient(int port, const char* address, int receiveBuffer)
    : m_fd(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0)) {
  if (receiveBuffer > 0) ::setsockopt(m_fd, SOL_SOCKET, SO_RCVBUF, &receiveBuffer, sizeof receiveBuffer);
  const sockaddr_in to = Loopback(address, port);
  m_bConnected = ::connect(m_fd, reinterpret_cast<const sockaddr*>(&to), sizeof to) == 0;
}

StreamClient::~StreamClient() {
  if (m_fd >= 0) ::close(m_fd);
}

bool StreamClient::ReadAvailable() {
  char buffer[4096];
  ssize_t count = 0;
  while ((count = ::recv(m_fd, buffer, sizeof buffer, MSG_DONTWAIT)) > 0) {
    m_received.append(buffer, static_cast<std::size_t>(count));
  }
  if (count == 0 || (errno != EAGAIN && errno != EINTR)) m_bClosed = true;
  return !m_bClosed;
}

const std::string& StreamClient::ReadLines(std::size_t lines, std::chrono::milliseconds deadline) {
  const auto end = std::chrono::steady_clock::now() + deadline;
  while (static_cast<std::size_t>(std::count(m_received.begin(), m_received.end(), '\n')) < lines &&
         std::chrono::steady_clock::now() < end) {
    pollfd fd{m_fd, POLLIN, 0};
    ::poll(&fd, 1, 10);
    if (!ReadAvailable()) break;
  }
  return m_received;
}

bool StreamClient::Send(std::string_view bytes) {
  return ::send(m_fd, bytes.data(), bytes.size(), MSG_NOSIGNAL | MSG_DONTWAIT) == static_cast<ssize_t>(bytes.size());
}

void StreamClient::Abort() {
  const linger reset{1, 0};
  ::setsockopt(m_fd, SOL_SOCKET, SO_LINGER, &reset, sizeof reset);
  ::close(m_fd);
  m_fd = -1;
}

DatagramListener::DatagramListener() : m_fd(::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0)), m_nPort(BoundPort(m_fd)) {}

DatagramListener::~DatagramListener() { ::close(m_fd); }

std::string DatagramListener::Receive() {
  pollfd fd{m_fd, POLLIN, 0};
  char buffer[2048];
  const ssize_t count = ::poll(&fd, 1, 5000) > 0 ? ::recv(m_fd, buffer, sizeof buffer, 0) : 0;
  return std::string(buffer, static_cast<std::size_t>(std::max<ssize_t>(count, 0)));
}

bool WaitFor(const std::function<bool()>& condition, std::chrono::milliseconds deadline) {
  const auto end = std::chrono::steady_clock::now() + deadline;
  while (!condition()) {
    if (std::chrono::steady_clock::now() > end) return false;
    std::this_thread::sleep_for(1ms);
  }
  return true;
}

int FreeTcpPort() {
  const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  const int port = BoundPort(fd);
  ::close(fd);
  return port;
}

int ListenOnAllAddresses(int port, bool keepAcrossExec) {
  const int fd = ::socket(AF_INET6, SOCK_STREAM | (keepAcrossExec ? 0 : SOCK_CLOEXEC), 0);
  const int off = 0, on = 1;
  ::setsockopt(fd, IPPROTO_IPV6, IPV6_V6ONLY, &off, sizeof off);
  ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
  sockaddr_in6 any{};
  any.sin6_family = AF_INET6;
  any.sin6_port = htons(static_cast<uint16_t>(port));
  if (::bind(fd, reinterpret_cast<const sockaddr*>(&any), sizeof any) != 0 || ::listen(fd, 16) != 0) {
    ::close(fd);
    return -1;
  }
  return fd;
}

std::size_t OpenDescriptors() {
  const auto entries = std::filesystem::directory_iterator("/proc/self/fd");
  return static_cast<std::size_t>(std::distance(begin(entries), end(entries)));
}

std::size_t LiveHeapBytes() {
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
  return __sanitizer_get_current_allocated_bytes();
#else
  return mallinfo2().uordblks;
#endif
}
