#include "logs/track_header.h"

#include <sys/utsname.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iterator>

#include "base/program_version.h"
#include "base/text_format.h"
#include "device/sensor_backend.h"
#include "settings/storage_path.h"

namespace {

constexpr std::string_view kMaker = "FlightInstrument";
constexpr std::string_view kModel = "Linux";

std::string TwoDigits(int value) { return FormatInt(value, 2, true); }

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

std::string HeaderRecord(std::string_view code, std::string_view value) {
  std::string line = "HF";
  line.append(code);
  for (const char c : value) {
    if (line.size() == kMaxIgcLine) break;
    if (c >= 0x20 && c < 0x7F) line.push_back(c);
  }
  line.resize(std::min(line.size(), kMaxIgcLine));
  return line + "\n";
}

std::string TimeZoneHours(int utcOffsetSeconds) {
  // Offsets run in quarter hours (Nepal +5:45, Chatham +12:45): at most two
  // decimals, and none for whole hours.
  const int quarters = (std::abs(utcOffsetSeconds) + 450) / 900;
  std::string text = (utcOffsetSeconds < 0 && quarters > 0 ? "-" : "+") + std::to_string(quarters / 4);
  static constexpr std::string_view kFraction[] = {"", ".25", ".5", ".75"};
  return text.append(kFraction[quarters % 4]);
}

std::string IgcDate(const CalendarDate& date) {
  return TwoDigits(date.day) + TwoDigits(date.month) + TwoDigits(date.year % 100);
}

bool IsRmcDate(std::string_view field) {
  if (field.size() != 6) return false;
  for (const char c : field) {
    if (!IsDigit(c)) return false;
  }
  const auto number = [&](std::size_t at) { return (field[at] - '0') * 10 + (field[at + 1] - '0'); };
  const int day = number(0), month = number(2), year = 2000 + number(4);
  return month >= 1 && month <= 12 && day >= 1 && day <= DaysInMonth(year, month);
}

std::string TrackHeader(const LocalTime& start, const TrackHeaderFields& fields) {
  return "AHOL001\nHFDTE" + IgcDate(UtcDateAt(start)) + "\n" +
         HeaderRecord("PLTPILOTINCHARGE:", fields.pilot.pilot) +
         HeaderRecord("CM2CREW2:", fields.pilot.crew) +
         HeaderRecord("GTYGLIDERTYPE:", fields.pilot.gliderType) +
         HeaderRecord("GIDGLIDERID:", fields.pilot.gliderId) +
         HeaderRecord("CIDCOMPETITIONID:", fields.pilot.competitionId) +
         HeaderRecord("DTMGPSDATUM:", "WGS84") +
         HeaderRecord("RFWFIRMWAREVERSION:", kProgramVersion) +
         HeaderRecord("RHWHARDWAREVERSION:", fields.hardware) +
         HeaderRecord("FTYFRTYPE:", std::string(kMaker) + "," + std::string(kModel)) +
         HeaderRecord("GPSRECEIVER:", "") +
         HeaderRecord("PRSPRESSALTSENSOR:", fields.pressureSensor) +
         HeaderRecord("ALGALTGPS:", "GEO") +
         HeaderRecord("ALPALTPRESSURE:", "ISA") +
         HeaderRecord("TZNTIMEZONE:", TimeZoneHours(start.utcOffsetSeconds));
}

std::string ThisMachine() {
  std::ifstream model("/proc/device-tree/model", std::ios::binary);
  std::string text((std::istreambuf_iterator<char>(model)), std::istreambuf_iterator<char>());
  if (const auto end = text.find('\0'); end != std::string::npos) text.resize(end);
  if (!text.empty()) return text;
  utsname name{};
  return ::uname(&name) == 0 ? name.machine : "";
}

TrackHeaderFields TrackHeaderFor(const std::string& storageFolder) {
  return {LoadPilotFile(ToLocalPath("\\" + storageFolder + "\\" + kPilotFileName)), ThisMachine(),
          OpenBarometerName()};
}
