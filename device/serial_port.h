// The GPS port: the instrument's only link to the GPS receiver.
//
// Opened once at start-up with the port name and rate of the settings;
// from then on only the acquisition thread reads it, as the bytes come, and
// reopens it after a failed read (with the settings as they are then, so a
// port or rate chosen later takes effect at the next reopen). Closed when
// the main window goes away, after the acquisition thread has been stopped
// and joined: only Interrupt() may be called while another thread reads.
//
// The port opens with exclusive use (a second open of the same device fails:
// by this program or another that locks, through the lock; by any other
// unprivileged program, through the terminal's exclusive mode), 8N1 raw at the rate
// given, and proves itself with a test read of one byte. See port_name.h
// for which device a name like "COM7:" stands for.
#pragma once

#include <array>
#include <chrono>
#include <cstddef>
#include <string_view>

#include "base/byte_source.h"

class CSerialPort : public ByteSource {
 public:
  static constexpr int kInvalidHandle = -1;
  // How long the test read of Open waits for the receiver's first byte. A
  // receiver that stays silent for longer (not yet powered, no fix output
  // yet) is no failure: the port is open and the loop waits for it.
  static constexpr std::chrono::milliseconds kTestReadWait{1000};
  // How long Close waits after closing, for the driver to let the device go.
  static constexpr std::chrono::milliseconds kCloseWait{30};

  // Touches no device.
  CSerialPort();
  ~CSerialPort() override;
  CSerialPort(const CSerialPort&) = delete;
  CSerialPort& operator=(const CSerialPort&) = delete;

  // Opens the device that `name` stands for in the storage folder
  // (g_strStorageFolder), configures it for `baud` bit/s 8N1 and reads one
  // byte, which is discarded. True when the device opened and the test read
  // did not fail (a test read that waited in vain counts as success). A
  // handle this port still held is closed first. False with the port closed
  // when the name names no device, the device cannot be opened, is no
  // terminal or is in use; false with the port left open when the test read
  // failed (Close or Reopen closes it).
  bool Open(std::string_view name, int baud);

  // Closes the port and waits kCloseWait; returns at once when it is closed.
  void Close();

  // Blocks until bytes arrive (kBytes, all that have come, up to the
  // buffer's size), the device fails or is gone (kFailed; also when the
  // port is closed), or the read is interrupted by a signal or Interrupt(),
  // or the read time-out passes (kNoByte). Without a time-out it never
  // wakes while the receiver is silent.
  ReadStatus Read(std::string_view& bytes) override;
  void SetReadTimeout(std::chrono::milliseconds timeout) override;

  // Closes the port at once, without the wait of Close, and opens it again
  // with the current g_strComPort and g_nBaudRate. Open's result.
  bool Reopen() override;

  // Wakes a Read (or the test read of an Open) blocked on another
  // thread, once. Safe from any thread.
  void Interrupt() override;

  bool IsOpen() const { return m_hPort != kInvalidHandle; }

  // Hands the open port, locked and configured, to the program this one
  // turns into (the handle is kept across an exec, and the bytes that come
  // meanwhile wait in the driver): the port forgets it without closing it.
  // kInvalidHandle when it is not open.
  int Release();
  // Takes such a handle over: true when it is an open terminal.
  bool Adopt(int handle);

 private:
  enum class Readiness { kReadable, kHungUp, kNothing };

  void CloseHandleNow();
  Readiness WaitForInput(int timeoutMs);
  bool TestRead();

  int m_hPort = kInvalidHandle;
  int m_hWake = -1;  // eventfd that Interrupt() signals
  int m_nReadTimeoutMs = -1;  // for poll(): -1 waits as long as it takes
  // Bytes read from the device in one call, handed to the loop as they are.
  std::array<char, 256> m_buffer{};
};

// The start-up step: opens `port` with the settings' port name and rate.
// True: start the acquisition thread on it. False: start none and show
// nothing; no GPS data is processed in this run.
bool OpenGpsPortAtStartUp(CSerialPort& port);
