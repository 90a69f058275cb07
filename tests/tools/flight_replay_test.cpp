// flight-replay run as the pilot's ground station would run it: a separate
// process on a recorded NMEA stream, judged by its exit status, its output
// and the log files it leaves.
#include <sys/wait.h>

#include <algorithm>
#include <sstream>

#include <gtest/gtest.h>

#include "tests/support/flight_test.h"
#include "tests/support/temp_dir.h"

namespace {

namespace fs = std::filesystem;

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
RunResult RunReplay(const TempDir& dir, const std::vector<std::string>& args) {
  std::string command = Quoted(FLIGHT_REPLAY_EXE);
  for (const std::string& arg : args) command += " " + Quoted(arg);
  command += " >" + Quoted((dir / "stdout.txt").string()) + " 2>" + Quoted((dir / "stderr.txt").string());
  const int raw = std::system(command.c_str());
  return {raw != -1 && WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, ReadFileBytes(dir / "stdout.txt"),
          ReadFileBytes(dir / "stderr.txt")};
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

class FlightReplayTest : public ::testing::Test {
 protected:
  // Replays a recorded stream with a fixed clock into the temporary folder.
  RunResult Replay(std::vector<std::string> extra) {
    std::vector<std::string> args = {"--clock", "2026-03-23T14:05:09", "--out", tmp.Path().string(),
                                     "--baro", "gps"};
    args.insert(args.end(), extra.begin(), extra.end());
    args.push_back(RecordingPath("paraglider-thermals.nmea").string());
    return RunReplay(tmp, args);
  }
  std::string Log(const std::string& name) const { return ReadFileBytes(tmp / "FlyData" / name); }
  TempDir tmp;
};

TEST_F(FlightReplayTest, ThermalFlightWritesItsRecordsAndASecondRunInTheSameSecondKeepsTheFirst) {
  SKIP_WITHOUT_RECORDINGS();
  ASSERT_EQ(Replay({}).status, 0);
  const std::string track = Log("trk_230326140509.IGC");
  std::vector<std::string> records = Lines(track);
  ASSERT_GE(records.size(), 5u);
  EXPECT_EQ(records[0] + "\n" + records[1], "AHOL001\nHFDTE230326");
  // Worked out from the first two GPRMC lines and the last one; the GPS
  // barometer and the GPS altitude both carry the latest GPGGA's metres:
  //   $GPRMC,083920.00,A,4622.6100,N,00801.8510,E,...  (before any GPGGA)
  //   $GPRMC,083921.00,A,4622.6070,N,00801.8540,E,...  after GPGGA 1858.0 m
  //   $GPRMC,100045.00,A,4620.0910,N,00801.0220,E,...  after GPGGA 668.0 m
  EXPECT_EQ(records[2], "B0839204622610N00801851EA0000000000");
  EXPECT_EQ(records[3], "B0839214622607N00801854EA0185801858");
  EXPECT_EQ(records.back(), "B1000454620091N00801022EA0066800668");

  ASSERT_EQ(Replay({}).status, 0);  // the same clock second again
  EXPECT_EQ(Log("trk_230326140509_2.IGC"), track);
}

TEST_F(FlightReplayTest, FailuresEndWithOneLineAndAnErrorStatus) {
  WriteFileBytes(tmp / "plain", "not a folder\n");
  WriteFileBytes(tmp / "fix.nmea", "$GPRMC,120000,A,4807.038,N,01131.000,E,,,,,*\n");
  const std::string fix = (tmp / "fix.nmea").string();
  const std::tuple<std::vector<std::string>, int, std::string> cases[] = {  // args, status, message
      {{(tmp / "no-such.nmea").string()}, 1, "flight-replay: cannot read "},
      {{"--out", (tmp / "plain" / "card").string(), fix}, 1, "flight-replay: cannot create "},
      {{"--out", (tmp / "a\\b").string(), fix}, 1, "flight-replay: the storage folder "},
      {{"--speed", "fast", fix}, 2, "flight-replay: unknown option '--speed'\nusage: "}};
  for (const auto& [args, status, message] : cases) {
    SCOPED_TRACE(::testing::PrintToString(args));
    const RunResult run = RunReplay(tmp, args);
    EXPECT_EQ(run.status, status);
    EXPECT_EQ(run.err.rfind(message, 0), 0u) << run.err;
    EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), status == 1 ? 1 : 2) << run.err;
    EXPECT_TRUE(run.out.empty());
  }
  EXPECT_EQ(ReadFileBytes(tmp / "plain"), "not a folder\n");
}

}  // namespace
