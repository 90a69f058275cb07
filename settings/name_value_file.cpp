#include "settings/name_value_file.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "base/plain_text.h"

namespace {

std::string_view Trimmed(std::string_view text) {
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  return text;
}

char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

}  // namespace

std::vector<NameValueLine> ReadNameValueLines(std::string_view bytes) {
  std::vector<NameValueLine> lines;
  const std::string text = PlainFileText(bytes);
  std::string_view rest = text;
  while (!rest.empty()) {
    const std::size_t end = rest.find_first_of("\r\n");
    const std::string_view line = rest.substr(0, end);
    rest.remove_prefix(end == std::string_view::npos ? rest.size() : end + 1);
    const std::size_t colon = line.find(':');
    if (colon == std::string_view::npos) continue;
    lines.push_back({std::string(Trimmed(line.substr(0, colon))), std::string(Trimmed(line.substr(colon + 1)))});
  }
  return lines;
}

bool SameName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (Lower(a[i]) != Lower(b[i])) return false;
  }
  return true;
}

std::optional<std::string> ReadSmallFile(const std::filesystem::path& path, std::size_t maxBytes,
                                         int& error) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    error = errno;
    return std::nullopt;
  }
  std::string bytes(maxBytes, '\0');
  std::size_t filled = 0;
  error = 0;
  while (filled < maxBytes) {
    const ssize_t count = ::read(fd, bytes.data() + filled, maxBytes - filled);
    if (count == 0) break;
    if (count < 0) {
      if (errno == EINTR) continue;
      error = errno;   // EISDIR for a folder
      break;
    }
    filled += static_cast<std::size_t>(count);
  }
  ::close(fd);
  if (error != 0) return std::nullopt;
  bytes.resize(filled);
  return bytes;
}
