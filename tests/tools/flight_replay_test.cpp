// flight-replay run as the pilot's ground station would run it: a separate
// process on a recorded NMEA stream, judged by its exit status, its output
// and the log files it leaves.
#include <sys/wait.h>

#include <algorithm>
#include <cstdio>
#include <sstream>

#include <gtest/gtest.h>

#include "tests/support/flight_test.h"
#include "tests/support/igc_reader.h"
#include "tests/support/temp_dir.h"

namespace {

struct RunResult {
  int status = -1;  // exit status, -1 when the tool did not exit normally
  std::string out, err;
};

std::string Quoted(const std::string& text) {
  std::string quoted = "'";
  for (char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

// Runs flight-replay with `args`, its output captured in files of `dir`.
// The track log a replay wrote into `folder`.
std::filesystem::path FirstTrackIn(const std::filesystem::path& folder) {
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    if (entry.path().extension() == ".IGC") return entry.path();
  }
  return {};
}

RunResult RunReplay(const TempDir& dir, const std::vector<std::string>& args) {
  std::string command = Quoted(FLIGHT_REPLAY_EXE);
  for (const std::string& arg : args) command += " " + Quoted(arg);
  command += " >" + Quoted((dir / "stdout.txt").string()) + " 2>" + Quoted((dir / "stderr.txt").string());
  const int raw = std::system(command.c_str());
  return {raw != -1 && WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, ReadFileBytes(dir / "stdout.txt"),
          ReadFileBytes(dir / "stderr.txt")};
}

TEST(FlightReplayTest, FailuresEndWithOneLineAndAnErrorStatus) {
  TempDir tmp;
  WriteFileBytes(tmp / "plain", "not a folder\n");
  WriteFileBytes(tmp / "fix.nmea", "$GPRMC,120000,A,4807.038,N,01131.000,E,,,,,*\n");
  const std::string fix = (tmp / "fix.nmea").string();
  const std::string out = (tmp / "out").string();
  const std::tuple<std::vector<std::string>, int, std::string> cases[] = {  // args, status, message
      {{(tmp / "no-such.nmea").string()}, 1, "flight-replay: cannot read "},
      {{"--out", (tmp / "plain" / "card").string(), fix}, 1, "flight-replay: cannot create "},
      {{"--out", (tmp / "a\\b").string(), fix}, 1, "flight-replay: the storage folder "},
      {{"--speed", "fast", fix}, 2, "flight-replay: unknown option '--speed'\nusage: "},
      {{fix, "--fields", "1,,3x"}, 2, "flight-replay: --fields needs three codes"},
      {{"--clock", "2026-02-29T12:00:00", fix}, 2, "flight-replay: --clock '2026-02-29T12:00:00' is not a time"},
      {{fix, "--baro=GPS"}, 2, "flight-replay: --baro is none or gps"},
      {{"--out", out, "--airspace", (tmp / "none.txt").string(), fix}, 1,
       "flight-replay: cannot read " + (tmp / "none.txt").string() + ": No such file or directory"},
      {{"--out", out, "--airspace", tmp.Path().string(), fix}, 1,
       "flight-replay: cannot read " + tmp.Path().string() + ": Is a directory"},
      {{fix, "--airspace"}, 2, "flight-replay: --airspace needs a file"},
      {{fix, fix}, 2, "flight-replay: more than one FILE"}};
  for (const auto& [args, status, message] : cases) {
    SCOPED_TRACE(::testing::PrintToString(args));
    const RunResult run = RunReplay(tmp, args);
    EXPECT_EQ(run.status, status);
    EXPECT_EQ(run.err.rfind(message, 0), 0u) << run.err;
    EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), status == 1 ? 1 : 2) << run.err;
    EXPECT_TRUE(run.out.empty());
  }
  EXPECT_EQ(ReadFileBytes(tmp / "plain"), "not a folder\n");
  EXPECT_FALSE(std::filesystem::exists(tmp / "out" / "FlyData")) << "no logs for an unreadable airspace file";
}

// The demonstration's flight (scripts/demo.sh's) through its restricted
// area: each warning's start, entry and end a line of its own with the
// fix's UTC time, --print or not; with --print before the display line of
// its fix, whose top line shows the warning as the screen does. Without
// --airspace the storage folder's Airspace.txt is read.
TEST(FlightReplayTest, AirspaceWarningsAreToldWithTheTimeOfTheirFix) {
  TempDir tmp;
  const std::string nmea = (tmp / "demo.nmea").string();
  const std::string sim =
      std::string(FLIGHT_SIM_EXE) + " nmea --wind 240,4 --duration 150 --gaggle 4 --crossing 90 > '" + nmea + "'";
  ASSERT_EQ(std::system(sim.c_str()), 0);
  const std::string told = "12:00:06 airspace ahead 29s: R DEMO\n"
                           "12:00:35 airspace inside: R DEMO\n"
                           "12:01:23 airspace clear: R DEMO\n";
  const RunResult run = RunReplay(tmp, {"--airspace", FLIGHT_DEMO_AIRSPACE, "--out", tmp.Path().string(), nmea});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out, told);
  EXPECT_NE(run.err.find("flight-replay: airspace: 1 loaded from " FLIGHT_DEMO_AIRSPACE ", 0 skipped\n"
                         "flight-replay: airspace: no barometer: flight levels are judged by the GPS altitude\n"),
            std::string::npos) << run.err;

  WriteFileBytes(tmp / "Airspace.txt", ReadFileBytes(FLIGHT_DEMO_AIRSPACE));
  const RunResult printed = RunReplay(tmp, {"--print", "--fields", "0,16,7", "--out", tmp.Path().string(), nmea});
  ASSERT_EQ(printed.status, 0) << printed.err;
  // Each event before its fix's line; traffic first on the top line.
  for (const char* shown : {"T 120005\n12:00:06 airspace ahead 29s: R DEMO\nR DEMO 29s|As R 0.4|T 120006\n",
                            "T 120034\n12:00:35 airspace inside: R DEMO\nR DEMO in|As R in|T 120035\n",
                            "T 120122\n12:01:23 airspace clear: R DEMO\n!3 2h 0.3 +5|As R 0.3|T 120123\n"}) {
    EXPECT_NE(printed.out.find(shown), std::string::npos) << shown;
  }
}

// A receiver's cold start: GGA sentences with an empty altitude while it has
// no fix. The barometer made of the GPS altitude starts at the first real
// one, so the flight's first altitude is no climb of 50 m/s. An empty
// altitude later on (a 2D fix) keeps the last one: no fall to 0 m, no
// 00000 in the pressure column.
TEST(FlightReplayTest, AnEmptyGgaAltitudeIsNoAltitudeForTheGpsBarometer) {
  TempDir tmp;
  std::string stream;
  for (int second = 0; second < 24; ++second) {
    char time[16];
    std::snprintf(time, sizeof time, "1235%02d.00", second);
    const bool noAltitude = second < 12 || second == 17 || second == 18;
    const std::string altitude = noAltitude ? "" : std::to_string(500 + 2 * (second - 12)) + ".0";
    stream += Sentence(std::string("GPRMC,") + time + ",A,4807.038,N,01131.000,E,0.0,0.0,150726,,,A") +
              Sentence(std::string("GPGGA,") + time + ",4807.038,N,01131.000,E,1,08,0.9," + altitude +
                       ",M,46.9,M,,");
  }
  WriteFileBytes(tmp / "coldstart.nmea", stream);
  const RunResult run = RunReplay(tmp, {"--baro", "gps", "--print", "--fields", "8,8,8", "--out",
                                        tmp.Path().string(), (tmp / "coldstart.nmea").string()});
  ASSERT_EQ(run.status, 0) << run.err;
  std::istringstream lines(run.out);
  int shown = 0;
  for (std::string line; std::getline(lines, line); ++shown) {
    ASSERT_EQ(line.rfind("Var ", 0), 0u) << line;
    EXPECT_LT(std::stod(line.substr(4)), 2.5) << "fix " << shown << ": " << line;
  }
  EXPECT_EQ(shown, 24);
  std::istringstream track(ReadFileBytes(FirstTrackIn(tmp / "FlyData")));
  std::vector<std::string> pressure;
  for (std::string line; std::getline(track, line);) {
    if (line.rfind('B', 0) == 0) pressure.push_back(line.substr(25, 5));
  }
  ASSERT_EQ(pressure.size(), 24u);
  // Each RMC comes before its GGA: a fix carries the altitude of the one before.
  EXPECT_EQ(pressure[12], "00000");
  EXPECT_EQ(pressure[13], "00500");
  EXPECT_EQ(pressure[18], "00508") << "the 2D fixes keep the last altitude";
  EXPECT_EQ(pressure[19], "00508");
  EXPECT_EQ(pressure[20], "00514");
}

// Flights started before and after UTC midnight, replayed on a machine
// whose clock is a day off: the independent IGC reader dates each with its
// first fix.
// The Traffic entry and the alarm's top line, still one line per RMC: an
// alarm that starts between two fixes shows on the next, and the targets
// age by the stream's own fix times, across UTC midnight too.
TEST(FlightReplayTest, PrintShowsTheTrafficAndTheAlarmOneLinePerFix) {
  TempDir tmp;
  const auto fix = [](const std::string& time) {
    return Sentence("GPRMC," + time + ",A,4807.038,N,01131.000,E,022.4,084.4,230394,,,A");
  };
  const std::string quiet = Sentence("PFLAU,2,1,2,1,0,,0,,");
  WriteFileBytes(tmp / "traffic.nmea",
                 fix("235957") + quiet + Sentence("PFLAA,0,-1540,-1020,-1126,1,39103C!FJLKN,93,0,33,4.9,8") +
                     fix("235958") + Sentence("PFLAA,3,200,-100,20,2,DD1234,90,0,30,1.0,1") +
                     Sentence("PFLAU,2,1,2,1,3,-30,2,20,224,DD1234") + fix("235959") + quiet + fix("000000") +
                     fix("000001") + fix("000002") + fix("000003") + fix("000004"));
  const RunResult run = RunReplay(tmp, {"--print", "--fields", "16,7,0", "--out", tmp.Path().string(),
                                        (tmp / "traffic.nmea").string()});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out, "Tr --|T 235957|V  41\n"
                     "Tr 1 1.8 -1126|T 235958|V  41\n"
                     "!3 11h 0.2 +20|T 235959|V  41\n"
                     "Tr 1 0.2 +20|T 000000|V  41\n"  // each target gone 3 s after it was heard
                     "Tr 0|T 000001|V  41\n"
                     "Tr 0|T 000002|V  41\n"
                     "Tr 0|T 000003|V  41\n"
                     "Tr --|T 000004|V  41\n");      // no status for 5 s: no device
}

// The simulator's crossing glider through the instrument's own reading of
// the traffic port: the top line takes levels 1, 2 and 3 in that order,
// never steps back while the glider closes in, and returns to its field
// once the glider has passed.
TEST(FlightReplayTest, TheSimulatorsCrossingGliderRaisesTheAlarmLevelsInOrder) {
  TempDir tmp;
  const std::string nmea = (tmp / "crossing.nmea").string();
  const std::string sim = std::string(FLIGHT_SIM_EXE) + " nmea --duration 150 --crossing 90 > '" + nmea + "'";
  ASSERT_EQ(std::system(sim.c_str()), 0);
  const RunResult run = RunReplay(tmp, {"--print", "--fields", "7,0,0", "--out", tmp.Path().string(), nmea});
  ASSERT_EQ(run.status, 0) << run.err;
  std::istringstream lines(run.out);
  std::string levels;   // the top line's level at each fix, "." for its field
  for (std::string line; std::getline(lines, line);) levels += line[0] == '!' ? line[1] : '.';
  ASSERT_EQ(levels.size(), 150u);
  const std::size_t first = levels.find_first_not_of('.');
  ASSERT_NE(first, std::string::npos) << "no alarm";
  const std::size_t last = levels.find_last_not_of('.');
  const std::string alarm = levels.substr(first, last + 1 - first);
  EXPECT_TRUE(std::is_sorted(alarm.begin(), alarm.end())) << levels;
  EXPECT_EQ(alarm.front(), '1') << levels;
  EXPECT_EQ(alarm.back(), '3') << levels;
  EXPECT_NE(alarm.find('2'), std::string::npos) << levels;
  EXPECT_EQ(alarm.find('.'), std::string::npos) << levels;
  // The alarm lasts the 19 s up to the closest approach, about 90 s in.
  EXPECT_NEAR(static_cast<double>(first), 72, 2) << levels;
  EXPECT_NEAR(static_cast<double>(last), 90, 2) << levels;
}

TEST(FlightReplayTest, TheIgcReaderDatesEachFlightWithItsFirstFix) {
  const std::tuple<const char*, const char*> flights[] = {  // --start, the first fix's date
      {"23:58:00", "2026-07-15"}, {"00:00:30", "2026-07-15"}};
  for (const auto& [start, date] : flights) {
    SCOPED_TRACE(start);
    TempDir tmp;
    const std::string nmea = (tmp / "flight.nmea").string();
    const std::string sim = std::string(FLIGHT_SIM_EXE) + " nmea --duration 300 --start " + start + " > '" + nmea + "'";
    ASSERT_EQ(std::system(sim.c_str()), 0);
    ASSERT_EQ(RunReplay(tmp, {"--clock", "2026-07-14T09:00:00", "--out", tmp.Path().string(), nmea}).status, 0);
    for (const auto& entry : std::filesystem::directory_iterator(tmp / "FlyData")) {
      if (entry.path().extension() != ".IGC") continue;
      EXPECT_EQ(entry.path().filename(), "trk_140726090000.IGC");
      const std::optional<IgcReading> reading = ReadWithIgcParser(entry.path());
      if (!reading) GTEST_SKIP() << "igc-parser is not installed (scripts/install-igc-parser.sh)";
      EXPECT_TRUE(reading->accepted) << reading->message;
      EXPECT_EQ(reading->date, date) << reading->message;
    }
  }
}

}  // namespace
