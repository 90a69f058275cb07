#include "settings/storage_path.h"

#include <system_error>

#include "base/text_format.h"

std::string GetPathComponent(std::string_view path, int n) {
  return SeparatedField(path, '\\', n);
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
