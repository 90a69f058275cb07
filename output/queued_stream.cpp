#include "output/queued_stream.h"

#include <cerrno>
#include <sys/socket.h>
#include <unistd.h>

long QueuedStream::WriteSome(std::string_view bytes) const {
  for (;;) {
    const ssize_t count = m_bSocket ? ::send(m_fd, bytes.data(), bytes.size(), MSG_NOSIGNAL | MSG_DONTWAIT)
                                    : ::write(m_fd, bytes.data(), bytes.size());
    if (count >= 0) return count;
    if (errno == EINTR) continue;
    return errno == EAGAIN || errno == EWOULDBLOCK ? 0 : -1;
  }
}

QueuedStream::Offer QueuedStream::Write(std::string_view line) {
  if (!m_queue.empty()) {
    // Behind the queue, or the receiver would get the lines out of order.
    if (m_queue.size() + line.size() > m_nBound) return Offer::kFull;
    m_queue.append(line);
    return Offer::kTaken;
  }
  const long written = WriteSome(line);
  if (written < 0) return Offer::kFailed;
  if (static_cast<std::size_t>(written) == line.size()) return Offer::kTaken;
  // The rest of a line begun must follow, whatever the bound: a line is
  // never cut.
  m_queue.assign(line.substr(static_cast<std::size_t>(written)));
  return Offer::kFirstQueued;
}

QueuedStream::Flush QueuedStream::FlushQueue() {
  if (m_queue.empty()) return Flush::kEmpty;
  const long written = WriteSome(m_queue);
  if (written < 0) return Flush::kFailed;
  m_queue.erase(0, static_cast<std::size_t>(written));
  return m_queue.empty() ? Flush::kEmpty : Flush::kMore;
}
