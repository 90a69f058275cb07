// Who flies and in what: the optional text file "Pilot.txt" beside the
// settings file, read once at start-up for the track log's header. One
// "Name: value" line each, names in any case, other lines ignored:
//
//   Pilot: Anna Example
//   Crew:
//   Glider type: Ozone Rush 6
//   Glider ID: D-1234
//   Competition ID: AE
//
// Any encoding an editor saves, as settings/name_value_file.h reads it
// (accented letters become plain ones). A missing, empty or unreadable
// file, or a line with no value, leaves that value empty.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

struct PilotInfo {
  std::string pilot;
  std::string crew;
  std::string gliderType;
  std::string gliderId;
  std::string competitionId;

  bool operator==(const PilotInfo&) const = default;
};

inline constexpr const char kPilotFileName[] = "Pilot.txt";

// The file's contents, as read from its bytes.
PilotInfo ParsePilotFile(std::string_view bytes);

// Reads `path`; only its first 4 KiB count (more is no pilot's profile).
PilotInfo LoadPilotFile(const std::filesystem::path& path);
