#include "output/serial_output.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <termios.h>
#include <unistd.h>

#include "base/settings_values.h"
#include "device/port_name.h"
#include "device/serial_device.h"
#include "device/serial_line.h"

namespace {

// About one second of the line (10 bits a byte), within sensible limits.
std::size_t QueueBytesFor(int rate) { return static_cast<std::size_t>(std::clamp(rate / 10, 512, 16384)); }

}  // namespace

SerialOutput::SerialOutput(int portNumber, int rate)
    : m_nPort(portNumber), m_nRate(rate), m_nQueueBytes(QueueBytesFor(rate)) {}

SerialOutput::~SerialOutput() { CloseLine(); }

int SerialOutput::OpenLine() const {
  const std::filesystem::path device = PortDevicePath(Name() + ":", g_strStorageFolder);
  const int fd = OpenSerialDevice(device);
  if (fd < 0) return -1;
  if (const int error = ConfigureSerialLine(fd, m_nRate)) {
    std::fprintf(stderr, "Output %s (%s): 8N1 at %d bit/s not taken: %s\n", Name().c_str(),
                 device.c_str(), m_nRate, std::strerror(error));
  }
  return fd;
}

void SerialOutput::Use(int fd) {
  CloseLine();
  m_stream.emplace(fd, false, m_nQueueBytes);
  m_bFailed = false;
}

void SerialOutput::CloseLine() {
  if (!m_stream) return;
  // What the line has not sent yet is thrown away: a close that waited for
  // it to drain could take seconds.
  ::tcflush(m_stream->Fd(), TCOFLUSH);
  CloseSerialDevice(m_stream->Fd());
  m_stream.reset();
}

bool SerialOutput::Send(std::string_view line) {
  if (!m_stream || m_bFailed) return false;
  switch (m_stream->Write(line)) {
    case QueuedStream::Offer::kTaken:
      return false;
    case QueuedStream::Offer::kFirstQueued:
      return true;
    case QueuedStream::Offer::kFull:   // the line is slower than the stream: this one is dropped
      return false;
    case QueuedStream::Offer::kFailed:
      m_bFailed = true;
      return true;
  }
  return false;
}

void SerialOutput::AddPollFds(std::vector<pollfd>& fds) const {
  if (!m_stream || m_bFailed) return;
  fds.push_back({m_stream->Fd(), static_cast<short>(POLLIN | (m_stream->HasQueued() ? POLLOUT : 0)), 0});
}

void SerialOutput::Serve(const pollfd* fd) {
  if (!m_stream) return;
  if (fd != nullptr && !m_bFailed) {
    if (fd->revents & POLLIN) {
      // Whatever the far side sends (an app's commands) is not for the
      // instrument. Nothing at all from a terminal is its hang-up.
      std::array<char, 1024> junk;
      const ssize_t count = ::read(m_stream->Fd(), junk.data(), junk.size());
      if (count == 0 || (count < 0 && errno != EAGAIN && errno != EINTR)) m_bFailed = true;
    }
    if (fd->revents & (POLLHUP | POLLERR | POLLNVAL)) m_bFailed = true;
    if ((fd->revents & POLLOUT) && !m_bFailed && m_stream->FlushQueue() == QueuedStream::Flush::kFailed) {
      m_bFailed = true;
    }
  }
  if (m_bFailed) CloseLine();
}
