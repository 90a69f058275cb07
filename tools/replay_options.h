// Command line of flight-replay:
//   flight-replay [--out DIR] [--clock YYYY-MM-DDTHH:MM:SS]
//                 [--fields TOP,MIDDLE,BOTTOM] [--baro none|gps]
//                 [--airspace FILE] [--print] FILE
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
  std::string airspace;                  // the airspace file; empty: Airspace.txt in outDir, if there
  bool help = false;
  bool version = false;
  std::string file;                      // the recorded NMEA stream, "-" for standard input
};

inline constexpr const char* kReplayUsage =
    "usage: flight-replay [--out DIR] [--clock YYYY-MM-DDTHH:MM:SS] "
    "[--fields TOP,MIDDLE,BOTTOM] [--baro none|gps] [--airspace FILE] [--print] FILE";

// --help: what each option does (the manual page is made from it).
inline constexpr const char* kReplayHelp =
    "Usage: flight-replay [OPTION]... FILE\n"
    "Re-fly a recorded NMEA stream (FILE, - for standard input) through the\n"
    "flight instrument's own acquisition loop and write the IGC track log and\n"
    "the acceleration log it would have written in the air. Traffic from a\n"
    "collision-warning device in the stream ages by the stream's own fix times.\n"
    "Each airspace warning's start, entry and end is printed on standard output\n"
    "with the fix's UTC time, --print or not:\n"
    "  12:35:19 airspace ahead 12s: R LF-R45   (whole seconds to its entry)\n"
    "  12:35:31 airspace inside: R LF-R45\n"
    "  12:36:02 airspace clear: R LF-R45\n"
    "\n"
    "Options:\n"
    "      --out DIR        the storage folder: the logs go to DIR/FlyData, and\n"
    "                       DIR/Pilot.txt fills the track's header as on the\n"
    "                       instrument (default: the current folder)\n"
    "      --clock YYYY-MM-DDTHH:MM:SS\n"
    "                       the local start time (time zone TZ) that names the\n"
    "                       logs and dates the track until its first fix\n"
    "                       (default: now), for runs that can be repeated\n"
    "      --fields TOP,MIDDLE,BOTTOM\n"
    "                       the three display-field codes (default 0,1,3)\n"
    "      --baro none|gps  none (default): no barometer, the vario reads 0;\n"
    "                       gps: a simulated barometer reporting the whole metres\n"
    "                       of the latest GGA altitude\n"
    "      --airspace FILE  the pilot's OpenAir airspace file (default: Airspace.txt\n"
    "                       in the --out folder, when there is one)\n"
    "      --print          one line per RMC sentence with the three display\n"
    "                       texts, top|middle|bottom; a traffic alarm holds\n"
    "                       the top one (\"!3 10h 0.3 +20\") while it lasts, then\n"
    "                       an airspace warning (\"R LF-R45 12s\", 12 characters)\n"
    "  -h, --help           show this help and exit\n"
    "      --version        show the version and exit\n"
    "\n"
    "An error (unreadable FILE or airspace FILE, a folder the logs cannot be\n"
    "created in, a log record that could not be written) ends with a one-line\n"
    "message and exit status 1; a bad option exits with status 2.\n";

// Fills `options` from the arguments (without the program name). Returns
// an error message, or the empty text when the arguments are good.
std::string ParseReplayOptions(const std::vector<std::string>& args, ReplayOptions& options);

// "2026-03-23T14:05:09" as a local time; nothing when malformed or no date.
std::optional<LocalTime> ParseClock(const std::string& text);
