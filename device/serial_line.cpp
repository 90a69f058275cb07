// The kernel's termios2 interface, for rates as plain numbers. Its header
// defines a struct termios of its own that clashes with the C library's
// <termios.h>, so this file is the only one to include it.
#include "device/serial_line.h"

#include <asm/termbits.h>
#include <cerrno>
#include <sys/ioctl.h>

int ConfigureSerialLine(int fd, int baud) {
  termios2 line{};
  if (::ioctl(fd, TCGETS2, &line) != 0) return errno;

  line.c_iflag &= ~static_cast<tcflag_t>(IGNBRK | BRKINT | PARMRK | ISTRIP | INLCR | IGNCR |
                                         ICRNL | IUCLC | IXON | IXOFF | IXANY | INPCK);
  line.c_oflag &= ~static_cast<tcflag_t>(OPOST);
  line.c_lflag &= ~static_cast<tcflag_t>(ECHO | ECHONL | ICANON | ISIG | IEXTEN);
  line.c_cflag &= ~static_cast<tcflag_t>(CSIZE | PARENB | CSTOPB | CRTSCTS);
  line.c_cflag |= CS8 | CREAD | CLOCAL;
  // Reads never wait inside the driver: the port waits in poll().
  line.c_cc[VMIN] = 1;
  line.c_cc[VTIME] = 0;
  if (baud > 0) {
    line.c_cflag &= ~static_cast<tcflag_t>(CBAUD | (CBAUD << IBSHIFT));
    line.c_cflag |= BOTHER | (BOTHER << IBSHIFT);
    line.c_ispeed = static_cast<speed_t>(baud);
    line.c_ospeed = static_cast<speed_t>(baud);
  }
  // TCSETS2 takes effect at once and, unlike the flushing variant, keeps
  // the bytes already received.
  if (::ioctl(fd, TCSETS2, &line) != 0) return errno;
  return 0;
}

int SerialLineRate(int fd) {
  termios2 line{};
  if (::ioctl(fd, TCGETS2, &line) != 0) return -1;
  return static_cast<int>(line.c_ospeed);
}
