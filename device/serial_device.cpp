#include "device/serial_device.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <unistd.h>

int OpenSerialDevice(const std::filesystem::path& device) {
  const int fd = ::open(device.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return -1;
  int error = 0;
  if (!::isatty(fd)) error = ENOTTY;
  else if (::flock(fd, LOCK_EX | LOCK_NB) != 0) error = errno;
  if (error != 0) {
    ::close(fd);
    errno = error;
    return -1;
  }
  ::ioctl(fd, TIOCEXCL);
  return fd;
}

void CloseSerialDevice(int fd) {
  ::ioctl(fd, TIOCNXCL);
  ::close(fd);   // also releases the lock
}
