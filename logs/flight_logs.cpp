#include "logs/flight_logs.h"

#include <cerrno>
#include <filesystem>
#include <system_error>

#include "base/text_format.h"
#include "settings/storage_path.h"

LogFile g_fileTrack;
LogFile g_fileAccel;

namespace {

// The date line has been settled by the run's first B record.
bool g_bTrackDated = false;

// Run numbers tried for one second before giving up.
constexpr int kMaxRunsPerSecond = 99;

std::string TwoDigits(int value) { return FormatInt(value, 2, true); }

std::string Stamp(const LocalTime& time) {
  return TwoDigits(time.day) + TwoDigits(time.month) + TwoDigits(time.year % 100) +
         TwoDigits(time.hour) + TwoDigits(time.minute) + TwoDigits(time.second);
}

// Log files are ASCII text, one record a line: a stray control character or
// a non-ASCII byte from a broken GPS sentence must not split or corrupt it.
std::string AsciiLine(std::string record) {
  for (char& c : record) {
    if (c < 0x20 || c > 0x7e) c = '?';
  }
  record.push_back('\n');
  return record;
}

bool AllDigits(std::string_view text) {
  for (const char c : text) {
    if (c < '0' || c > '9') return false;
  }
  return true;
}

int TwoDigitsAt(std::string_view text, std::size_t at) {
  return (text[at] - '0') * 10 + (text[at + 1] - '0');
}

bool IsRecordTime(std::string_view time) {
  return time.size() == 6 && AllDigits(time) && TwoDigitsAt(time, 0) < 24 &&
         TwoDigitsAt(time, 2) < 60 && TwoDigitsAt(time, 4) < 60;
}

// `digits` digits followed by one of the two hemisphere letters.
bool IsRecordPosition(std::string_view text, std::size_t digits, std::string_view hemispheres) {
  return text.size() == digits + 1 && AllDigits(text.substr(0, digits)) &&
         hemispheres.find(text.back()) != std::string_view::npos;
}

// Five digits, or a minus sign and four.
bool IsRecordAltitude(std::string_view text) {
  return text.size() == 5 && AllDigits(text.substr(text.front() == '-' ? 1 : 0));
}

// The fix validity: A (3D) or V (2D or no fix).
bool IsFixValidity(std::string_view status) { return status == "A" || status == "V"; }

}  // namespace

FlightLogNames FlightLogNamesFor(const LocalTime& time, int run) {
  const std::string suffix = run > 1 ? "_" + std::to_string(run) : "";
  return {"trk_" + Stamp(time) + suffix + ".IGC", "acc_" + Stamp(time) + suffix + ".csv"};
}

bool IsTrackRecordable(const AcquisitionState& state) {
  return IsRecordTime(state.strTime) && IsRecordPosition(state.strLat, 7, "NS") &&
         IsRecordPosition(state.strLon, 8, "EW") && IsFixValidity(state.strStatus) &&
         IsRecordAltitude(state.strAltBaro) && IsRecordAltitude(state.strAltGps);
}

std::string TrackRecord(const AcquisitionState& state) {
  if (!IsTrackRecordable(state)) return "";
  return "B" + state.strTime + state.strLat + state.strLon + state.strStatus + state.strAltBaro +
         state.strAltGps + "\n";
}

std::string AccelRecord(std::string_view time, float x, float y, float z) {
  return AsciiLine(PadLeft(time, 6) + ";" + FormatFixed(x, 5, 2) + ";" + FormatFixed(y, 5, 2) +
                   ";" + FormatFixed(z, 5, 2));
}

bool OpenFlightLogs(const std::string& storageFolder, const LocalTime& time,
                    const TrackHeaderFields& header, bool syncEachRecord) {
  CloseFlightLogs();
  g_bTrackDated = false;
  const std::filesystem::path directory = ToLocalPath("\\" + storageFolder + "\\FlyData");
  std::error_code ignored;  // an existing folder is fine; a missing card shows at the opens
  std::filesystem::create_directory(directory, ignored);

  int trackError = 0;
  int accelError = 0;
  for (int run = 1; run <= kMaxRunsPerSecond; ++run) {
    const FlightLogNames names = FlightLogNamesFor(time, run);
    trackError = g_fileTrack.CreateNew(directory / names.track, syncEachRecord);
    if (trackError == EEXIST) continue;
    accelError = g_fileAccel.CreateNew(directory / names.accel, syncEachRecord);
    if (accelError == EEXIST) {
      // Taken by a run that started at the same moment: give this name up
      // as a pair and take the next number.
      if (g_fileTrack.IsOpen()) {
        g_fileTrack.Close();
        std::filesystem::remove(g_fileTrack.Path(), ignored);
      }
      continue;
    }
    break;
  }
  if (g_fileTrack.IsOpen()) g_fileTrack.Write(TrackHeader(time, header));
  if (g_fileAccel.IsOpen()) g_fileAccel.Write(kAccelHeader);
  return g_fileTrack.IsOpen() && g_fileAccel.IsOpen();
}

void CloseFlightLogs() {
  g_fileTrack.Close();
  g_fileAccel.Close();
}

void WriteTrackRecord(const AcquisitionState& state) {
  const std::string record = TrackRecord(state);
  if (record.empty()) return;
  if (!g_bTrackDated) {
    // B record times are UTC: the flight's date is the UTC date of its first
    // fix, which a clock in another time zone, or one never set, can miss.
    // The six digits have a fixed place, so one write in place settles it.
    g_bTrackDated = true;
    if (IsRmcDate(state.strDate)) g_fileTrack.Overwrite(kTrackDateOffset, state.strDate);
  }
  g_fileTrack.Write(record);
}

void WriteAccelRecord(std::string_view time, float x, float y, float z) {
  g_fileAccel.Write(AccelRecord(time, x, y, z));
}
