// Shared pieces of the window tests: a GPS receiver on the far side of a
// pseudo-terminal, and waiting for the window thread with a deadline.
#pragma once

#include <chrono>
#include <functional>
#include <string>

// A receiver on a pseudo-terminal; the program opens its near side by name.
class PtyReceiver {
 public:
  PtyReceiver();
  ~PtyReceiver();
  PtyReceiver(const PtyReceiver&) = delete;
  PtyReceiver& operator=(const PtyReceiver&) = delete;

  const std::string& Device() const { return m_device; }
  bool Send(const std::string& bytes);

 private:
  int m_master = -1;
  int m_line = -1;
  std::string m_device;
};

// Runs the window thread's events until `done` holds or the deadline passes;
// whether it held.
bool WaitUntil(const std::function<bool()>& done,
               std::chrono::milliseconds deadline = std::chrono::seconds(10));

// A GPRMC and a GPGGA sentence of one fix at hhmmss, 22.4 kn, 545.4 m.
std::string FixSentences(const std::string& hhmmss);
