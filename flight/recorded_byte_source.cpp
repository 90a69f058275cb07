#include "flight/recorded_byte_source.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

ReadStatus MemoryByteSource::Read(std::string_view& bytes) {
  if (m_bDelivered || m_bytes.empty()) return ReadStatus::kEnded;
  m_bDelivered = true;
  bytes = m_bytes;
  return ReadStatus::kBytes;
}

FileByteSource::~FileByteSource() {
  if (m_fd >= 0) ::close(m_fd);
}

int FileByteSource::Open(const std::filesystem::path& path) {
  if (m_fd >= 0) ::close(m_fd);
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

ReadStatus FileByteSource::Read(std::string_view& bytes) {
  if (m_fd < 0) return ReadStatus::kEnded;
  for (;;) {
    const ssize_t n = ::read(m_fd, m_buffer.data(), m_buffer.size());
    if (n > 0) {
      bytes = std::string_view(m_buffer.data(), static_cast<std::size_t>(n));
      return ReadStatus::kBytes;
    }
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) m_nReadError = errno;
    return ReadStatus::kEnded;
  }
}
