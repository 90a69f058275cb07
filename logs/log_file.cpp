#include "logs/log_file.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <mutex>
#include <unistd.h>
#include <utility>

namespace {

std::mutex g_handlerMutex;
std::function<void(const std::string&)> g_errorHandler;

}  // namespace

void ReportLogProblem(const std::string& message) {
  std::lock_guard<std::mutex> lock(g_handlerMutex);
  if (g_errorHandler) {
    g_errorHandler(message);
  } else {
    std::fprintf(stderr, "%s\n", message.c_str());
  }
}

void SetLogErrorHandler(std::function<void(const std::string& message)> handler) {
  std::lock_guard<std::mutex> lock(g_handlerMutex);
  g_errorHandler = std::move(handler);
}

LogFile::~LogFile() { Close(); }

int LogFile::CreateNew(const std::filesystem::path& path, bool syncEachRecord) {
  return Take(::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644), path, syncEachRecord);
}

int LogFile::OpenToAppend(const std::filesystem::path& path, bool syncEachRecord) {
  const int error = Take(::open(path.c_str(), O_WRONLY | O_CLOEXEC), path, syncEachRecord);
  if (error != 0) return error;
  const off_t end = ::lseek(m_fd, 0, SEEK_END);
  if (end < 0) {
    m_nOpenError = errno;
    Close();
    return m_nOpenError;
  }
  m_nLength = end;
  return 0;
}

int LogFile::Take(int fd, const std::filesystem::path& path, bool syncEachRecord) {
  Close();
  m_path = path;
  m_bSync = syncEachRecord;
  m_nLength = 0;
  m_bFailing = false;
  m_nOpenError = fd < 0 ? errno : 0;
  // Before the first byte is written: a file with content is always locked
  // while its run has it open.
  if (fd >= 0) ::flock(fd, LOCK_EX | LOCK_NB);
  m_fd = fd;
  return m_nOpenError;
}

void LogFile::Close() {
  Flush();
  if (m_fd >= 0) ::close(m_fd);
  m_fd = -1;
}

void LogFile::Flush() {
  if (m_batch.empty()) return;
  int error = 0;
  if (WriteAll(m_batch, error)) {
    m_nWritten += m_nBatched;
    m_bFailing = false;
  } else {
    m_nDropped += m_nBatched;
    ReportFailure("cannot write", error);
  }
  m_batch.clear();
  m_nBatched = 0;
}

bool LogFile::Write(std::string_view record) {
  if (m_fd < 0) {
    ++m_nDropped;
    return false;
  }
  if (m_bBatched) {
    m_batch.append(record);
    ++m_nBatched;
    if (m_batch.size() >= 64 * 1024) Flush();
    return true;
  }
  int error = 0;
  if (!WriteAll(record, error)) {
    ++m_nDropped;
    ReportFailure("cannot write", error);
    return false;
  }
  ++m_nWritten;
  if (m_bSync && ::fdatasync(m_fd) != 0 && errno != EINVAL) {
    // The record is in the file but may not have reached the card yet.
    ReportFailure("cannot flush to storage", errno);
    return true;
  }
  m_bFailing = false;
  return true;
}

bool LogFile::Overwrite(long long offset, std::string_view bytes) {
  if (m_fd < 0) return false;
  Flush();   // the bytes to replace may still be in the batch
  if (offset < 0 || offset + static_cast<long long>(bytes.size()) > m_nLength) return false;
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::pwrite(m_fd, bytes.data() + done, bytes.size() - done,
                               static_cast<off_t>(offset + static_cast<long long>(done)));
    if (n > 0) {
      done += static_cast<std::size_t>(n);
      continue;
    }
    if (n < 0 && errno == EINTR) continue;
    ReportFailure("cannot rewrite", n < 0 ? errno : ENOSPC);
    return false;
  }
  if (m_bSync && ::fdatasync(m_fd) != 0 && errno != EINVAL) {
    ReportFailure("cannot flush to storage", errno);
  }
  return true;
}

bool LogFile::WriteAll(std::string_view record, int& error) {
  std::size_t done = 0;
  while (done < record.size()) {
    const ssize_t n = ::write(m_fd, record.data() + done, record.size() - done);
    if (n > 0) {
      done += static_cast<std::size_t>(n);
      continue;
    }
    if (n < 0 && errno == EINTR) continue;
    error = n < 0 ? errno : ENOSPC;
    if (done > 0) {
      // Take the half record back out, so the next one starts a clean line.
      if (::ftruncate(m_fd, m_nLength) == 0) ::lseek(m_fd, m_nLength, SEEK_SET);
    }
    return false;
  }
  m_nLength += static_cast<long long>(done);
  return true;
}

void LogFile::ReportFailure(const std::string& what, int error) {
  if (m_bFailing) return;
  m_bFailing = true;
  ReportLogProblem("flight log " + m_path.string() + ": " + what + ": " + std::strerror(error) +
         " (records are dropped until writing works again)");
}
