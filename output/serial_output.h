// The NMEA stream on a serial line (a Bluetooth serial port, a USB gadget
// port), named as the GPS port is: "COM4" is the storage folder's link
// COM4, else the fourth on-board port (device/port_name.h). A line that
// fails (unplugged, hung up) is closed and opened again, as the GPS port
// is, until it answers. A line slower than the stream keeps about a second
// of it queued and drops the lines that do not fit: the receiver gets
// whole, recent sentences. Not locked: its owner (NmeaOutput) is.
#pragma once

#include <cstddef>
#include <optional>
#include <poll.h>
#include <string>
#include <string_view>
#include <vector>

#include "output/queued_stream.h"

class SerialOutput {
 public:
  SerialOutput(int portNumber, int rate);
  ~SerialOutput();
  SerialOutput(const SerialOutput&) = delete;
  SerialOutput& operator=(const SerialOutput&) = delete;

  // "COM4", as the pilot names it.
  std::string Name() const { return "COM" + std::to_string(m_nPort); }

  // Opens the line at the rate, without touching this object (the open of
  // a USB device may take a while, and the senders must not wait for it):
  // the descriptor, or -1 with errno set.
  int OpenLine() const;
  // Sends on `fd`, from OpenLine, from now on.
  void Use(int fd);
  bool IsOpen() const { return m_stream.has_value(); }

  // True when the serving thread must look again (bytes queued for the
  // first time, or the line failed).
  bool Send(std::string_view line);

  // The serving thread's part: appends the line's entry (none while closed).
  void AddPollFds(std::vector<pollfd>& fds) const;
  // After each wait, on the entry AddPollFds put (nullptr: it put none):
  // reads and throws away input, flushes, closes a line that failed.
  void Serve(const pollfd* fd);

 private:
  void CloseLine();

  int m_nPort;
  int m_nRate;
  std::size_t m_nQueueBytes;
  std::optional<QueuedStream> m_stream;
  bool m_bFailed = false;
};
