#include "tools/sim_output_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <string>
#include <system_error>

#include "settings/output_file.h"

SimOutputFile::SimOutputFile(const std::filesystem::path& storageFolder, int tcpPort) {
  const std::filesystem::path path = storageFolder / kOutputFileName;
  // O_EXCL: a file (or a link, even a broken one) of that name is kept.
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
  if (fd < 0) return;
  const std::string text = "TCP port: " + std::to_string(tcpPort) + "\n";
  const bool whole = ::write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size());
  ::close(fd);
  std::error_code ignored;
  if (whole) m_path = path;
  else std::filesystem::remove(path, ignored);
}

SimOutputFile::~SimOutputFile() {
  std::error_code ignored;
  if (Written()) std::filesystem::remove(m_path, ignored);
}
