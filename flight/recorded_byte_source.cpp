#include "flight/recorded_byte_source.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

ReadStatus MemoryByteSource::ReadByte(char& byte) {
  if (m_nPos >= m_bytes.size()) return ReadStatus::kEnded;
  byte = m_bytes[m_nPos++];
  return ReadStatus::kByte;
}

FileByteSource::~FileByteSource() {
  if (m_fd >= 0) ::close(m_fd);
}

int FileByteSource::Open(const std::filesystem::path& path) {
  if (m_fd >= 0) ::close(m_fd);
  m_nPos = m_nFilled = 0;
  m_nReadError = 0;
  m_fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (m_fd < 0) return errno;
  struct stat info {};
  if (::fstat(m_fd, &info) == 0 && S_ISDIR(info.st_mode)) {
    ::close(m_fd);
    m_fd = -1;
    return EISDIR;
  }
  return 0;
}

ReadStatus FileByteSource::ReadByte(char& byte) {
  while (m_nPos >= m_nFilled) {
    if (m_fd < 0) return ReadStatus::kEnded;
    const ssize_t n = ::read(m_fd, m_buffer.data(), m_buffer.size());
    if (n == 0) return ReadStatus::kEnded;
    if (n < 0) {
      if (errno == EINTR) continue;
      m_nReadError = errno;
      return ReadStatus::kEnded;
    }
    m_nPos = 0;
    m_nFilled = static_cast<std::size_t>(n);
  }
  byte = m_buffer[m_nPos++];
  return ReadStatus::kByte;
}
