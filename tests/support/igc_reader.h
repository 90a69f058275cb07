// The independent IGC reader the track logs are checked with: the npm
// package igc-parser in strict mode (scripts/install-igc-parser.sh puts it
// into build/igc-check), which rejects a whole file for one bad line.
#pragma once

#include <filesystem>
#include <optional>
#include <string>

struct IgcReading {
  bool accepted = false;
  std::string date;      // the flight's date as the reader takes it, YYYY-MM-DD
  std::string message;   // the reader's line
};

// nullopt when igc-parser is not installed (the caller says so and skips).
std::optional<IgcReading> ReadWithIgcParser(const std::filesystem::path& track);
