#include "tests/support/qt_test.h"

#include <thread>

#include <QCoreApplication>
#include <QEventLoop>

#include "tests/support/flight_test.h"

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
