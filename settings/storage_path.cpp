#include "settings/storage_path.h"

#include <system_error>

std::string GetPathComponent(std::string_view path, int n) {
  // Positions of the (n-1)-th and the n-th backslash; 0 where there is none.
  std::size_t start = 0;
  std::size_t end = 0;
  int count = 0;
  for (std::size_t i = 0; i < path.size() && count < n; ++i) {
    if (path[i] != '\\') continue;
    ++count;
    if (count == n - 1) start = i;
    if (count == n) end = i;
  }
  if (end <= start) return {};
  return std::string(path.substr(start + 1, end - start - 1));
}

std::string HandheldModulePath(const std::filesystem::path& program) {
  return "\\" + program.parent_path().string() + "\\" + program.filename().string();
}

std::string GetModulePath() {
  std::error_code error;
  const std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", error);
  return error ? std::string() : HandheldModulePath(program);
}

std::filesystem::path ToLocalPath(std::string_view handheldPath) {
  if (!handheldPath.empty() && handheldPath.front() == '\\') handheldPath.remove_prefix(1);
  std::string local(handheldPath);
  for (char& c : local) {
    if (c == '\\') c = '/';
  }
  return local;
}
