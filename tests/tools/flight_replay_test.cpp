// flight-replay run as the pilot's ground station would run it: a separate
// process on a recorded NMEA stream, judged by its exit status, its output
// and the log files it leaves.
#include <sys/wait.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/support/flight_test.h"
#include "tests/support/temp_dir.h"

namespace {

namespace fs = std::filesystem;

constexpr const char* kClock = "2026-03-23T14:05:09";
constexpr const char* kTrackName = "trk_230326140509.IGC";
constexpr const char* kAccelName = "acc_230326140509.csv";

struct RunResult {
  int status = -1;   // exit status, -1 when the tool did not exit normally
  std::string out;
  std::string err;
};

std::string ShellQuoted(const std::string& text) {
  std::string quoted = "'";
  for (char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

// Runs flight-replay with `args`, its output captured in files of `dir`,
// its standard input from `input` when given.
RunResult RunReplay(const TempDir& dir, const std::vector<std::string>& args,
                    const fs::path& input = {}) {
  std::string command = ShellQuoted(FLIGHT_REPLAY_EXE);
  for (const std::string& arg : args) command += " " + ShellQuoted(arg);
  const fs::path out = dir / "stdout.txt";
  const fs::path err = dir / "stderr.txt";
  command += " >" + ShellQuoted(out.string()) + " 2>" + ShellQuoted(err.string());
  if (!input.empty()) command += " <" + ShellQuoted(input.string());
  const int raw = std::system(command.c_str());
  RunResult result;
  if (raw != -1 && WIFEXITED(raw)) result.status = WEXITSTATUS(raw);
  result.out = ReadFileBytes(out);
  result.err = ReadFileBytes(err);
  return result;
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

// What the test itself reads from a recording, line by line: how many GPRMC
// sentences it holds, and how many of them are fixes the instrument records
// (a status, a latitude and a longitude other than zero, a time other than
// midnight).
struct RecordingFacts {
  int rmcSentences = 0;
  std::size_t recordedFixes = 0;
};

RecordingFacts ScanRecording(const fs::path& path) {
  RecordingFacts facts;
  std::ifstream in(path, std::ios::binary);
  for (std::string line; std::getline(in, line);) {
    if (line.rfind("$GPRMC,", 0) != 0) continue;
    ++facts.rmcSentences;
    std::vector<std::string> f;
    std::istringstream fields(line);
    for (std::string field; std::getline(fields, field, ',');) f.push_back(field);
    if (f.size() < 6) continue;
    const std::string time = (f[1] + "000000").substr(0, 6);
    if (!f[2].empty() && std::atof(f[3].c_str()) > 0 && std::atof(f[5].c_str()) > 0 &&
        time != "000000") {
      ++facts.recordedFixes;
    }
  }
  return facts;
}

// The B records of a track file, after checking its two header lines.
std::vector<std::string> TrackRecords(const fs::path& path) {
  const std::string track = ReadFileBytes(path);
  EXPECT_EQ(track.rfind("AHOL001\nHFDTE230326\n", 0), 0u) << path;
  std::vector<std::string> lines = Lines(track);
  if (lines.size() < 2) return {};
  lines.erase(lines.begin(), lines.begin() + 2);
  return lines;
}

class FlightReplayTest : public ::testing::Test {
 protected:
  TempDir tmp;
};

// Replays of the recorded streams.
class RecordedReplayTest : public FlightReplayTest {
 protected:
  void SetUp() override { SKIP_WITHOUT_RECORDINGS(); }

  // Replays `recording` with the fixed clock into the temporary folder.
  RunResult Replay(const std::string& recording, std::vector<std::string> extra = {}) {
    std::vector<std::string> args = {"--clock", kClock, "--out", tmp.Path().string()};
    args.insert(args.end(), extra.begin(), extra.end());
    args.push_back(RecordingPath(recording).string());
    return RunReplay(tmp, args);
  }
  fs::path LogPath(const std::string& name) const { return tmp.Path() / "FlyData" / name; }
};

TEST_F(RecordedReplayTest, ThermalFlightWritesOneRecordPerRecordedFix) {
  const RunResult run = Replay("paraglider-thermals.nmea", {"--baro", "gps"});
  ASSERT_EQ(run.status, 0) << run.err;
  const std::vector<std::string> records = TrackRecords(LogPath(kTrackName));
  ASSERT_EQ(records.size(), ScanRecording(RecordingPath("paraglider-thermals.nmea")).recordedFixes);
  ASSERT_GE(records.size(), 3u);
  EXPECT_EQ(ReadFileBytes(LogPath(kTrackName)).size(), 20 + 36 * records.size());

  // Worked out from the first two GPRMC lines and the last one; the GPS
  // barometer and the GPS altitude both carry the latest GPGGA's metres:
  //   $GPRMC,083920.00,A,4622.6100,N,00801.8510,E,...  (before any GPGGA)
  //   $GPRMC,083921.00,A,4622.6070,N,00801.8540,E,...  after GPGGA 1858.0 m
  //   $GPRMC,100045.00,A,4620.0910,N,00801.0220,E,...  after GPGGA 668.0 m
  EXPECT_EQ(records[0], "B0839204622610N00801851EA0000000000");
  EXPECT_EQ(records[1], "B0839214622607N00801854EA0185801858");
  EXPECT_EQ(records.back(), "B1000454620091N00801022EA0066800668");

  // One acceleration record per B record, at the same UTC time.
  const std::vector<std::string> accel = Lines(ReadFileBytes(LogPath(kAccelName)));
  ASSERT_EQ(accel.size(), records.size() + 1);
  EXPECT_EQ(accel[0], ";x;y;z");
  for (std::size_t i = 0; i < records.size(); ++i) {
    ASSERT_EQ(accel[i + 1].substr(0, 7), records[i].substr(1, 6) + ";") << i;
  }
}

TEST_F(RecordedReplayTest, PrintShowsTheDisplayTextsOfEveryGprmc) {
  // Top: the time alone; middle: an unknown code, the speed figure alone;
  // bottom: the barometric altitude with its blank.
  const RunResult run =
      Replay("paraglider-thermals.nmea", {"--print", "--baro", "gps", "--fields", "7,-1,13"});
  ASSERT_EQ(run.status, 0) << run.err;
  const std::vector<std::string> lines = Lines(run.out);
  EXPECT_EQ(static_cast<int>(lines.size()),
            ScanRecording(RecordingPath("paraglider-thermals.nmea")).rmcSentences);
  ASSERT_GE(lines.size(), 2u);
  // 13.1 kn is 24.2 km/h; the first GPGGA (1858.0 m) comes after the first
  // GPRMC, so the barometer reads it from the second fix on.
  EXPECT_EQ(lines[0], "083920|  0|Hb    0");
  EXPECT_EQ(lines[1], "083921| 24|Hb 1858");
}

TEST_F(FlightReplayTest, FailuresEndWithOneLineAndAnErrorStatus) {
  WriteFileBytes(tmp / "plain", "not a folder\n");
  WriteFileBytes(tmp / "fix.nmea", "$GPRMC,120000,A,4807.038,N,01131.000,E,,,,,*\n");
  const std::string fix = (tmp / "fix.nmea").string();
  const struct {
    std::vector<std::string> args;
    int status;
    std::string messageStart;
  } cases[] = {
      {{(tmp / "no-such.nmea").string()}, 1, "flight-replay: cannot read "},
      {{"--out", (tmp / "plain" / "card").string(), fix}, 1, "flight-replay: cannot create "},
      {{"--out", (tmp / "a\\b").string(), fix}, 1, "flight-replay: the storage folder "},
      {{"--speed", "fast", fix}, 2, "flight-replay: unknown option '--speed'\nusage: "},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(c.args));
    const RunResult run = RunReplay(tmp, c.args);
    EXPECT_EQ(run.status, c.status);
    EXPECT_EQ(run.err.rfind(c.messageStart, 0), 0u) << run.err;
    if (c.status == 1) {
      EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
    }
    EXPECT_TRUE(run.out.empty());
  }
  EXPECT_EQ(ReadFileBytes(tmp / "plain"), "not a folder\n");
}

}  // namespace
