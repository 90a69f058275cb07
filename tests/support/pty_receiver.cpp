#include "tests/support/pty_receiver.h"

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <stdexcept>

PtyReceiver::PtyReceiver() {
  termios raw{};
  ::cfmakeraw(&raw);
  char name[128] = {};
  if (::openpty(&m_master, &m_line, name, &raw, nullptr) != 0) throw std::runtime_error("openpty");
  m_device = name;
  // A program under test that died leaves nobody reading the line: a full
  // buffer must fail the send, not hang the test.
  ::fcntl(m_master, F_SETFL, ::fcntl(m_master, F_GETFL) | O_NONBLOCK);
}

bool PtyReceiver::Send(const std::string& bytes) {
  return ::write(m_master, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size());
}

std::string PtyReceiver::Receive(std::size_t count, std::chrono::milliseconds deadline) {
  std::string bytes;
  const auto end = std::chrono::steady_clock::now() + deadline;
  while (bytes.size() < count) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - std::chrono::steady_clock::now());
    pollfd fd{m_master, POLLIN, 0};
    if (left.count() <= 0 || ::poll(&fd, 1, static_cast<int>(left.count())) <= 0) break;
    char buffer[512];
    const ssize_t got = ::read(m_master, buffer, std::min(sizeof buffer, count - bytes.size()));
    if (got <= 0) break;
    bytes.append(buffer, static_cast<std::size_t>(got));
  }
  return bytes;
}

void PtyReceiver::Unplug() {
  if (m_master >= 0) ::close(m_master);
  if (m_line >= 0) ::close(m_line);
  m_master = m_line = -1;
}
