#include "tests/support/qt_test.h"

#include <fcntl.h>
#include <pty.h>
#include <termios.h>
#include <thread>
#include <unistd.h>

#include <QCoreApplication>
#include <QEventLoop>

#include "tests/support/flight_test.h"

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


std::string FixSentences(const std::string& hhmmss) {
  return Sentence("GPRMC," + hhmmss + ",A,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W") +
         Sentence("GPGGA," + hhmmss + ",4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,");
}
