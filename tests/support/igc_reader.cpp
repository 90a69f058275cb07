#include "tests/support/igc_reader.h"

#include <cstdio>
#include <sstream>

std::optional<IgcReading> ReadWithIgcParser(const std::filesystem::path& track) {
  if (!std::filesystem::is_directory(FLIGHT_IGC_PARSER_DIR "/igc-parser")) return std::nullopt;
  const std::string command = "NODE_PATH='" FLIGHT_IGC_PARSER_DIR "' node '" FLIGHT_IGC_CHECK "' '" +
                              track.string() + "' 2>&1";
  IgcReading reading;
  if (FILE* out = ::popen(command.c_str(), "r")) {
    char buffer[512];
    while (std::fgets(buffer, sizeof buffer, out) != nullptr) reading.message += buffer;
    reading.accepted = ::pclose(out) == 0;
  }
  // "ok        120 fixes  2026-07-15  /path/trk_....IGC"
  std::istringstream words(reading.message);
  std::string status, fixes, unit;
  words >> status >> fixes >> unit >> reading.date;
  if (!reading.accepted) reading.date.clear();
  return reading;
}
