#include "device/port_name.h"

#include <string>
#include <system_error>

namespace {

std::string_view TrimSpaces(std::string_view text) {
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  return text;
}

char Upper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

// The port number 1..9 of "COMn:", or 0.
int PortNumber(std::string_view name) {
  name = TrimSpaces(name);
  if (name.size() != 5 || Upper(name[0]) != 'C' || Upper(name[1]) != 'O' ||
      Upper(name[2]) != 'M' || name[4] != ':') {
    return 0;
  }
  return (name[3] >= '1' && name[3] <= '9') ? name[3] - '0' : 0;
}

}  // namespace

std::filesystem::path PortDevicePath(std::string_view name,
                                     const std::filesystem::path& storageFolder) {
  const int number = PortNumber(name);
  if (number == 0) return {};
  if (!storageFolder.empty()) {
    const std::filesystem::path link = storageFolder / ("COM" + std::to_string(number));
    std::error_code error;
    // symlink_status sees a link even when its device is missing.
    if (std::filesystem::exists(std::filesystem::symlink_status(link, error))) return link;
  }
  return "/dev/ttyS" + std::to_string(number - 1);
}
