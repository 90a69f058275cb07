#include "output/tcp_server.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

// Client input read at one wake: a client that floods the server cannot
// keep it busy for longer.
constexpr std::size_t kInputPerWake = 4096;
constexpr int kListenBacklog = 16;

void SetOption(int fd, int level, int name, int value) {
  ::setsockopt(fd, level, name, &value, sizeof value);
}

// A socket listening on the address `info`, or -1 with errno set.
int ListenOn(const sockaddr* address, socklen_t length) {
  const int fd = ::socket(address->sa_family, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
  if (fd < 0) return -1;
  // A restarted instrument takes its port back at once, though the old
  // connections linger in the kernel; a second listener is still refused.
  SetOption(fd, SOL_SOCKET, SO_REUSEADDR, 1);
  // All addresses: IPv4 clients too, on the same socket.
  if (address->sa_family == AF_INET6) SetOption(fd, IPPROTO_IPV6, IPV6_V6ONLY, 0);
  if (::bind(fd, address, length) != 0 || ::listen(fd, kListenBacklog) != 0) {
    const int error = errno;
    ::close(fd);
    errno = error;
    return -1;
  }
  return fd;
}

}  // namespace

TcpServer::~TcpServer() {
  for (const auto& client : m_clients) ::close(client->stream.Fd());
  if (m_listenFd >= 0) ::close(m_listenFd);
}

int TcpServer::Listen(int port, const std::string& address) {
  if (address.empty()) {
    sockaddr_in6 any6{};
    any6.sin6_family = AF_INET6;
    any6.sin6_addr = in6addr_any;
    any6.sin6_port = htons(static_cast<uint16_t>(port));
    m_listenFd = ListenOn(reinterpret_cast<const sockaddr*>(&any6), sizeof any6);
    if (m_listenFd >= 0 || errno != EAFNOSUPPORT) return m_listenFd >= 0 ? 0 : errno;
    sockaddr_in any4{};   // a kernel without IPv6
    any4.sin_family = AF_INET;
    any4.sin_addr.s_addr = htonl(INADDR_ANY);
    any4.sin_port = htons(static_cast<uint16_t>(port));
    m_listenFd = ListenOn(reinterpret_cast<const sockaddr*>(&any4), sizeof any4);
    return m_listenFd >= 0 ? 0 : errno;
  }
  addrinfo hints{};
  hints.ai_flags = AI_NUMERICHOST | AI_NUMERICSERV | AI_PASSIVE;
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* found = nullptr;
  if (::getaddrinfo(address.c_str(), std::to_string(port).c_str(), &hints, &found) != 0) return -1;
  m_listenFd = ListenOn(found->ai_addr, found->ai_addrlen);
  const int error = m_listenFd >= 0 ? 0 : errno;
  ::freeaddrinfo(found);
  return error;
}

int TcpServer::Port() const {
  sockaddr_storage address{};
  socklen_t length = sizeof address;
  if (m_listenFd < 0 || ::getsockname(m_listenFd, reinterpret_cast<sockaddr*>(&address), &length) != 0) return 0;
  const auto* any = reinterpret_cast<const sockaddr*>(&address);
  return ntohs(any->sa_family == AF_INET6 ? reinterpret_cast<const sockaddr_in6*>(&address)->sin6_port
                                          : reinterpret_cast<const sockaddr_in*>(&address)->sin_port);
}

bool TcpServer::Send(std::string_view line) {
  bool lookAgain = false;
  for (const auto& client : m_clients) {
    if (client->bGone || client->bStuck) continue;
    switch (client->stream.Write(line)) {
      case QueuedStream::Offer::kTaken:
        break;
      case QueuedStream::Offer::kFirstQueued:
        lookAgain = true;
        break;
      case QueuedStream::Offer::kFull:
        client->bStuck = true;
        lookAgain = true;
        break;
      case QueuedStream::Offer::kFailed:
        client->bGone = true;
        lookAgain = true;
        break;
    }
  }
  return lookAgain;
}

void TcpServer::AddPollFds(std::vector<pollfd>& fds) const {
  fds.push_back({m_listenFd, POLLIN, 0});
  for (const auto& client : m_clients) {
    const short events = static_cast<short>(POLLIN | (client->stream.HasQueued() ? POLLOUT : 0));
    fds.push_back({client->stream.Fd(), events, 0});
  }
}

void TcpServer::Serve(const pollfd* fds) {
  for (std::size_t i = 0; i < m_clients.size(); ++i) {
    Client& client = *m_clients[i];
    const short events = fds[1 + i].revents;
    if (events & (POLLIN | POLLHUP | POLLERR)) DiscardInput(client);
    if ((events & POLLOUT) && !client.bGone && !client.bStuck &&
        client.stream.FlushQueue() == QueuedStream::Flush::kFailed) {
      client.bGone = true;
    }
  }
  CloseFinished();
  if (fds[0].revents & POLLIN) AcceptWaiting();
}

void TcpServer::DiscardInput(Client& client) {
  std::array<char, kInputPerWake> junk;
  const ssize_t count = ::recv(client.stream.Fd(), junk.data(), junk.size(), MSG_DONTWAIT);
  // 0: the client has closed; an error other than "nothing now": broken.
  if (count == 0 || (count < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR)) {
    client.bGone = true;
  }
}

void TcpServer::CloseFinished() {
  const auto finished = [this](const std::unique_ptr<Client>& client) {
    if (!client->bGone && !client->bStuck) return false;
    if (client->bStuck) {
      // Reset at once: the kernel must not keep trying to deliver a
      // stalled client's backlog.
      const linger abort{1, 0};
      ::setsockopt(client->stream.Fd(), SOL_SOCKET, SO_LINGER, &abort, sizeof abort);
      ++m_nDropped;
    }
    ::close(client->stream.Fd());
    return true;
  };
  m_clients.erase(std::remove_if(m_clients.begin(), m_clients.end(), finished), m_clients.end());
}

void TcpServer::AcceptWaiting() {
  for (;;) {
    const int fd = ::accept4(m_listenFd, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
    // None waiting. (A process out of descriptors would find the next one
    // waiting at once; the instrument holds far fewer than its 1024.)
    if (fd < 0) return;
    ++m_nConnections;
    if (m_clients.size() >= kMaxClients) {
      ::close(fd);
      continue;
    }
    // Small lines must leave at once, not wait for the last one's
    // acknowledgement.
    SetOption(fd, IPPROTO_TCP, TCP_NODELAY, 1);
    SetOption(fd, SOL_SOCKET, SO_SNDBUF, kSocketSendBuffer);
    m_clients.push_back(std::make_unique<Client>(fd));
  }
}
