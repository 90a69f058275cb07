#include "tests/output/stream_client.h"

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

int MillisecondsLeft(std::chrono::steady_clock::time_point end) {
  const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - std::chrono::steady_clock::now());
  return static_cast<int>(std::max<long long>(0, left.count()));
}

}  // namespace

StreamClient::StreamClient(int port, const char* address, int receiveBuffer)
    : m_fd(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0)) {
  if (receiveBuffer > 0) ::setsockopt(m_fd, SOL_SOCKET, SO_RCVBUF, &receiveBuffer, sizeof receiveBuffer);
  const sockaddr_in to = Loopback(address, port);
  m_bConnected = ::connect(m_fd, reinterpret_cast<const sockaddr*>(&to), sizeof to) == 0;
}

bool StreamClient::ReadAvailable() {
  char buffer[4096];
  for (;;) {
    const ssize_t count = ::recv(m_fd, buffer, sizeof buffer, MSG_DONTWAIT);
    if (count > 0) {
      m_received.append(buffer, static_cast<std::size_t>(count));
      continue;
    }
    if (count == 0 || (errno != EAGAIN && errno != EINTR)) m_bClosedByServer = true;
    return !m_bClosedByServer;
  }
}

const std::string& StreamClient::ReadLines(std::size_t lines, std::chrono::milliseconds deadline) {
  const auto end = std::chrono::steady_clock::now() + deadline;
  while (static_cast<std::size_t>(std::count(m_received.begin(), m_received.end(), '\n')) < lines) {
    pollfd fd{m_fd, POLLIN, 0};
    if (::poll(&fd, 1, MillisecondsLeft(end)) <= 0 || !ReadAvailable()) break;
  }
  return m_received;
}

bool StreamClient::ClosedByServer(std::chrono::milliseconds deadline) {
  const auto end = std::chrono::steady_clock::now() + deadline;
  while (!m_bClosedByServer) {
    pollfd fd{m_fd, POLLIN, 0};
    if (::poll(&fd, 1, MillisecondsLeft(end)) <= 0) return false;
    ReadAvailable();
  }
  return true;
}

bool StreamClient::Send(std::string_view bytes) {
  return ::send(m_fd, bytes.data(), bytes.size(), MSG_NOSIGNAL | MSG_DONTWAIT) == static_cast<ssize_t>(bytes.size());
}

void StreamClient::Abort() {
  const linger reset{1, 0};
  ::setsockopt(m_fd, SOL_SOCKET, SO_LINGER, &reset, sizeof reset);
  Close();
}

void StreamClient::Close() {
  if (m_fd >= 0) ::close(m_fd);
  m_fd = -1;
}

DatagramListener::DatagramListener() : m_fd(::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0)) {
  sockaddr_in at = Loopback("127.0.0.1", 0);
  ::bind(m_fd, reinterpret_cast<const sockaddr*>(&at), sizeof at);
  socklen_t length = sizeof at;
  ::getsockname(m_fd, reinterpret_cast<sockaddr*>(&at), &length);
  m_nPort = ntohs(at.sin_port);
}

DatagramListener::~DatagramListener() { ::close(m_fd); }

std::string DatagramListener::Receive(std::chrono::milliseconds deadline) {
  pollfd fd{m_fd, POLLIN, 0};
  if (::poll(&fd, 1, static_cast<int>(deadline.count())) <= 0) return {};
  char buffer[2048];
  const ssize_t count = ::recv(m_fd, buffer, sizeof buffer, 0);
  return count > 0 ? std::string(buffer, static_cast<std::size_t>(count)) : std::string();
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
  sockaddr_in at = Loopback("127.0.0.1", 0);
  ::bind(fd, reinterpret_cast<const sockaddr*>(&at), sizeof at);
  socklen_t length = sizeof at;
  ::getsockname(fd, reinterpret_cast<sockaddr*>(&at), &length);
  ::close(fd);
  return ntohs(at.sin_port);
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
