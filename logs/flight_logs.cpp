#include "logs/flight_logs.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <system_error>

#include "base/text_format.h"
#include "device/sensor_backend.h"
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

namespace {

// What the run's logs were asked to be, so that logs that could not be
// created are tried again.
struct LogRequest {
  bool made = false;
  std::filesystem::path directory;
  LocalTime time;
  TrackHeaderFields header;
  bool sync = true;
};
LogRequest g_request;
int g_nCreateError = 0;   // of the first try

// Creates the pair of g_request; the errno of the first that failed, or 0.
int CreateFlightLogs() {
  CloseFlightLogs();
  g_bTrackDated = false;
  std::error_code ignored;
  std::error_code made;  // an existing folder is fine; a missing card shows at the opens
  std::filesystem::create_directory(g_request.directory, made);

  int trackError = 0;
  int accelError = 0;
  for (int run = 1; run <= kMaxRunsPerSecond; ++run) {
    const FlightLogNames names = FlightLogNamesFor(g_request.time, run);
    trackError = g_fileTrack.CreateNew(g_request.directory / names.track, g_request.sync);
    if (trackError == EEXIST) continue;
    accelError = g_fileAccel.CreateNew(g_request.directory / names.accel, g_request.sync);
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
  if (g_fileTrack.IsOpen()) g_fileTrack.Write(TrackHeader(g_request.time, g_request.header));
  if (g_fileAccel.IsOpen()) g_fileAccel.Write(kAccelHeader);
  const int error = trackError != 0 ? trackError : accelError;
  // No folder for the logs: why it could not be made (no right to write
  // in the storage folder) says more than that it is not there.
  return error == ENOENT && made ? made.value() : error;
}

bool BothOpen() { return g_fileTrack.IsOpen() && g_fileAccel.IsOpen(); }

// True when `log` holds its header and nothing else: a track log without a
// B record (`track`), or an acceleration log of its column names alone; or
// less, as a run killed between its opening and its header leaves it.
constexpr std::uintmax_t kMaxHeaderBytes = 4096;   // far above a header's, far below a flight's
bool HoldsHeaderOnly(int fd, bool track) {
  char buffer[kMaxHeaderBytes];
  const ssize_t count = ::pread(fd, buffer, sizeof buffer, 0);
  if (count < 0 || static_cast<std::size_t>(count) == sizeof buffer) return false;
  const std::string_view text(buffer, static_cast<std::size_t>(count));
  if (!track) return kAccelHeader.substr(0, text.size()) == text;
  return text.empty() || (text.rfind("AHOL001\n", 0) == 0 && text.back() == '\n' &&
                          text.find("\nB") == std::string_view::npos);
}

}  // namespace

bool OpenFlightLogs(const std::string& storageFolder, const LocalTime& time,
                    const TrackHeaderFields& header, bool syncEachRecord) {
  g_request = {true, ToLocalPath("\\" + storageFolder + "\\FlyData"), time, header, syncEachRecord};
  g_fileTrack.ResetCounts();
  g_fileAccel.ResetCounts();
  g_nCreateError = CreateFlightLogs();
  return BothOpen();
}

std::string FlightLogsProblem() {
  if (BothOpen() || !g_request.made) return "";
  return "flight log " + (g_fileTrack.IsOpen() ? g_fileAccel : g_fileTrack).Path().string() +
         " cannot be created (" + std::strerror(g_nCreateError) +
         "): the flight is not recorded until it can be";
}

bool ContinueFlightLogs(const std::filesystem::path& track, const std::filesystem::path& accel,
                        bool syncEachRecord) {
  CloseFlightLogs();
  g_request = {};
  if (g_fileTrack.OpenToAppend(track, syncEachRecord) != 0 ||
      g_fileAccel.OpenToAppend(accel, syncEachRecord) != 0) {
    CloseFlightLogs();
    return false;
  }
  // Dated by its first B record, if it has one: it follows the header.
  std::ifstream log(track, std::ios::binary);
  char start[kMaxHeaderBytes];
  log.read(start, sizeof start);
  g_bTrackDated = std::string_view(start, static_cast<std::size_t>(log.gcount())).find("\nB") != std::string_view::npos;
  return true;
}

bool RetryFlightLogs() {
  if (BothOpen()) return true;
  if (!g_request.made || g_fileTrack.IsOpen() || g_fileAccel.IsOpen()) return false;
  // A barometer found since the first try is named in the header.
  if (g_request.header.pressureSensor.empty()) g_request.header.pressureSensor = OpenBarometerName();
  CreateFlightLogs();
  if (!BothOpen()) return false;
  std::fprintf(stderr, "flight-instrument: the flight is recorded from now on in %s\n",
               g_fileTrack.Path().c_str());
  return true;
}

int RemoveFixlessLogs() {
  if (!g_fileTrack.IsOpen()) return 0;
  const std::filesystem::path directory = g_fileTrack.Path().parent_path();
  int removed = 0;
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator(directory, error)) {
    const std::string name = entry.path().filename().string();
    if (name.size() < 8 || name.rfind("trk_", 0) != 0 || name.substr(name.size() - 4) != ".IGC") continue;
    std::error_code sized;
    if (entry.path() == g_fileTrack.Path() || entry.file_size(sized) > kMaxHeaderBytes || sized) continue;
    const std::filesystem::path accel = directory / ("acc_" + name.substr(4, name.size() - 8) + ".csv");
    const int track = ::open(entry.path().c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    if (track < 0) continue;
    // Locked: its run still has it open, and may yet record.
    if (::flock(track, LOCK_EX | LOCK_NB) == 0 && HoldsHeaderOnly(track, true)) {
      const int acc = ::open(accel.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
      if (acc >= 0 && HoldsHeaderOnly(acc, false) && ::unlink(accel.c_str()) == 0 &&
          ::unlink(entry.path().c_str()) == 0) {
        ++removed;
      }
      if (acc >= 0) ::close(acc);
    }
    ::close(track);
  }
  return removed;
}

void CloseFlightLogs() {
  g_fileTrack.Close();
  g_fileAccel.Close();
}

void WriteTrackRecord(const AcquisitionState& state) {
  const std::string record = TrackRecord(state);
  if (record.empty()) return;
  if (!g_fileTrack.IsOpen()) RetryFlightLogs();
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
  if (!g_fileAccel.IsOpen()) RetryFlightLogs();
  g_fileAccel.Write(AccelRecord(time, x, y, z));
}
