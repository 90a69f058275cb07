// The real program fed by flight-sim: a receiver on a pseudo-terminal and
// simulated sensors, as a pilot's cockpit would feed it. What it records
// must be what flight-replay records from the same stream, record for
// record, and however it is ended, its logs hold whole records.
#include <fcntl.h>
#include <signal.h>
#include <sys/mount.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <memory>
#include <optional>
#include <vector>
#include <regex>
#include <sstream>
#include <thread>

#include <gtest/gtest.h>

#include "flight/nmea_reader.h"
#include "tests/support/flight_test.h"
#include "tests/support/gpsd_watch.h"
#include "tests/support/igc_reader.h"
#include "tests/support/lk8ex1_reading.h"
#include "tests/support/pty_receiver.h"
#include "tests/support/qt_test.h"
#include "tests/support/stream_client.h"
#include "tests/support/temp_dir.h"
#include "tools/sim_sensor_tree.h"

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

using Environment = std::vector<std::pair<std::string, std::string>>;

// Starts `args` with `env` added to the environment; its standard error
// goes to `errors` when one is named.
pid_t Spawn(const std::vector<std::string>& args, const fs::path& errors = {}, const Environment& env = {}) {
  const pid_t pid = ::fork();
  if (pid == 0) {
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    for (const auto& [name, value] : env) ::setenv(name.c_str(), value.c_str(), 1);
    if (!errors.empty()) {
      const int fd = ::open(errors.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
      if (fd >= 0) ::dup2(fd, STDERR_FILENO);
    }
    std::vector<char*> argv;
    for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    ::execv(argv[0], argv.data());
    ::_exit(127);
  }
  return pid;
}

// The exit status once the process has ended (after `signal`, if one is
// given), or -1 when it did not end within the deadline.
int EndOf(pid_t pid, int signal = 0, std::chrono::seconds deadline = 60s) {
  if (signal != 0) ::kill(pid, signal);
  int status = 0;
  if (!WaitUntil([&] { return ::waitpid(pid, &status, WNOHANG) == pid; }, deadline)) {
    ::kill(pid, SIGKILL), ::waitpid(pid, &status, 0);
    return -1;
  }
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::vector<std::string> BRecords(const fs::path& folder) {
  std::vector<std::string> records;
  if (!fs::is_directory(folder / "FlyData")) return records;
  for (const auto& entry : fs::directory_iterator(folder / "FlyData")) {
    if (entry.path().extension() != ".IGC") continue;
    std::istringstream lines(ReadFileBytes(entry.path()));
    for (std::string line; std::getline(lines, line);) {
      if (line.rfind('B', 0) == 0) records.push_back(line);
    }
  }
  return records;
}

// The track log's lines before its first B record: the A record and the
// H records.
std::string TrackHeaderIn(const fs::path& folder) {
  for (const auto& entry : fs::directory_iterator(folder / "FlyData")) {
    if (entry.path().extension() != ".IGC") continue;
    const std::string log = ReadFileBytes(entry.path());
    const std::size_t firstRecord = log.find("\nB");
    return firstRecord == std::string::npos ? log : log.substr(0, firstRecord + 1);
  }
  return "";
}

// The UTC date YYYY-MM-DD of the GPRMC whose fix is `record` (a B record),
// from the recorded stream `nmea`; empty when its date field is no date.
std::string FixDate(const fs::path& nmea, const std::string& record) {
  std::istringstream lines(ReadFileBytes(nmea));
  for (std::string line; std::getline(lines, line);) {
    if (line.find("RMC," + record.substr(1, 6)) == std::string::npos) continue;
    std::istringstream fields(line);
    std::string date;
    for (int field = 0; field <= 9; ++field) std::getline(fields, date, ',');
    if (date.size() != 6) return "";
    return "20" + date.substr(4, 2) + "-" + date.substr(2, 2) + "-" + date.substr(0, 2);
  }
  return "";
}

// Every track log in `folder` read by igc-parser in strict mode, and dated
// `date` by it when one is given.
void ExpectIgcReaderAccepts(const fs::path& folder, const std::string& date = "") {
  for (const auto& entry : fs::directory_iterator(folder)) {
    if (entry.path().extension() != ".IGC") continue;
    const std::optional<IgcReading> reading = ReadWithIgcParser(entry.path());
    if (!reading) {
      std::cout << "igc-parser is not installed (scripts/install-igc-parser.sh): IGC reader's check skipped\n";
      return;
    }
    EXPECT_TRUE(reading->accepted) << reading->message;
    if (!date.empty()) {
      EXPECT_EQ(reading->date, date) << reading->message;
    }
  }
}

// CPU seconds the process has used so far, user and system.
double CpuSeconds(pid_t pid) {
  std::istringstream stat(ReadFileBytes("/proc/" + std::to_string(pid) + "/stat"));
  std::string skipped;
  for (int field = 1; field < 14; ++field) stat >> skipped;
  long long user = 0, system = 0;
  stat >> user >> system;
  return static_cast<double>(user + system) / static_cast<double>(::sysconf(_SC_CLK_TCK));
}

class InstrumentEndToEnd : public ::testing::Test {
 protected:
  // Starts flight-sim run with `simArgs` on a storage folder holding the
  // program, then the program on COM7 (with `env`); their process ids.
  std::pair<pid_t, pid_t> Start(const std::vector<std::string>& simArgs, const Environment& env = {},
                                const std::vector<std::string>& programArgs = {}) {
    fs::copy_file(FLIGHT_INSTRUMENT_EXE, storage / "flight-instrument", fs::copy_options::overwrite_existing);
    // Wind from, wind speed and vario on the display.
    WriteFileBytes(storage / "TermIni.INI", SettingsFileBytes("COM7:, 9600,6,3,3,4,1, 8"));
    std::vector<std::string> args = {FLIGHT_SIM_EXE, "run", "--storage", storage.Path().string()};
    args.insert(args.end(), simArgs.begin(), simArgs.end());
    const pid_t sim = Spawn(args);
    EXPECT_TRUE(WaitUntil([&] { return fs::is_symlink(storage / "COM7"); }));
    std::vector<std::string> command = {(storage / "flight-instrument").string()};
    command.insert(command.end(), programArgs.begin(), programArgs.end());
    const pid_t program = Spawn(command, replay / "instrument.err", env);
    children = {sim, program};
    return {sim, program};
  }
  // A test that stops early leaves no program running, no card mounted.
  void TearDown() override {
    for (const pid_t child : children) {
      if (::waitpid(child, nullptr, WNOHANG) == 0) ::kill(child, SIGKILL), ::waitpid(child, nullptr, 0);
    }
    if (mounted) ::umount2(storage.Path().c_str(), MNT_DETACH);
  }
  std::vector<pid_t> children;
  bool mounted = false;
  // Flies until the sim ends and `expected` records are written; the
  // program's exit status after SIGTERM.
  int Fly(const std::vector<std::string>& simArgs, std::size_t expected) {
    const auto [sim, program] = Start(simArgs);
    EXPECT_EQ(EndOf(sim), 0);
    WaitUntil([&] { return BRecords(storage.Path()).size() >= expected; }, 5s);
    EXPECT_FALSE(fs::exists(storage / "sys")) << "the simulated sensors end with the simulation";
    return EndOf(program, SIGTERM);
  }
  // flight-replay's B records of `nmea`, with the GPS barometer.
  std::vector<std::string> Replayed(const fs::path& nmea) {
    const std::string command = std::string(FLIGHT_REPLAY_EXE) + " --baro gps --out '" +
                                replay.Path().string() + "' '" + nmea.string() + "' 2>/dev/null";
    EXPECT_EQ(std::system(command.c_str()), 0);
    return BRecords(replay.Path());
  }
  TempDir storage, replay;
};

// The pressure-altitude column (the simulated barometer's, or the replay's
// GPS altitude) masked.
std::vector<std::string> WithoutPressureAltitude(std::vector<std::string> records) {
  for (std::string& record : records) record.replace(25, 5, "-----");
  return records;
}

// A simulated flight and each recording (the receiver torture stream too)
// through the real port: the program records what flight-replay records
// from the same stream, whole IGC records once a second.
TEST_F(InstrumentEndToEnd, EveryStreamThroughTheRealPortIsRecordedAsTheReplayRecordsIt) {
  const fs::path simulated = replay / "simulated.nmea";
  const std::string nmea = std::string(FLIGHT_SIM_EXE) + " nmea --duration 300 --wind 270,5 > '" +
                           simulated.string() + "'";
  ASSERT_EQ(std::system(nmea.c_str()), 0);
  std::vector<fs::path> streams = {simulated};
  if (!fs::is_directory(FLIGHT_RECORDINGS_DIR)) {
    std::cout << "the recordings (" FLIGHT_RECORDINGS_DIR ") are not beside this clone: simulated flight only\n";
  } else {
    for (const char* name : {"paraglider-thermals", "glider-flarm-capture", "receiver-coldboot-torture",
                             "receiver-southern-hemisphere", "receiver-western-hemisphere"}) {
      streams.push_back(RecordingPath(std::string(name) + ".nmea"));
    }
  }
  for (const fs::path& stream : streams) {
    SCOPED_TRACE(stream.filename().string());
    fs::remove_all(replay / "FlyData");
    fs::remove_all(storage / "FlyData");
    for (const TempDir* folder : {&storage, &replay}) WriteFileBytes(*folder / "Pilot.txt", "Pilot: Anna Example\n");
    const std::vector<std::string> expected = Replayed(stream);
    static const std::regex kBRecord("B([01][0-9]|2[0-3])[0-5][0-9][0-5][0-9][0-9]{7}[NS][0-9]{8}[EW]"
                                     "[AV](-[0-9]{4}|[0-9]{5})(-[0-9]{4}|[0-9]{5})");
    for (std::size_t i = 0; i < expected.size(); ++i) {
      EXPECT_TRUE(std::regex_match(expected[i], kBRecord)) << expected[i];
      EXPECT_TRUE(i == 0 || expected[i].substr(1, 6) != expected[i - 1].substr(1, 6)) << "once a second";
    }
    EXPECT_EQ(Fly({"--speed", "3000", "--file", stream.string()}, expected.size()), 0);
    // The pressure column masked: the replay's is the GGA's metres cut
    // short, the program's its barometer's rounded.
    EXPECT_EQ(WithoutPressureAltitude(BRecords(storage.Path())), WithoutPressureAltitude(expected));
    // The same header, the date of the first fix included, but for the
    // barometer: the program has one, the replay does not.
    std::string header = TrackHeaderIn(replay.Path());
    const std::string noSensor = "HFPRSPRESSALTSENSOR:\n";
    ASSERT_NE(header.find(noSensor), std::string::npos) << header;
    header.insert(header.find(noSensor) + noSensor.size() - 1, "ms5611");
    EXPECT_EQ(TrackHeaderIn(storage.Path()), header);
    EXPECT_NE(header.find("\nHFPLTPILOTINCHARGE:Anna Example\n"), std::string::npos) << header;
    const std::string date = expected.empty() ? "" : FixDate(stream, expected.front());
    if (date.empty()) std::cout << "no first fix with a date: the IGC reader's date is not compared\n";
    ExpectIgcReaderAccepts(storage / "FlyData", date);
    ExpectIgcReaderAccepts(replay / "FlyData", date);
  }
}

// The signals a Linux system sends to end a program stop the flight in an
// orderly way, whatever moment they come at. Killed outright (a flat
// battery cuts the power the same way), each record was written whole and
// forced to storage before: the logs on the card parse either way.
TEST_F(InstrumentEndToEnd, EndedOrKilledInFlightTheLogsHoldWholeRecords) {
  for (const int signal : {SIGTERM, SIGINT, SIGHUP, SIGKILL}) {
    SCOPED_TRACE(strsignal(signal));
    fs::remove_all(storage / "FlyData");
    const auto [sim, program] = Start({"--speed", "20"});
    ASSERT_TRUE(WaitUntil([&] { return BRecords(storage.Path()).size() >= 5; }));
    EXPECT_EQ(EndOf(program, signal), signal == SIGKILL ? -1 : 0);
    EXPECT_EQ(EndOf(sim, SIGTERM), 0);
    std::size_t accel = 0;
    for (const auto& entry : fs::directory_iterator(storage / "FlyData")) {
      const std::string log = ReadFileBytes(entry.path());
      ASSERT_EQ(log.back(), '\n') << entry.path();
      if (entry.path().extension() == ".csv") accel = std::count(log.begin(), log.end(), '\n') - 1;
      const std::size_t header = TrackHeaderIn(storage.Path()).size();
      EXPECT_TRUE(entry.path().extension() != ".IGC" || (log.size() - header) % 36 == 0) << "whole B records";
    }
    const std::size_t track = BRecords(storage.Path()).size();
    EXPECT_TRUE(accel == track || accel + 1 == track) << "the acceleration record follows its B record";
    ExpectIgcReaderAccepts(storage / "FlyData");
  }
}

// The receiver's cable pulled in flight, then plugged in again, and the
// system gives it another device name: the instrument finds it by itself,
// and waits for it without burning the battery.
TEST_F(InstrumentEndToEnd, AReceiverUnpluggedInFlightIsFoundAgainUnderANewName) {
  const auto [sim, program] = Start({"--speed", "10"});
  ASSERT_TRUE(WaitUntil([&] { return BRecords(storage.Path()).size() >= 5; }));
  EXPECT_EQ(EndOf(sim, SIGTERM), 0);  // unplugged: its pseudo-terminal and its link are gone
  PtyReceiver other;  // holds the old device number: the receiver comes back under a new one
  const double before = CpuSeconds(program);
  WaitUntil([] { return false; }, 3s);
  EXPECT_LT(CpuSeconds(program) - before, 0.3) << "CPU seconds in 3 s without a receiver";
  const pid_t again = Spawn({FLIGHT_SIM_EXE, "run", "--storage", storage.Path().string(), "--speed",
                             "10", "--start", "13:00:00"});
  EXPECT_TRUE(WaitUntil([&] {
    const std::vector<std::string> records = BRecords(storage.Path());
    return !records.empty() && records.back().rfind("B1300", 0) == 0;
  }, 30s));
  EXPECT_EQ(EndOf(program, SIGTERM), 0);
  EXPECT_EQ(EndOf(again, SIGTERM), 0);
}

// The card fills up in flight (a small file system of its own): the
// instrument flies on, and records again as soon as there is room.
TEST_F(InstrumentEndToEnd, AFullCardStopsNoFlightAndRecordingGoesOnWhenThereIsRoom) {
  const std::string size = "size=" + std::to_string(fs::file_size(FLIGHT_INSTRUMENT_EXE) + (4 << 20));
  if (::mount("tmpfs", storage.Path().c_str(), "tmpfs", 0, size.c_str()) != 0) {
    GTEST_SKIP() << "no small file system can be mounted here: " << std::strerror(errno);
  }
  mounted = true;
  const auto [sim, program] = Start({"--speed", "50"});
  ASSERT_TRUE(WaitUntil([&] { return BRecords(storage.Path()).size() >= 5; }));
  // Kept full for six seconds, longer than the logs' last pages last: the
  // simulated sensors' files give a page back now and then, which the
  // filler takes again at once.
  std::ofstream filler(storage / "filler", std::ios::binary);
  const std::string block(4096, 'x');
  WaitUntil([&] {
    filler.clear();
    while (filler.write(block.data(), block.size()) && filler.flush()) {}
    return false;
  }, 6s);
  const std::string errors = ReadFileBytes(replay / "instrument.err");
  EXPECT_NE(errors.find("No space left on device"), std::string::npos) << errors
      << "the full card is reported";
  EXPECT_EQ(::waitpid(program, nullptr, WNOHANG), 0) << "the instrument flies on";
  const std::size_t before = BRecords(storage.Path()).size();
  filler.close();
  fs::remove(storage / "filler");
  EXPECT_TRUE(WaitUntil([&] { return BRecords(storage.Path()).size() >= before + 10; }));
  EXPECT_EQ(EndOf(program, SIGTERM), 0);
  EXPECT_EQ(EndOf(sim, SIGTERM), 0);
  for (const auto& entry : fs::directory_iterator(storage / "FlyData")) {
    EXPECT_EQ(ReadFileBytes(entry.path()).back(), '\n') << "whole records only";
  }
  ExpectIgcReaderAccepts(storage / "FlyData");
}

// "Sound" on, in a thermal, and the sound device one that takes whatever
// it is given: ALSA's null device, made the default by the pilot's own
// ALSA settings (~/.asoundrc). The tone is paced by the clock, not by a
// device that never makes it wait: no busy loop.
TEST_F(InstrumentEndToEnd, TheToneOnADeviceThatDoesNotPaceItsWritesIsNoBusyLoop) {
  WriteFileBytes(replay / ".asoundrc", "pcm.!default { type null }\n");
  const Environment sound = {{"HOME", replay.Path().string()},
                             {"PULSE_SERVER", (replay / "no-sound-server").string()}};
  const auto [sim, program] = Start({"--speed", "1", "--vertical", "2:120"}, sound);
  ASSERT_TRUE(WaitUntil([&] { return BRecords(storage.Path()).size() >= 3; }, 30s));
  const double before = CpuSeconds(program);
  WaitUntil([] { return false; }, 5s);
  EXPECT_LT(CpuSeconds(program) - before, 1.0) << "CPU seconds in 5 s of climbing with the tone on";
  EXPECT_EQ(EndOf(program, SIGTERM), 0);
  EXPECT_EQ(EndOf(sim, SIGTERM), 0);
  const std::string errors = ReadFileBytes(replay / "instrument.err");
  EXPECT_EQ(errors.find("audio vario"), std::string::npos) << errors;
}

// A screen device that is there but cannot be drawn on (here the
// framebuffer platform on a device that is none): Qt gives up on it, and
// the instrument starts anew without a screen and records the flight.
TEST_F(InstrumentEndToEnd, AScreenThatCannotBeDrawnOnIsFlownWithout) {
  const auto [sim, program] = Start({"--speed", "10"}, {{"QT_QPA_PLATFORM", "linuxfb:fb=/dev/null"}});
  ASSERT_TRUE(WaitUntil([&] { return BRecords(storage.Path()).size() >= 5; }, 30s))
      << ReadFileBytes(replay / "instrument.err");
  EXPECT_EQ(EndOf(program, SIGTERM), 0);
  EXPECT_EQ(EndOf(sim, SIGTERM), 0);
  EXPECT_NE(ReadFileBytes(replay / "instrument.err").find(
                "flight-instrument: the screen cannot be drawn on: flying and recording without it\n"),
            std::string::npos);
}

// The barometer's driver binds five seconds after the start (its IIO
// device folder appears, as the kernel makes it): the instrument takes it
// up by itself, and the tone and the track log's pressure column follow.
// The tone is caught in a file by ALSA's file plugin.
TEST_F(InstrumentEndToEnd, ABarometerThatComesFiveSecondsAfterTheStartGivesTheToneAndThePressure) {
  TempDir sim;   // the simulator's folder: the instrument sees its sensors only once linked
  fs::copy_file(FLIGHT_INSTRUMENT_EXE, storage / "flight-instrument");
  WriteFileBytes(storage / "TermIni.INI", SettingsFileBytes("COM7:, 9600,6,3,3,4,1, 8"));
  const fs::path devices = storage / "sys/bus/iio/devices";
  fs::create_directories(devices);
  const fs::path tone = replay / "tone.raw";
  WriteFileBytes(replay / ".asoundrc", "pcm.!default { type file slave.pcm \"null\" file \"" +
                                           tone.string() + "\" format \"raw\" }\n");
  const pid_t simulator = Spawn({FLIGHT_SIM_EXE, "run", "--storage", sim.Path().string(), "--speed", "1",
                                 "--vertical", "2:600", "--baro-noise", "0"});
  children.push_back(simulator);
  ASSERT_TRUE(WaitUntil([&] { return fs::is_symlink(sim / "COM7") && fs::exists(sim / "sys"); }));
  fs::create_symlink(sim / "COM7", storage / "COM7");
  fs::create_directory_symlink(sim / "sys/bus/iio/devices/iio:device1", devices / "iio:device1");
  const pid_t program = Spawn({(storage / "flight-instrument").string()}, replay / "instrument.err",
                              {{"HOME", replay.Path().string()},
                               {"PULSE_SERVER", (replay / "no-sound-server").string()}});
  children.push_back(program);
  const auto pressureColumns = [&] {
    std::vector<std::string> columns;
    for (const std::string& record : BRecords(storage.Path())) columns.push_back(record.substr(25, 5));
    return columns;
  };
  const auto toneHeard = [&] {
    const std::string samples = ReadFileBytes(tone);
    return std::any_of(samples.begin(), samples.end(), [](char c) { return c != 0; });
  };
  WaitUntil([] { return false; }, 5s);
  const std::vector<std::string> before = pressureColumns();
  ASSERT_GE(before.size(), 2u);
  for (const std::string& column : before) EXPECT_EQ(column, "00000") << "no barometer yet";
  EXPECT_FALSE(toneHeard()) << "no tone without a barometer";

  const auto appeared = std::chrono::steady_clock::now();
  fs::create_directory_symlink(sim / "sys/bus/iio/devices/iio:device0", devices / "iio:device3");
  std::optional<double> pressureAfter, toneAfter;
  const auto seconds = [&] {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - appeared).count();
  };
  WaitUntil([&] {
    const std::vector<std::string> columns = pressureColumns();
    if (!pressureAfter && !columns.empty() && columns.back() != "00000") pressureAfter = seconds();
    if (!toneAfter && toneHeard()) toneAfter = seconds();
    return pressureAfter && toneAfter;
  }, 15s);
  ASSERT_TRUE(pressureAfter) << "no pressure altitude recorded";
  ASSERT_TRUE(toneAfter) << "no tone";
  std::cout << "the barometer came; its first recorded pressure altitude " << *pressureAfter
            << " s later, the climb tone " << *toneAfter << " s later\n";
  EXPECT_LT(*pressureAfter, 3.5);   // a search a second, and a fix a second
  EXPECT_LT(*toneAfter, 3.0);
  EXPECT_EQ(EndOf(program, SIGTERM), 0);
  EXPECT_EQ(EndOf(simulator, SIGTERM), 0);
  const std::string errors = ReadFileBytes(replay / "instrument.err");
  EXPECT_NE(errors.find("flight-instrument: Not open sensor bar\n"), std::string::npos) << errors;
  EXPECT_EQ(errors.find("Not open sensor comp"), std::string::npos) << errors;
}

// The lines of the stream an app received, without their line ends; a
// line that does not end in CR LF is kept as it is, to be found.
std::vector<std::string> StreamLines(const std::string& stream) {
  std::vector<std::string> lines;
  std::istringstream text(stream);
  for (std::string line; std::getline(text, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    else line += "<no CR>";
    lines.push_back(line);
  }
  return lines;
}

// What `flight-sim nmea` writes for `flight`, kept in `file`.
std::string SimulatedStream(const std::vector<std::string>& flight, const fs::path& file) {
  std::string command = std::string(FLIGHT_SIM_EXE) + " nmea";
  for (const std::string& arg : flight) command += " " + arg;
  EXPECT_EQ(std::system((command + " > '" + file.string() + "'").c_str()), 0);
  return ReadFileBytes(file);
}

std::size_t Count(const std::string& text, const std::string& what) {
  std::size_t count = 0;
  for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++count;
  return count;
}

// An app connected to the real program's NMEA stream (flight-sim --serve
// writes the Output.txt) gets the receiver's sentences, traffic included,
// byte for byte as the simulator sent them, and between two fixes ten
// $LK8EX1 with the simulated barometer's pressure and temperature, the
// battery, and the climb flown.
TEST_F(InstrumentEndToEnd, AnAppGetsTheFlightsSentencesAndTheVarioTenTimesASecond) {
  const std::vector<std::string> flight = {"--vertical", "2:600", "--gaggle", "2"};
  const int port = FreeTcpPort();
  std::vector<std::string> args = {"--speed", "1", "--baro-noise", "0", "--serve", std::to_string(port)};
  args.insert(args.end(), flight.begin(), flight.end());
  const auto [sim, program] = Start(args);
  EXPECT_EQ(ReadFileBytes(storage / "Output.txt"), "TCP port: " + std::to_string(port) + "\n");
  std::unique_ptr<StreamClient> app;
  ASSERT_TRUE(WaitUntil([&] { return (app = std::make_unique<StreamClient>(port))->Connected(); }, 30s));
  // The sentences' rate on the wall clock, from the first one read.
  std::optional<std::pair<std::chrono::steady_clock::time_point, std::size_t>> firstRead;
  ASSERT_TRUE(WaitUntil([&] {
    app->ReadAvailable();
    const std::size_t read = Count(app->Received(), "$LK8EX1,");
    if (!firstRead && read > 0) firstRead = {std::chrono::steady_clock::now(), read};
    return Count(app->Received(), "$GPRMC") >= 8;
  }, 30s)) << app->Received();
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - firstRead->first).count();
  EXPECT_NEAR(static_cast<double>(Count(app->Received(), "$LK8EX1,") - firstRead->second) / seconds, 10, 0.7)
      << "$LK8EX1 a second";
  EXPECT_EQ(EndOf(program, SIGTERM), 0);
  EXPECT_EQ(EndOf(sim, SIGTERM), 0);
  EXPECT_FALSE(fs::exists(storage / "Output.txt")) << "the simulation's Output.txt goes with it";

  std::vector<std::string> gps, vario;
  for (const std::string& line : StreamLines(app->Received())) (line.rfind("$LK8EX1,", 0) == 0 ? vario : gps).push_back(line);
  const std::vector<std::string> sent = StreamLines(SimulatedStream(flight, replay / "sent.nmea"));
  const auto first = std::find(sent.begin(), sent.end(), gps.front());
  ASSERT_NE(first, sent.end()) << gps.front();
  ASSERT_LE(gps.size(), static_cast<std::size_t>(sent.end() - first));
  EXPECT_EQ(gps, std::vector<std::string>(first, first + static_cast<std::ptrdiff_t>(gps.size())));

  std::optional<double> altitude;   // of the last GGA
  int fixes = 0, sentences = 0;
  std::vector<long> climb;   // [cm/s] once the climb is under way
  for (const std::string& line : StreamLines(app->Received())) {
    if (line.rfind("$GPGGA,", 0) == 0) {
      altitude = std::stod(NmeaField(line, 10));
      if (++fixes >= 3) {
        EXPECT_GE(sentences, 9) << "between two fixes, a second or more apart";
      }
      sentences = 0;
    }
    Lk8ex1Fields fields{};
    if (line.rfind("$LK8EX1,", 0) != 0 || !altitude) continue;
    ++sentences;
    ASSERT_TRUE(ReadLk8ex1(line, fields));
    EXPECT_NEAR(fields.pressure, StandardPressure_kPa(*altitude) * 1000, 40) << line;
    EXPECT_EQ(fields.temperature, std::lround(StandardTemperature_C(*altitude))) << line;
    EXPECT_EQ(fields.battery, 1095) << line;
    if (fixes >= 4) climb.push_back(fields.vario);
  }
  EXPECT_GE(fixes, 7);
  // The simulator's barometer waits for the program to read each fix: on a
  // loaded machine it may stand still for a moment, and the vario with it.
  ASSERT_FALSE(climb.empty());
  std::nth_element(climb.begin(), climb.begin() + climb.size() / 2, climb.end());
  EXPECT_NEAR(climb[climb.size() / 2], 200, 30) << "the median vertical speed of the climb";
}

// Debian's gpsd, reading the real program's stream as it reads a networked
// receiver, reports the simulated flight's fixes.
TEST_F(InstrumentEndToEnd, GpsdReadingTheRealProgramReportsTheFlightsFixes) {
  if (::access(kGpsdProgram, X_OK) != 0) GTEST_SKIP() << "gpsd is not installed (scripts/test.sh installs Debian's gpsd)";
  const int port = FreeTcpPort();
  const auto [sim, program] = Start({"--speed", "5", "--duration", "60", "--serve", std::to_string(port)});
  ASSERT_TRUE(WaitUntil([&] { return StreamClient(port).Connected(); }, 30s));
  GpsdWatch gpsd("tcp://127.0.0.1:" + std::to_string(port));
  ASSERT_TRUE(gpsd.Watching()) << "gpsd did not start";
  EXPECT_EQ(EndOf(sim), 0);
  const Fixes sent = RmcFixes(SimulatedStream({"--duration", "60"}, replay / "sent.nmea"));
  WaitUntil([&] { return gpsd.Reported().size() == sent.size(); }, 2s);
  EXPECT_EQ(EndOf(program, SIGTERM), 0);
  const Fixes reported = gpsd.Reported();
  double worst = 0;
  for (const auto& [time, position] : reported) {
    ASSERT_EQ(sent.count(time), 1u) << time;
    worst = std::max({worst, std::fabs(position.first - sent.at(time).first),
                      std::fabs(position.second - sent.at(time).second)});
  }
  ASSERT_FALSE(reported.empty()) << gpsd.Reports().substr(0, 1000);
  std::cout << "gpsd reported " << reported.size() << " fixes of the " << sent.size() << " sent, from "
            << reported.begin()->first << " to " << reported.rbegin()->first
            << ", each at the simulator's position within " << worst << " deg\n";
  EXPECT_GE(reported.size(), 45u) << "all from the moment gpsd connected";
  EXPECT_EQ(reported.rbegin()->first, sent.rbegin()->first);
  EXPECT_LE(worst, 1e-7);
}

// A run that takes the flight over is started by exec with the server's
// descriptors on its command line (as the run before it starts it when a
// screen comes), and serves on with them: the app that was connected gets
// the new run's stream on the same connection, and one that connected
// while no run served is taken from the listening socket's backlog.
TEST_F(InstrumentEndToEnd, ARunHandedTheServerServesOnWithItsApps) {
  const int port = FreeTcpPort();
  // The run before: its socket on all addresses, kept across exec (and
  // blocking, which the new run must not take as it is), an app it has
  // taken, and one waiting.
  const int listener = ListenOnAllAddresses(port, true);
  ASSERT_GE(listener, 0);
  StreamClient app(port);
  const int served = ::accept(listener, nullptr, nullptr);
  StreamClient waiting(port);
  const fs::path fly = storage / "FlyData";
  fs::create_directories(fly);
  WriteFileBytes(fly / "trk_010126095900.IGC", "AHOL001\nHFDTE010126\n");
  WriteFileBytes(fly / "acc_010126095900.csv", ";x;y;z\n");
  const auto [sim, program] =
      Start({"--speed", "2", "--serve", std::to_string(port)}, {},
            {"--take-over", (fly / "trk_010126095900.IGC").string(), (fly / "acc_010126095900.csv").string(), "-1",
             std::to_string(listener) + "," + std::to_string(served)});
  ::close(listener);   // the new run's now
  ::close(served);
  for (StreamClient* client : {&app, &waiting}) {
    EXPECT_TRUE(WaitUntil([&] { return client->ReadAvailable() && Count(client->Received(), "$GPRMC") >= 3; }, 30s))
        << client->Received() << ReadFileBytes(replay / "instrument.err");
    EXPECT_NE(client->Received().find("$LK8EX1,"), std::string::npos);
  }
  EXPECT_EQ(EndOf(program, SIGTERM), 0);
  EXPECT_EQ(EndOf(sim, SIGTERM), 0);
  EXPECT_NE(ReadFileBytes(fly / "trk_010126095900.IGC").find("\nB12"), std::string::npos) << "the logs go on";
}

}  // namespace
