#include "tools/flight_sim_options.h"

#include <charconv>
#include <cmath>
#include <string_view>

namespace {

template <typename Number>
bool Parse(std::string_view text, Number& value) {
  const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
  return !text.empty() && result.ec == std::errc() && result.ptr == text.data() + text.size();
}

bool ParsePair(std::string_view text, double& first, double& second) {
  const auto comma = text.find(',');
  return comma != std::string_view::npos && Parse(text.substr(0, comma), first) &&
         Parse(text.substr(comma + 1), second);
}

bool ParseTime(std::string_view text, int& second) {
  int h = 0, m = 0, s = 0;
  if (text.size() != 8 || text[2] != ':' || text[5] != ':' || !Parse(text.substr(0, 2), h) ||
      !Parse(text.substr(3, 2), m) || !Parse(text.substr(6, 2), s) || h > 23 || m > 59 || s > 59) {
    return false;
  }
  second = h * 3600 + m * 60 + s;
  return true;
}

// RATE:SECONDS[,RATE:SECONDS...]: climbs and sinks a pilot can meet
// (within 20 m/s), for whole seconds.
bool ParseVertical(std::string_view text, std::vector<VerticalPhase>& phases) {
  phases.clear();
  for (;;) {
    const auto comma = text.find(',');
    const std::string_view item = text.substr(0, comma);
    const auto colon = item.find(':');
    VerticalPhase phase;
    if (colon == std::string_view::npos || !Parse(item.substr(0, colon), phase.verticalSpeed) ||
        !Parse(item.substr(colon + 1), phase.seconds) || !(std::fabs(phase.verticalSpeed) <= 20) ||
        phase.seconds < 1) {
      return false;
    }
    phases.push_back(phase);
    if (comma == std::string_view::npos) return true;
    text.remove_prefix(comma + 1);
  }
}

}  // namespace

std::string ParseSimOptions(int argc, char** argv, SimOptions& options) {
  // --help and --version stand in place of the mode or of an option.
  const auto helpOrVersion = [&options](std::string_view arg) {
    options.help = arg == "--help" || arg == "-h";
    options.version = arg == "--version";
    return options.help || options.version;
  };
  if (argc < 2) return "nmea or run?";
  const std::string_view mode = argv[1];
  if (helpOrVersion(mode)) return "";
  if (mode != "nmea" && mode != "run") return "nmea or run, not '" + std::string(mode) + "'";
  options.mode = mode == "run" ? SimMode::kRun : SimMode::kNmea;
  FlightSimOptions& flight = options.flight;
  for (int i = 2; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (helpOrVersion(arg)) return "";
    if (i + 1 >= argc) return std::string(arg) + " needs a value";
    const std::string_view value = argv[++i];
    const bool ok =
        arg == "--seed"       ? Parse(value, flight.seed)
        : arg == "--wind"     ? ParsePair(value, flight.windFrom, flight.windSpeed) &&
                                flight.windSpeed >= 0 && flight.windSpeed < 30
        : arg == "--airspeed" ? Parse(value, flight.airspeed) && flight.airspeed >= 5 &&
                                flight.airspeed <= 80
        : arg == "--airspeed-noise" ? Parse(value, flight.airspeedNoise) && flight.airspeedNoise >= 0 &&
                                      flight.airspeedNoise < 5
        : arg == "--duration" ? Parse(value, flight.duration) && flight.duration > 0
        : arg == "--start"    ? ParseTime(value, flight.startSecond)
        : arg == "--place"    ? ParsePair(value, flight.lat, flight.lon) && flight.lat > -85 &&
                                flight.lat < 85 && flight.lon >= -180 && flight.lon <= 180
        : arg == "--talker"   ? (flight.talker = std::string(value)) == "GP" || flight.talker == "GN"
        : arg == "--vertical" ? ParseVertical(value, flight.vertical)
        : arg == "--gaggle"   ? Parse(value, options.traffic.gaggle) && options.traffic.gaggle >= 0 &&
                                options.traffic.gaggle <= 30
        : arg == "--crossing" ? Parse(value, options.traffic.crossingSecond) &&
                                options.traffic.crossingSecond >= 0
        : options.mode != SimMode::kRun ? false
        : arg == "--storage"  ? !(options.storage = std::string(value)).empty()
        : arg == "--com"      ? Parse(value, options.com) && options.com >= 1 && options.com <= 9
        : arg == "--speed"    ? Parse(value, options.speed) && options.speed > 0
        : arg == "--file"     ? !(options.file = std::string(value)).empty()
        : arg == "--baro-noise" ? Parse(value, options.baroNoise) && options.baroNoise >= 0 &&
                                  options.baroNoise < 1
        : arg == "--serve"    ? Parse(value, options.servePort) && options.servePort >= 1 &&
                                options.servePort <= 65535
                              : false;
    if (!ok) return "cannot use " + std::string(arg) + " " + std::string(value);
  }
  if (options.mode == SimMode::kRun && options.storage.empty()) return "run needs --storage DIR";
  if (options.traffic.crossingSecond >= flight.duration) return "--crossing must be within the --duration";
  return "";
}
