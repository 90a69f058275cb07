// Where the acquisition loop gets its bytes: the GPS serial port, or a
// recorded NMEA stream for replays and tests.
#pragma once

enum class ReadStatus {
  kByte,     // one byte was delivered
  kNoByte,   // nothing this time (time-out, interrupted call): read again
  kFailed,   // the device is gone or broken: reopen it
  kEnded,    // the stream has ended for good (end of a recording)
};

class ByteSource {
 public:
  virtual ~ByteSource() = default;

  // Reads one byte. May block until a byte arrives, the device fails or
  // Interrupt() is called.
  virtual ReadStatus ReadByte(char& byte) = 0;

  // Closes the device at once and opens it again with the current
  // settings. True when it is open again.
  virtual bool Reopen() = 0;

  // Wakes a ReadByte blocked on another thread; it returns kNoByte (or
  // whatever it has) promptly. Safe to call from any thread.
  virtual void Interrupt() {}
};
