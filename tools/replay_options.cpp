#include "tools/replay_options.h"

#include <charconv>
#include <chrono>

namespace {

bool ParseInt(std::string_view text, int& value) {
  if (text.empty()) return false;
  const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
  return result.ec == std::errc() && result.ptr == text.data() + text.size();
}

bool ParseFields(const std::string& text, std::array<int, 3>& fields) {
  std::string_view rest = text;
  for (std::size_t i = 0; i < fields.size(); ++i) {
    const auto comma = rest.find(',');
    const bool last = i + 1 == fields.size();
    if (last != (comma == std::string_view::npos)) return false;
    if (!ParseInt(rest.substr(0, comma), fields[i])) return false;
    if (!last) rest.remove_prefix(comma + 1);
  }
  return true;
}

}  // namespace

std::optional<LocalTime> ParseClock(const std::string& text) {
  // YYYY-MM-DDTHH:MM:SS
  static constexpr std::string_view kShape = "dddd-dd-ddTdd:dd:dd";
  if (text.size() != kShape.size()) return std::nullopt;
  for (std::size_t i = 0; i < kShape.size(); ++i) {
    const bool digit = text[i] >= '0' && text[i] <= '9';
    if (kShape[i] == 'd' ? !digit : text[i] != kShape[i]) return std::nullopt;
  }
  auto number = [&](std::size_t pos, std::size_t len) {
    int value = 0;
    std::from_chars(text.data() + pos, text.data() + pos + len, value);
    return value;
  };
  LocalTime t{number(0, 4), number(5, 2), number(8, 2), number(11, 2), number(14, 2), number(17, 2)};
  const std::chrono::year_month_day date{std::chrono::year(t.year),
                                         std::chrono::month(static_cast<unsigned>(t.month)),
                                         std::chrono::day(static_cast<unsigned>(t.day))};
  if (!date.ok() || t.hour > 23 || t.minute > 59 || t.second > 59) return std::nullopt;
  return t;
}

std::string ParseReplayOptions(const std::vector<std::string>& args, ReplayOptions& options) {
  bool optionsEnded = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    std::string arg = args[i];
    std::string value;
    bool hasValue = false;
    if (!optionsEnded && arg.rfind("--", 0) == 0 && arg.find('=') != std::string::npos) {
      value = arg.substr(arg.find('=') + 1);
      arg = arg.substr(0, arg.find('='));
      hasValue = true;
    }
    auto takeValue = [&]() -> bool {
      if (hasValue) return true;
      if (i + 1 >= args.size()) return false;
      value = args[++i];
      return true;
    };

    if (optionsEnded || arg.empty() || arg[0] != '-' || arg == "-") {
      if (!options.file.empty()) return "more than one FILE: '" + options.file + "' and '" + args[i] + "'";
      options.file = args[i];
    } else if (arg == "--") {
      optionsEnded = true;
    } else if (arg == "--help" || arg == "-h") {
      options.help = true;
    } else if (arg == "--version" && !hasValue) {
      options.version = true;
    } else if (arg == "--print" && !hasValue) {
      options.print = true;
    } else if (arg == "--out") {
      if (!takeValue() || value.empty()) return "--out needs a folder";
      options.outDir = value;
    } else if (arg == "--clock") {
      if (!takeValue()) return "--clock needs a time YYYY-MM-DDTHH:MM:SS";
      options.clock = ParseClock(value);
      if (!options.clock) return "--clock '" + value + "' is not a time YYYY-MM-DDTHH:MM:SS";
    } else if (arg == "--fields") {
      if (!takeValue() || !ParseFields(value, options.fields)) {
        return "--fields needs three codes TOP,MIDDLE,BOTTOM, for example 0,1,3";
      }
    } else if (arg == "--airspace") {
      if (!takeValue() || value.empty()) return "--airspace needs a file";
      options.airspace = value;
    } else if (arg == "--baro") {
      if (!takeValue() || (value != "none" && value != "gps")) return "--baro is none or gps";
      options.baroFromGps = value == "gps";
    } else {
      return "unknown option '" + args[i] + "'";
    }
  }
  if (options.file.empty() && !options.help && !options.version) return "no FILE to replay";
  return {};
}
