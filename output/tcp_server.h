// The TCP server the pilot's apps connect to (NMEA 0183's registered port
// is 10110): every line goes to every client, each client from the next
// whole line after it connected. A client that stops reading is dropped
// once its queue is full; what a client sends is read and thrown away, and
// the client is kept. Not locked: its owner (NmeaOutput) is; every call
// returns at once.
#pragma once

#include <cstddef>
#include <memory>
#include <poll.h>
#include <string>
#include <string_view>
#include <vector>

#include "output/queued_stream.h"

// A server's sockets handed from one run of the program to the next
// across exec: the listening socket and the clients it serves.
struct ServerSockets {
  int listener = -1;
  std::vector<int> clients;
  bool operator==(const ServerSockets&) const = default;
};
// Closes those of `sockets` that are still what they were (see Adopt).
void CloseSockets(const ServerSockets& sockets);

class TcpServer {
 public:
  // Clients served at once; one more is accepted and closed at once.
  static constexpr std::size_t kMaxClients = 16;
  // What the instrument queues for a client beyond its socket's own send
  // buffer (kSocketSendBuffer, which the kernel doubles): at the stream's
  // 0.5 to 2.5 kB/s, several seconds of a stalled phone. One line more and
  // the client is dropped.
  static constexpr std::size_t kClientQueueBytes = 16 * 1024;
  static constexpr int kSocketSendBuffer = 16 * 1024;

  TcpServer() = default;
  ~TcpServer();   // closes the clients and the listening socket
  TcpServer(const TcpServer&) = delete;
  TcpServer& operator=(const TcpServer&) = delete;

  // Listens on `port` (0: any free one) of the local `address` (empty: all,
  // IPv6 and IPv4). 0, or the errno (or -1 for an address that cannot be
  // used) of why not.
  int Listen(int port, const std::string& address);
  int Port() const;   // the port listened on, 0 before

  // Hands the sockets over to a run that takes over by exec: the listening
  // one, whose backlog keeps the apps that connect meanwhile, and the
  // clients with nothing queued (each at a line's end), all kept open
  // across exec; the other clients are closed. The server is empty after.
  ServerSockets Release();
  // Serves with `handed` where its listening socket is the one Listen(port,
  // address) would make (port 0: any); otherwise closes them
  // (CloseSockets) and returns false. A number that is no such socket (one
  // lost on the way, whose number another file has taken) is left alone.
  bool Adopt(const ServerSockets& handed, int port, const std::string& address);

  // Sends `line` to every client. True when the serving thread must look
  // again: a client has bytes queued for the first time or is to be dropped.
  bool Send(std::string_view line);

  // The serving thread's part. Appends what to wait for: new connections,
  // and each client's input (and room to write, while it has bytes queued).
  void AddPollFds(std::vector<pollfd>& fds) const;
  // After the wait, on the same entries (from `fds` on, as AddPollFds put
  // them): accepts, reads and throws away input, flushes, closes.
  void Serve(const pollfd* fds);

  std::size_t Clients() const { return m_clients.size(); }
  std::size_t Connections() const { return m_nConnections; }   // accepted so far, turned away too
  std::size_t Dropped() const { return m_nDropped; }   // stuck clients dropped so far

 private:
  struct Client {
    explicit Client(int fd) : stream(fd, true, kClientQueueBytes) {}
    QueuedStream stream;
    bool bGone = false;   // closed by its peer, or broken
    bool bStuck = false;  // its queue overflowed
  };

  void AcceptWaiting();
  static void DiscardInput(Client& client);
  void CloseFinished();

  int m_listenFd = -1;
  std::vector<std::unique_ptr<Client>> m_clients;
  std::size_t m_nConnections = 0;
  std::size_t m_nDropped = 0;
};
