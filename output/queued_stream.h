// The stream to one receiver (a TCP client, the serial line) over a
// non-blocking descriptor: each line is written at once while the receiver
// keeps up, and what the descriptor cannot take yet waits in a queue of at
// most `bound` bytes, flushed when the descriptor is writable again. Lines
// are only ever queued whole, so the receiver never gets a cut one. Never
// blocks. Not locked: its owner is.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

class QueuedStream {
 public:
  enum class Offer {
    kTaken,        // written, or queued behind bytes that already wait
    kFirstQueued,  // queued into an empty queue: watch the descriptor for writing
    kFull,         // the queue has no room for the line: it was not taken
    kFailed,       // the receiver is gone or broken
  };
  enum class Flush { kEmpty, kMore, kFailed };

  // `isSocket`: written with send() (no SIGPIPE when the peer has gone),
  // else with write() (a terminal).
  QueuedStream(int fd, bool isSocket, std::size_t bound) : m_fd(fd), m_bSocket(isSocket), m_nBound(bound) {}

  Offer Write(std::string_view line);
  Flush FlushQueue();   // as much of the queue as the descriptor takes now

  int Fd() const { return m_fd; }
  bool HasQueued() const { return !m_queue.empty(); }

 private:
  // Bytes written, 0 when the descriptor takes none now, -1 on failure.
  long WriteSome(std::string_view bytes) const;

  int m_fd;
  bool m_bSocket;
  std::size_t m_nBound;
  std::string m_queue;
};
