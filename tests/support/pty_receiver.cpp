#include "tests/support/pty_receiver.h"

#include <fcntl.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

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

void PtyReceiver::Unplug() {
  if (m_master >= 0) ::close(m_master);
  if (m_line >= 0) ::close(m_line);
  m_master = m_line = -1;
}
