// Command line of flight-replay:
//   flight-replay [--out DIR] [--clock YYYY-MM-DDTHH:MM:SS]
//                 [--fields TOP,MIDDLE,BOTTOM] [--baro none|gps] [--print] FILE
#pragma once

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "logs/local_time.h"

struct ReplayOptions {
  std::string outDir = ".";              // the storage folder; logs go to outDir/FlyData
  std::optional<LocalTime> clock;        // local start time (time zone TZ); now when absent
  std::array<int, 3> fields = {0, 1, 3}; // top, middle, bottom display-field codes
  bool baroFromGps = false;              // simulated barometer on the GPS altitude
  bool print = false;                    // print the display texts of every GPRMC
  bool help = false;
  std::string file;                      // the recorded NMEA stream, "-" for standard input
};

inline constexpr const char* kReplayUsage =
    "usage: flight-replay [--out DIR] [--clock YYYY-MM-DDTHH:MM:SS] "
    "[--fields TOP,MIDDLE,BOTTOM] [--baro none|gps] [--print] FILE";

// Fills `options` from the arguments (without the program name). Returns
// an error message, or the empty text when the arguments are good.
std::string ParseReplayOptions(const std::vector<std::string>& args, ReplayOptions& options);

// "2026-03-23T14:05:09" as a local time; nothing when malformed or no date.
std::optional<LocalTime> ParseClock(const std::string& text);
