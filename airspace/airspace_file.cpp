#include "airspace/airspace_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <system_error>

namespace {

// Hands each line of `bytes` (the last one perhaps unfinished) to the reader.
// Returns the unfinished end.
std::string_view FeedLines(std::string_view bytes, OpenAirReader& reader) {
  std::size_t end;
  while ((end = bytes.find('\n')) != std::string_view::npos) {
    reader.ReadLine(bytes.substr(0, end));
    bytes.remove_prefix(end + 1);
  }
  return bytes;
}

class FileDescriptor {
 public:
  explicit FileDescriptor(const std::filesystem::path& path) : m_fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC)) {}
  ~FileDescriptor() {
    if (m_fd >= 0) ::close(m_fd);
  }
  FileDescriptor(const FileDescriptor&) = delete;
  FileDescriptor& operator=(const FileDescriptor&) = delete;
  int Get() const { return m_fd; }

 private:
  int m_fd;
};

}  // namespace

AirspaceFile ReadAirspaceFile(const std::filesystem::path& path) {
  AirspaceFile file;
  std::error_code error;
  file.found = std::filesystem::exists(path, error);
  if (!file.found) return file;
  FileDescriptor fd(path);
  if (fd.Get() < 0) {
    file.error = errno;
    return file;
  }

  OpenAirReader reader;
  std::string buffer(1 << 16, '\0');
  std::string carry;  // a line begun in the last block
  while (true) {
    const ssize_t count = ::read(fd.Get(), buffer.data(), buffer.size());
    if (count < 0 && errno == EINTR) continue;
    if (count < 0) {  // a folder by that name, a failing card
      file.error = errno;
      return file;
    }
    if (count == 0) break;
    std::string_view block(buffer.data(), static_cast<std::size_t>(count));
    if (!carry.empty()) {
      const std::size_t end = block.find('\n');
      // A line longer than any OpenAir line is kept only as long as the
      // reader needs to see that it is too long.
      const std::size_t room = OpenAirReader::kLongestLine + 2 - std::min(carry.size(), OpenAirReader::kLongestLine + 2);
      carry.append(block.substr(0, std::min(end, room)));
      if (end == std::string_view::npos) continue;
      reader.ReadLine(carry);
      carry.clear();
      block.remove_prefix(end + 1);
    }
    const std::string_view rest = FeedLines(block, reader);
    carry.assign(rest.substr(0, OpenAirReader::kLongestLine + 2));
  }
  if (!carry.empty()) reader.ReadLine(carry);
  file.readable = true;
  file.airspaces = AirspaceSet(reader.Finish(file.report));
  return file;
}

AirspaceFile ReadAirspaceText(std::string_view bytes) {
  AirspaceFile file;
  file.found = file.readable = true;
  OpenAirReader reader;
  const std::string_view last = FeedLines(bytes, reader);
  if (!last.empty()) reader.ReadLine(last);
  file.airspaces = AirspaceSet(reader.Finish(file.report));
  return file;
}

std::vector<std::string> AirspaceReportLines(const AirspaceFile& file, std::string_view fileName) {
  std::vector<std::string> lines;
  if (!file.found) return lines;
  const std::string name(fileName);
  if (!file.readable) return {"airspace: cannot read " + name + " (" + std::strerror(file.error) + ")"};
  for (const AirspaceProblem& problem : file.report.problems) {
    lines.push_back("airspace: line " + std::to_string(problem.line) + ": " + problem.text);
  }
  if (file.report.problemCount > file.report.problems.size()) {
    lines.push_back("airspace: " + std::to_string(file.report.problemCount) + " problems in all");
  }
  lines.push_back("airspace: " + std::to_string(file.report.loaded) + " loaded from " + name + ", " +
                  std::to_string(file.report.skipped) + " skipped");
  return lines;
}
