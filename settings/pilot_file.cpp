#include "settings/pilot_file.h"

#include <array>
#include <utility>

#include "settings/name_value_file.h"

namespace {

constexpr std::size_t kMaxFileBytes = 4096;

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
  for (const NameValueLine& line : ReadNameValueLines(bytes)) {
    for (const auto& [known, value] : names) {
      if (SameName(line.name, known)) *value = line.value;
    }
  }
  return info;
}

PilotInfo LoadPilotFile(const std::filesystem::path& path) {
  int error = 0;
  const std::optional<std::string> bytes = ReadSmallFile(path, kMaxFileBytes, error);
  return bytes ? ParsePilotFile(*bytes) : PilotInfo{};
}
