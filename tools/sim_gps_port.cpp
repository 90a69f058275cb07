#include "tools/sim_gps_port.h"

#include <pty.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <stdexcept>
#include <system_error>
#include <thread>

SimGpsPort::SimGpsPort(const std::filesystem::path& storageFolder, int comNumber)
    : m_link(storageFolder / ("COM" + std::to_string(comNumber))) {
  termios raw{};
  ::cfmakeraw(&raw);
  char name[128] = {};
  if (::openpty(&m_master, &m_line, name, &raw, nullptr) != 0) {
    throw std::runtime_error("cannot open a pseudo-terminal");
  }
  m_device = name;
  std::error_code error;
  std::filesystem::remove(m_link, error);
  std::filesystem::create_symlink(m_device, m_link, error);
  if (error) {
    ::close(m_master);
    ::close(m_line);
    throw std::runtime_error("cannot bind " + m_link.string() + ": " + error.message());
  }
}

SimGpsPort::~SimGpsPort() {
  std::error_code ignored;
  std::filesystem::remove(m_link, ignored);
  ::close(m_master);
  ::close(m_line);
}

void SimGpsPort::Send(const std::string& bytes) {
  std::size_t sent = 0;
  while (sent < bytes.size()) {
    const ssize_t n = ::write(m_master, bytes.data() + sent, bytes.size() - sent);
    if (n < 0 && errno == EINTR) return;  // a signal to stop: the rest is not wanted
    if (n < 0) throw std::runtime_error("the pseudo-terminal failed: " + std::string(std::strerror(errno)));
    sent += static_cast<std::size_t>(n);
  }
}

bool SimGpsPort::WaitUntilRead(const std::function<bool()>& stop) const {
  // The receiver holds the near side open as well, so the bytes waiting on
  // it are the ones the instrument has not read yet.
  int unread = 0;
  while (::ioctl(m_line, FIONREAD, &unread) == 0 && unread > 0) {
    if (stop()) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return unread == 0;
}
