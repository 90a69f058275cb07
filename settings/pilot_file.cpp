#include "settings/pilot_file.h"

#include <array>
#include <fstream>
#include <vector>

#include "base/plain_text.h"

namespace {

constexpr std::size_t kMaxFileBytes = 4096;

std::string_view Trimmed(std::string_view text) {
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  return text;
}

bool SameName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
    if (lower(a[i]) != lower(b[i])) return false;
  }
  return true;
}

}  // namespace

PilotInfo ParsePilotFile(std::string_view bytes) {
  PilotInfo info;
  const std::array<std::pair<std::string_view, std::string*>, 5> names = {{
      {"Pilot", &info.pilot},
      {"Crew", &info.crew},
      {"Glider type", &info.gliderType},
      {"Glider ID", &info.gliderId},
      {"Competition ID", &info.competitionId},
  }};
  const std::string text = PlainFileText(bytes);
  std::string_view rest = text;
  while (!rest.empty()) {
    const std::size_t end = rest.find_first_of("\r\n");
    const std::string_view line = rest.substr(0, end);
    rest.remove_prefix(end == std::string_view::npos ? rest.size() : end + 1);
    const std::size_t colon = line.find(':');
    if (colon == std::string_view::npos) continue;
    const std::string_view name = Trimmed(line.substr(0, colon));
    for (const auto& [known, value] : names) {
      if (SameName(name, known)) *value = Trimmed(line.substr(colon + 1));
    }
  }
  return info;
}

PilotInfo LoadPilotFile(const std::filesystem::path& path) {
  std::ifstream file(path, std::ios::binary);
  if (!file) return {};
  std::vector<char> bytes(kMaxFileBytes);
  file.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  return ParsePilotFile(std::string_view(bytes.data(), static_cast<std::size_t>(file.gcount())));
}
