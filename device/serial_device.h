// A serial device held by the instrument alone: the GPS port, and the line
// the NMEA stream goes out on.
#pragma once

#include <filesystem>

// Opens `device` for reading and writing, non-blocking, for this program
// alone: flock keeps out every program that locks (this one too, and root),
// the terminal's exclusive mode the programs that do not (a GPS daemon
// started on hot-plug, a terminal program). Only a terminal is a serial
// port: a link to a file or /dev/zero is refused (ENOTTY). The descriptor,
// or -1 with errno set (EWOULDBLOCK: in use).
int OpenSerialDevice(const std::filesystem::path& device);

// Lets the next program open the device, and closes it.
void CloseSerialDevice(int fd);
