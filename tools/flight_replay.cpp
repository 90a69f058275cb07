// flight-replay: re-flies a recorded NMEA stream through the instrument's
// own acquisition loop and writes the track and acceleration logs it would
// have written in the air, their header filled as the instrument fills it
// (Pilot.txt from the --out folder). With --print it shows the three
// display lines of every GPRMC sentence, "top|middle|bottom", one line each
// (a traffic alarm that starts between two fixes shows on the next one).
// Traffic ages by the stream's own fix times, as it did in the air. With
// an airspace file (--airspace, or Airspace.txt in the --out folder) each
// warning's start, entry and end is printed as a line of its own, before
// the display line of its fix.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <system_error>
#include <vector>

#include "airspace/airspace_file.h"
#include "base/program_version.h"
#include "base/settings_values.h"
#include "device/sensor_backend.h"
#include "device/sensors.h"
#include "flight/acquisition_loop.h"
#include "flight/recorded_byte_source.h"
#include "logs/flight_logs.h"
#include "tools/gps_barometer.h"
#include "tools/replay_options.h"

namespace {

// The replay's stand-in for the main window.
class ReplayWindow final : public InstrumentWindow {
 public:
  explicit ReplayWindow(bool print) : m_bPrint(print) {}

  bool ShowsFieldTexts() const override { return m_bPrint; }
  void ShowFieldTexts(const FieldTexts& texts) override {
    const std::string line = texts.strField1 + "|" + texts.strField2 + "|" + texts.strField3 + "\n";
    std::fwrite(line.data(), 1, line.size(), stdout);
  }
  void ShowAlarmChange(const FieldTexts&) override {}  // one line per fix
  void RequestRepaint() override {}
  void TellAirspaceEvent(const std::string& line) override {
    std::fwrite(line.data(), 1, line.size(), stdout);
    std::fputc('\n', stdout);
  }

 private:
  bool m_bPrint;
};

int Fail(const std::string& message) {
  std::fprintf(stderr, "flight-replay: %s\n", message.c_str());
  return 1;
}

// The airspace file named, or the storage folder's; what it says goes to
// standard error. False when a file named on the command line cannot be read.
bool ReadAirspace(const ReplayOptions& options, const std::filesystem::path& storage,
                  std::shared_ptr<const AirspaceSet>& airspaces) {
  const std::filesystem::path path =
      options.airspace.empty() ? storage / kAirspaceFileName : std::filesystem::path(options.airspace);
  AirspaceFile file = ReadAirspaceFile(path);
  if (!options.airspace.empty() && !file.readable) {
    Fail("cannot read " + options.airspace + ": " + std::strerror(file.found ? file.error : ENOENT));
    return false;
  }
  for (const std::string& line : AirspaceReportLines(file, path.string())) {
    std::fprintf(stderr, "flight-replay: %s\n", line.c_str());
  }
  if (file.airspaces.empty()) return true;
  airspaces = std::make_shared<const AirspaceSet>(std::move(file.airspaces));
  if (!options.baroFromGps) {
    std::fprintf(stderr, "flight-replay: airspace: no barometer: flight levels are judged by the GPS altitude\n");
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  ReplayOptions options;
  const std::string usageError =
      ParseReplayOptions(std::vector<std::string>(argv + 1, argv + argc), options);
  if (options.help) {
    std::fputs(kReplayHelp, stdout);
    return 0;
  }
  if (options.version) {
    std::printf("flight-replay %s\n", kProgramVersion);
    return 0;
  }
  if (!usageError.empty()) {
    std::fprintf(stderr, "flight-replay: %s\n%s\n", usageError.c_str(), kReplayUsage);
    return 2;
  }

  FileByteSource recording;
  if (const int error = recording.Open(options.file == "-" ? "/dev/stdin" : options.file)) {
    return Fail("cannot read " + options.file + ": " + std::strerror(error));
  }

  std::error_code ec;
  std::filesystem::create_directories(options.outDir, ec);
  std::filesystem::path storage = std::filesystem::absolute(options.outDir, ec).lexically_normal();
  if (storage.filename().empty() && storage.has_relative_path()) storage = storage.parent_path();
  g_strStorageFolder = storage.string();
  if (g_strStorageFolder.find('\\') != std::string::npos) {
    // The storage folder is named in the handheld's backslash-separated form.
    return Fail("the storage folder " + g_strStorageFolder + " has a backslash in its path");
  }
  std::shared_ptr<const AirspaceSet> airspaces;
  if (!ReadAirspace(options, storage, airspaces)) return 1;
  // A replay can be run again, so its records need not be forced to disk
  // one by one: they are written in batches. Its header is the
  // instrument's, but for the barometer: a replay has none to name.
  const LocalTime start = options.clock ? WithMachineUtcOffset(*options.clock) : CurrentLocalTime();
  if (!OpenFlightLogs(g_strStorageFolder, start, TrackHeaderFor(g_strStorageFolder), false)) {
    const LogFile& failed = g_fileTrack.IsOpen() ? g_fileAccel : g_fileTrack;
    return Fail("cannot create " + failed.Path().string() + ": " +
                std::strerror(failed.OpenError()));
  }
  g_fileTrack.SetBatched(true);
  g_fileAccel.SetBatched(true);

  g_nFieldSel1 = options.fields[0];
  g_nFieldSel2 = options.fields[1];
  g_nFieldSel3 = options.fields[2];

  ReplayWindow window(options.print);
  AcquisitionOptions acquisition;
  acquisition.trafficClock = nullptr;  // the stream's own time
  AcquisitionLoop loop(recording, window, acquisition);
  loop.SetAirspace(airspaces);
  GpsBarometer gpsBarometer(loop);
  if (options.baroFromGps) SetSensorBackend(&gpsBarometer);
  OpenSensors(nullptr);  // a replay has no sensor hardware to complain about

  loop.AcquisitionThreadProc();
  std::fflush(stdout);
  g_fileTrack.Flush();
  g_fileAccel.Flush();

  if (recording.ReadError() != 0) {
    return Fail("error reading " + options.file + ": " + std::strerror(recording.ReadError()));
  }
  const long long dropped = g_fileTrack.RecordsDropped() + g_fileAccel.RecordsDropped();
  std::fprintf(stderr, "flight-replay: %lld fixes recorded\n  track log: %s\n  acceleration log: %s\n",
               loop.AcceptedFixes(), g_fileTrack.Path().c_str(),
               g_fileAccel.Path().c_str());
  if (dropped > 0) return Fail(std::to_string(dropped) + " log records could not be written");
  return 0;
}
