// A GPS receiver on the far side of a pseudo-terminal: the program under
// test opens the near side by its /dev/pts name, which vanishes when the
// receiver is unplugged.
#pragma once

#include <chrono>
#include <cstddef>
#include <string>

class PtyReceiver {
 public:
  PtyReceiver();
  ~PtyReceiver() { Unplug(); }
  PtyReceiver(const PtyReceiver&) = delete;
  PtyReceiver& operator=(const PtyReceiver&) = delete;

  const std::string& Device() const { return m_device; }
  int Line() const { return m_line; }   // the near side, held open by the receiver too
  // False when the bytes could not all be written at once (nobody reads).
  bool Send(const std::string& bytes);
  // What the program under test wrote to the line: up to `count` bytes,
  // waiting at most `deadline` for them.
  std::string Receive(std::size_t count, std::chrono::milliseconds deadline = std::chrono::seconds(5));
  void Unplug();

 private:
  int m_master = -1;
  int m_line = -1;
  std::string m_device;
};
