#include "output/tcp_server.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>
#include <utility>

namespace {

// Client input read at one wake: a client that floods the server cannot
// keep it busy for longer.
constexpr std::size_t kInputPerWake = 4096;
constexpr int kListenBacklog = 16;

void SetOption(int fd, int level, int name, int value) {
  ::setsockopt(fd, level, name, &value, sizeof value);
}

// A socket listening on `address`, or -1 with errno set.
int ListenOn(const sockaddr_storage& address, socklen_t length) {
  const auto* any = reinterpret_cast<const sockaddr*>(&address);
  const int fd = ::socket(any->sa_family, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
  if (fd < 0) return -1;
  // A restarted instrument takes its port back at once, though the old
  // connections linger in the kernel; a second listener is still refused.
  SetOption(fd, SOL_SOCKET, SO_REUSEADDR, 1);
  // All addresses: IPv4 clients too, on the same socket.
  if (any->sa_family == AF_INET6) SetOption(fd, IPPROTO_IPV6, IPV6_V6ONLY, 0);
  if (::bind(fd, any, length) != 0 || ::listen(fd, kListenBacklog) != 0) {
    const int error = errno;
    ::close(fd);
    errno = error;
    return -1;
  }
  return fd;
}

struct Endpoint {
  sockaddr_storage address{};
  socklen_t length = 0;
};

// Where a server on `port` of the local `address` listens, in the order to
// try: all addresses are IPv6's any (which takes IPv4 too), then IPv4's for
// a kernel without IPv6. None for an address that cannot be used.
std::vector<Endpoint> Endpoints(int port, const std::string& address) {
  std::vector<Endpoint> endpoints;
  if (address.empty()) {
    Endpoint any6{{}, sizeof(sockaddr_in6)};
    auto* six = reinterpret_cast<sockaddr_in6*>(&any6.address);
    six->sin6_family = AF_INET6;
    six->sin6_addr = in6addr_any;
    six->sin6_port = htons(static_cast<uint16_t>(port));
    Endpoint any4{{}, sizeof(sockaddr_in)};
    auto* four = reinterpret_cast<sockaddr_in*>(&any4.address);
    four->sin_family = AF_INET;
    four->sin_addr.s_addr = htonl(INADDR_ANY);
    four->sin_port = htons(static_cast<uint16_t>(port));
    return {any6, any4};
  }
  addrinfo hints{};
  hints.ai_flags = AI_NUMERICHOST | AI_NUMERICSERV | AI_PASSIVE;
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* found = nullptr;
  if (::getaddrinfo(address.c_str(), std::to_string(port).c_str(), &hints, &found) != 0) return endpoints;
  Endpoint one{{}, found->ai_addrlen};
  std::memcpy(&one.address, found->ai_addr, found->ai_addrlen);
  ::freeaddrinfo(found);
  return {one};
}

// Whether the socket `fd` is bound where `endpoint` says (port 0: any).
bool BoundTo(int fd, const Endpoint& endpoint) {
  sockaddr_storage bound{};
  socklen_t length = sizeof bound;
  if (::getsockname(fd, reinterpret_cast<sockaddr*>(&bound), &length) != 0) return false;
  const int family = endpoint.address.ss_family;
  if (bound.ss_family != family) return false;
  if (family == AF_INET6) {
    const auto& a = reinterpret_cast<const sockaddr_in6&>(bound);
    const auto& b = reinterpret_cast<const sockaddr_in6&>(endpoint.address);
    return (b.sin6_port == 0 || a.sin6_port == b.sin6_port) &&
           std::memcmp(&a.sin6_addr, &b.sin6_addr, sizeof a.sin6_addr) == 0;
  }
  const auto& a = reinterpret_cast<const sockaddr_in&>(bound);
  const auto& b = reinterpret_cast<const sockaddr_in&>(endpoint.address);
  return (b.sin_port == 0 || a.sin_port == b.sin_port) && a.sin_addr.s_addr == b.sin_addr.s_addr;
}

void KeepAcrossExec(int fd, bool keep) { ::fcntl(fd, F_SETFD, keep ? 0 : FD_CLOEXEC); }

// A socket taken over, made as this server's own are: closed on exec, and
// never waited on (an accept or a send that blocked would hold the lock
// the senders need).
void TakeOver(int fd) {
  KeepAcrossExec(fd, false);
  ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
}

// Whether `fd` is a TCP socket that listens (or one connected to a peer):
// a descriptor handed over by number may have been lost on the way (a run
// that started anew in between), and its number taken by another file.
bool IsStreamSocket(int fd, bool listening) {
  int type = 0, accepting = 0;
  socklen_t length = sizeof type;
  if (fd < 0 || ::getsockopt(fd, SOL_SOCKET, SO_TYPE, &type, &length) != 0 || type != SOCK_STREAM) return false;
  length = sizeof accepting;
  if (::getsockopt(fd, SOL_SOCKET, SO_ACCEPTCONN, &accepting, &length) != 0) return false;
  if (listening) return accepting == 1;
  sockaddr_storage peer{};
  length = sizeof peer;
  return accepting == 0 && ::getpeername(fd, reinterpret_cast<sockaddr*>(&peer), &length) == 0;
}

}  // namespace

void CloseSockets(const ServerSockets& sockets) {
  for (const int fd : sockets.clients) {
    if (IsStreamSocket(fd, false)) ::close(fd);
  }
  if (IsStreamSocket(sockets.listener, true)) ::close(sockets.listener);
}

TcpServer::~TcpServer() {
  for (const auto& client : m_clients) ::close(client->stream.Fd());
  if (m_listenFd >= 0) ::close(m_listenFd);
}

int TcpServer::Listen(int port, const std::string& address) {
  const std::vector<Endpoint> endpoints = Endpoints(port, address);
  if (endpoints.empty()) return -1;
  for (const Endpoint& endpoint : endpoints) {
    m_listenFd = ListenOn(endpoint.address, endpoint.length);
    // Another address only where the kernel has no IPv6.
    if (m_listenFd >= 0 || errno != EAFNOSUPPORT) break;
  }
  return m_listenFd >= 0 ? 0 : errno;
}

ServerSockets TcpServer::Release() {
  ServerSockets handed{std::exchange(m_listenFd, -1), {}};
  if (handed.listener >= 0) KeepAcrossExec(handed.listener, true);
  for (const auto& client : m_clients) {
    const int fd = client->stream.Fd();
    if (client->bGone || client->bStuck || client->stream.HasQueued()) {
      ::close(fd);
      continue;
    }
    KeepAcrossExec(fd, true);
    handed.clients.push_back(fd);
  }
  m_clients.clear();
  return handed;
}

bool TcpServer::Adopt(const ServerSockets& handed, int port, const std::string& address) {
  const std::vector<Endpoint> endpoints = Endpoints(port, address);
  const bool same = IsStreamSocket(handed.listener, true) &&
                    std::any_of(endpoints.begin(), endpoints.end(),
                                [&](const Endpoint& endpoint) { return BoundTo(handed.listener, endpoint); });
  if (!same) {
    CloseSockets(handed);
    return false;
  }
  m_listenFd = handed.listener;
  TakeOver(m_listenFd);
  for (const int fd : handed.clients) {
    if (!IsStreamSocket(fd, false)) continue;
    TakeOver(fd);
    m_clients.push_back(std::make_unique<Client>(fd));
  }
  return true;
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
