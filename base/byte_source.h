// Where the acquisition loop gets its bytes: the GPS serial port, or a
// recorded NMEA stream for replays and tests.
#pragma once

#include <chrono>
#include <string_view>

enum class ReadStatus {
  kBytes,    // one or more bytes were delivered
  kNoByte,   // nothing this time (time-out, interrupted call): read again
  kFailed,   // the device is gone or broken: reopen it
  kEnded,    // the stream has ended for good (end of a recording)
};

class ByteSource {
 public:
  virtual ~ByteSource() = default;

  // Hands out the bytes that have arrived (at least one, with kBytes), as
  // a view into the source's own buffer that holds until the next call.
  // May block until a byte arrives, the device fails or Interrupt() is
  // called. Reading a buffer at a time keeps a replay's per-byte cost to
  // the sentence assembly itself.
  virtual ReadStatus Read(std::string_view& bytes) = 0;

  // Closes the device at once and opens it again with the current
  // settings. True when it is open again.
  virtual bool Reopen() = 0;

  // Wakes a Read blocked on another thread; it returns kNoByte (or
  // whatever it has) promptly. Safe to call from any thread.
  virtual void Interrupt() {}

  // How long a Read may wait for bytes before it returns kNoByte; zero (as
  // at the start) waits as long as it takes. A recording never waits.
  // Called on the reading thread.
  virtual void SetReadTimeout(std::chrono::milliseconds /*timeout*/) {}
};
