#include "tests/support/qt_test.h"

#include <fcntl.h>
#include <pty.h>
#include <termios.h>
#include <thread>
#include <unistd.h>

#include <QCoreApplication>
#include <QEventLoop>

PtyReceiver::PtyReceiver() {
  termios raw{};
  ::cfmakeraw(&raw);
  char name[128] = {};
  if (::openpty(&m_master, &m_line, name, &raw, nullptr) != 0) return;
  m_device = name;
  // A program under test that died leaves nobody reading the line: a full
  // buffer must fail the send, not hang the test.
  ::fcntl(m_master, F_SETFL, ::fcntl(m_master, F_GETFL) | O_NONBLOCK);
}

PtyReceiver::~PtyReceiver() {
  if (m_master >= 0) ::close(m_master);
  if (m_line >= 0) ::close(m_line);
}

bool PtyReceiver::Send(const std::string& bytes) {
  return ::write(m_master, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size());
}

bool WaitUntil(const std::function<bool()>& done, std::chrono::milliseconds deadline) {
  const auto end = std::chrono::steady_clock::now() + deadline;
  while (!done()) {
    if (std::chrono::steady_clock::now() > end) return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  return true;
}

namespace {
// "$" + body + "*" + the two hex digits of the exclusive-or of the body.
std::string Sentence(const std::string& body) {
  unsigned char sum = 0;
  for (const char c : body) sum ^= static_cast<unsigned char>(c);
  static const char* const kHex = "0123456789ABCDEF";
  return "$" + body + "*" + kHex[sum >> 4] + kHex[sum & 15] + "\r\n";
}
}  // namespace

std::string FixSentences(const std::string& hhmmss) {
  return Sentence("GPRMC," + hhmmss + ",A,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W") +
         Sentence("GPGGA," + hhmmss + ",4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,");
}
