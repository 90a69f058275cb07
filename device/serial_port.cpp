#include "device/serial_port.h"

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <poll.h>
#include <sys/eventfd.h>
#include <thread>
#include <unistd.h>

#include "base/settings_values.h"
#include "device/port_name.h"
#include "device/serial_device.h"
#include "device/serial_line.h"

CSerialPort::CSerialPort() : m_hWake(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {}

CSerialPort::~CSerialPort() {
  Close();
  if (m_hWake >= 0) ::close(m_hWake);
}

bool CSerialPort::Open(std::string_view name, int baud) {
  CloseHandleNow();
  const std::filesystem::path device = PortDevicePath(name, g_strStorageFolder);
  if (device.empty()) return false;

  const int fd = OpenSerialDevice(device);
  if (fd < 0) return false;
  m_hPort = fd;

  // The port is tried even when the driver refuses a setting: the receiver
  // may well be sending at the rate the line already has.
  const int error = ConfigureSerialLine(fd, baud);
  const int rate = SerialLineRate(fd);
  if (error != 0) {
    std::fprintf(stderr, "GPS port %.*s (%s): 8N1 at %d bit/s not taken: %s\n",
                 static_cast<int>(name.size()), name.data(), device.c_str(), baud,
                 std::strerror(error));
  } else if (baud > 0 && rate != baud) {
    // Some adapters round a rate they cannot make; the receiver may not
    // understand the one they chose.
    std::fprintf(stderr, "GPS port %.*s (%s): runs at %d bit/s instead of %d\n",
                 static_cast<int>(name.size()), name.data(), device.c_str(), rate, baud);
  }
  return TestRead();
}

bool CSerialPort::TestRead() {
  const Readiness readiness = WaitForInput(static_cast<int>(kTestReadWait.count()));
  if (readiness == Readiness::kNothing) return true;
  // Exactly one byte, straight from the device: the next byte belongs to
  // the sentence reader.
  char byte = 0;
  const ssize_t count = ::read(m_hPort, &byte, 1);
  if (count == 1) return true;
  return count < 0 && (errno == EAGAIN || errno == EINTR) && readiness == Readiness::kReadable;
}

void CSerialPort::Close() {
  if (m_hPort == kInvalidHandle) return;
  CloseHandleNow();
  std::this_thread::sleep_for(kCloseWait);
}

void CSerialPort::CloseHandleNow() {
  if (m_hPort != kInvalidHandle) CloseSerialDevice(m_hPort);
  m_hPort = kInvalidHandle;
}

ReadStatus CSerialPort::Read(std::string_view& bytes) {
  if (m_hPort == kInvalidHandle) return ReadStatus::kFailed;

  const Readiness readiness = WaitForInput(m_nReadTimeoutMs);
  if (readiness == Readiness::kNothing) return ReadStatus::kNoByte;
  const ssize_t count = ::read(m_hPort, m_buffer.data(), m_buffer.size());
  if (count > 0) {
    bytes = std::string_view(m_buffer.data(), static_cast<std::size_t>(count));
    return ReadStatus::kBytes;
  }
  // A read still pending is tried again; anything else (0 bytes: the line
  // was hung up, EIO: the device is gone) means reopening.
  if (count < 0 && (errno == EAGAIN || errno == EINTR) && readiness == Readiness::kReadable) {
    return ReadStatus::kNoByte;
  }
  return ReadStatus::kFailed;
}

void CSerialPort::SetReadTimeout(std::chrono::milliseconds timeout) {
  m_nReadTimeoutMs = timeout.count() > 0 ? static_cast<int>(timeout.count()) : -1;
}

CSerialPort::Readiness CSerialPort::WaitForInput(int timeoutMs) {
  pollfd fds[2] = {{m_hPort, POLLIN, 0}, {m_hWake, POLLIN, 0}};
  if (::poll(fds, 2, timeoutMs) <= 0) return Readiness::kNothing;  // time-out or signal
  if (fds[1].revents & POLLIN) {
    std::uint64_t count = 0;
    const ssize_t drained = ::read(m_hWake, &count, sizeof count);
    (void)drained;
    return Readiness::kNothing;
  }
  if (fds[0].revents & (POLLHUP | POLLERR | POLLNVAL)) return Readiness::kHungUp;
  return (fds[0].revents & POLLIN) ? Readiness::kReadable : Readiness::kNothing;
}

bool CSerialPort::Reopen() {
  CloseHandleNow();
  return Open(g_strComPort.Get(), g_nBaudRate.load());
}

int CSerialPort::Release() {
  const int handle = m_hPort;
  m_hPort = kInvalidHandle;
  if (handle != kInvalidHandle) ::fcntl(handle, F_SETFD, 0);
  return handle;
}

bool CSerialPort::Adopt(int handle) {
  CloseHandleNow();
  if (handle < 0 || !::isatty(handle)) return false;
  ::fcntl(handle, F_SETFD, FD_CLOEXEC);
  m_hPort = handle;
  return true;
}

void CSerialPort::Interrupt() {
  const std::uint64_t one = 1;
  const ssize_t written = ::write(m_hWake, &one, sizeof one);
  (void)written;
}

bool OpenGpsPortAtStartUp(CSerialPort& port) {
  return port.Open(g_strComPort.Get(), g_nBaudRate.load());
}
