// flight-replay run as the pilot's ground station would run it: a separate
// process on a recorded NMEA stream, judged by its exit status, its output
// and the log files it leaves.
#include <sys/wait.h>

#include <algorithm>
#include <cmath>
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

// Comma-separated fields, index 0 being the sentence name.
std::vector<std::string> Split(const std::string& sentence) {
  std::vector<std::string> fields;
  std::istringstream in(sentence);
  for (std::string field; std::getline(in, field, ',');) fields.push_back(field);
  return fields;
}

// What the test itself reads from a recording, line by line: the GPRMC
// sentences, and for each GPRMC fix the instrument records (a status, a
// latitude and a longitude other than zero, a time other than midnight) the
// latest GPGGA altitude field before it.
struct RecordingFacts {
  int rmcSentences = 0;
  std::vector<std::string> ggaAltitudeAtFix;
};

RecordingFacts ScanRecording(const fs::path& path) {
  RecordingFacts facts;
  std::ifstream in(path, std::ios::binary);
  std::string latestAltitude;
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    const std::vector<std::string> f = Split(line);
    if (line.rfind("$GPGGA,", 0) == 0 && f.size() > 9) latestAltitude = f[9];
    if (line.rfind("$GPRMC,", 0) != 0) continue;
    ++facts.rmcSentences;
    if (f.size() < 6) continue;
    const std::string time = (f[1] + "000000").substr(0, 6);
    if (!f[2].empty() && std::atof(f[3].c_str()) > 0 && std::atof(f[5].c_str()) > 0 &&
        time != "000000") {
      facts.ggaAltitudeAtFix.push_back(latestAltitude);
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
  const RunResult run = Replay("paraglider-thermals.nmea");
  ASSERT_EQ(run.status, 0) << run.err;
  ASSERT_TRUE(fs::is_regular_file(LogPath(kTrackName)));

  const std::vector<std::string> records = TrackRecords(LogPath(kTrackName));
  const RecordingFacts facts = ScanRecording(RecordingPath("paraglider-thermals.nmea"));
  ASSERT_EQ(records.size(), facts.ggaAltitudeAtFix.size());
  ASSERT_GE(records.size(), 3u);
  for (const std::string& b : records) {
    ASSERT_EQ(b.size(), 35u) << b;   // 36 bytes with the line feed
    ASSERT_EQ(b[0], 'B') << b;
  }
  const std::string track = ReadFileBytes(LogPath(kTrackName));
  EXPECT_EQ(track.size(), 20 + 36 * records.size());

  // Worked out from the first two GPRMC lines and the last one:
  //   $GPRMC,083920.00,A,4622.6100,N,00801.8510,E,...  (before any GPGGA)
  //   $GPRMC,083921.00,A,4622.6070,N,00801.8540,E,...  after GPGGA 1858.0 m
  //   $GPRMC,100045.00,A,4620.0910,N,00801.0220,E,...  after GPGGA 668.0 m
  EXPECT_EQ(records[0], "B0839204622610N00801851EA0000000000");
  EXPECT_EQ(records[1], "B0839214622607N00801854EA0000001858");
  EXPECT_EQ(records.back(), "B1000454620091N00801022EA0000000668");

  // One acceleration record per B record, at the same UTC time.
  const std::string accel = ReadFileBytes(LogPath(kAccelName));
  ASSERT_EQ(accel.rfind(";x;y;z\n", 0), 0u);
  const std::vector<std::string> accelLines = Lines(accel);
  ASSERT_EQ(accelLines.size(), records.size() + 1);
  for (std::size_t i = 0; i < records.size(); ++i) {
    ASSERT_EQ(accelLines[i + 1].substr(0, 7), records[i].substr(1, 6) + ";") << i;
  }
}

TEST_F(RecordedReplayTest, GpsBarometerRecordsTheLatestGgaAltitude) {
  const RunResult run = Replay("paraglider-thermals.nmea", {"--baro", "gps"});
  ASSERT_EQ(run.status, 0) << run.err;
  const std::vector<std::string> records = TrackRecords(LogPath(kTrackName));
  const RecordingFacts facts = ScanRecording(RecordingPath("paraglider-thermals.nmea"));
  ASSERT_EQ(records.size(), facts.ggaAltitudeAtFix.size());
  for (std::size_t i = 0; i < records.size(); ++i) {
    char expected[16];
    const double metres = std::trunc(std::atof(facts.ggaAltitudeAtFix[i].c_str()));
    std::snprintf(expected, sizeof expected, "%05d", static_cast<int>(metres));
    ASSERT_EQ(records[i].substr(25, 5), expected) << "record " << i << ": " << records[i];
  }
  EXPECT_EQ(records[1].substr(25, 5), "01858");
}

TEST_F(RecordedReplayTest, FlarmCaptureRecordsEveryFixAmongOtherSentences) {
  const RunResult run = Replay("glider-flarm-capture.nmea");
  ASSERT_EQ(run.status, 0) << run.err;
  const std::vector<std::string> records = TrackRecords(LogPath(kTrackName));
  const RecordingFacts facts = ScanRecording(RecordingPath("glider-flarm-capture.nmea"));
  EXPECT_GT(facts.ggaAltitudeAtFix.size(), 400u);
  EXPECT_EQ(records.size(), facts.ggaAltitudeAtFix.size());
  for (const std::string& b : records) EXPECT_EQ(b.size(), 35u) << b;
}

TEST_F(RecordedReplayTest, ColdBootGarbageStillGivesWellFormedRecords) {
  const RunResult run = Replay("receiver-coldboot-torture.nmea");
  ASSERT_EQ(run.status, 0) << run.err;
  const std::vector<std::string> records = TrackRecords(LogPath(kTrackName));
  EXPECT_FALSE(records.empty());
  for (const std::string& b : records) {
    EXPECT_EQ(b.size(), 35u) << b;
    EXPECT_EQ(b[0], 'B') << b;
    EXPECT_TRUE(std::all_of(b.begin(), b.end(), [](char c) { return c >= 0x20 && c <= 0x7e; }))
        << b;
  }
}

TEST_F(RecordedReplayTest, SouthernHemisphereKeepsItsLetters) {
  const RunResult run = Replay("receiver-southern-hemisphere.nmea");
  ASSERT_EQ(run.status, 0) << run.err;
  const std::vector<std::string> records = TrackRecords(LogPath(kTrackName));
  ASSERT_FALSE(records.empty());
  // "B" hhmmss DDMMmmm N/S DDDMMmmm E/W status baro(5) gps(5): the latitude
  // letter is byte 15 and the longitude letter byte 24.
  for (const std::string& b : records) {
    ASSERT_EQ(b.size(), 35u) << b;
    EXPECT_EQ(b[14], 'S') << b;
    EXPECT_EQ(b[23], 'E') << b;
  }
  // $GPRMC,095255.810,V,2712.6404,S,15303.1201,E,... before any GPGGA.
  EXPECT_EQ(records[0], "B0952552712640S15303120EV0000000000");
}

TEST_F(RecordedReplayTest, PrintShowsOneLineOfThreeFieldsPerGprmc) {
  const RunResult run = Replay("paraglider-thermals.nmea", {"--print"});
  ASSERT_EQ(run.status, 0) << run.err;
  const std::vector<std::string> lines = Lines(run.out);
  EXPECT_EQ(static_cast<int>(lines.size()),
            ScanRecording(RecordingPath("paraglider-thermals.nmea")).rmcSentences);
  for (const std::string& line : lines) {
    ASSERT_EQ(std::count(line.begin(), line.end(), '|'), 2) << line;
  }
}

TEST_F(RecordedReplayTest, SecondRunInTheSameSecondGetsRunNumberTwo) {
  ASSERT_EQ(Replay("receiver-southern-hemisphere.nmea").status, 0);
  const std::string first = ReadFileBytes(LogPath(kTrackName));
  ASSERT_FALSE(first.empty());

  ASSERT_EQ(Replay("receiver-southern-hemisphere.nmea").status, 0);
  EXPECT_EQ(ReadFileBytes(LogPath(kTrackName)), first);
  EXPECT_EQ(ReadFileBytes(LogPath("trk_230326140509_2.IGC")), first);
  EXPECT_TRUE(fs::is_regular_file(LogPath("acc_230326140509_2.csv")));
}

TEST_F(FlightReplayTest, UnreadableRecordingIsReportedInOneLine) {
  const RunResult missing = RunReplay(tmp, {"--out", tmp.Path().string(),
                                            (tmp / "no-such.nmea").string()});
  EXPECT_NE(missing.status, 0);
  EXPECT_EQ(missing.err.rfind("flight-replay: cannot read ", 0), 0u) << missing.err;
  EXPECT_EQ(std::count(missing.err.begin(), missing.err.end(), '\n'), 1) << missing.err;

  const RunResult directory = RunReplay(tmp, {"--out", tmp.Path().string(), tmp.Path().string()});
  EXPECT_NE(directory.status, 0);
  EXPECT_EQ(directory.err.rfind("flight-replay: ", 0), 0u) << directory.err;
}

TEST_F(FlightReplayTest, BadOptionShowsTheUsage) {
  const RunResult run = RunReplay(tmp, {"--speed", "fast", "x.nmea"});
  EXPECT_EQ(run.status, 2);
  EXPECT_EQ(run.err.rfind("flight-replay: unknown option '--speed'", 0), 0u) << run.err;
  EXPECT_NE(run.err.find("usage: flight-replay"), std::string::npos) << run.err;
  EXPECT_TRUE(run.out.empty());
}

TEST_F(FlightReplayTest, OutFolderThatCannotBeCreatedFails) {
  WriteFileBytes(tmp / "plain", "not a folder\n");
  WriteFileBytes(tmp / "fix.nmea", "$GPRMC,120000,A,4807.038,N,01131.000,E,,,,,*\n");
  const fs::path out = tmp / "plain" / "card";
  const RunResult run =
      RunReplay(tmp, {"--clock", kClock, "--out", out.string(), (tmp / "fix.nmea").string()});
  EXPECT_NE(run.status, 0);
  EXPECT_EQ(run.err.rfind("flight-replay: cannot create ", 0), 0u) << run.err;
  EXPECT_NE(run.err.find((out / "FlyData" / kTrackName).string()), std::string::npos) << run.err;
  EXPECT_EQ(ReadFileBytes(tmp / "plain"), "not a folder\n");
}

TEST_F(FlightReplayTest, ReadsStandardInputButNoBackslashFolder) {
  WriteFileBytes(tmp / "fix.nmea", "$GPRMC,120000,A,4807.038,N,01131.000,E,,,,,*\n");
  const RunResult piped = RunReplay(tmp, {"--clock", kClock, "--out", tmp.Path().string(), "-"},
                                    tmp / "fix.nmea");
  EXPECT_EQ(piped.status, 0) << piped.err;
  EXPECT_EQ(ReadFileBytes(tmp / "FlyData" / kTrackName),
            "AHOL001\nHFDTE230326\nB1200004807038N01131000EA0000000000\n");

  // The storage folder is named in a backslash-separated form.
  const RunResult slashed = RunReplay(
      tmp, {"--out", (tmp / "a\\b").string(), (tmp / "fix.nmea").string()});
  EXPECT_NE(slashed.status, 0);
  EXPECT_NE(slashed.err.find("backslash"), std::string::npos) << slashed.err;
}

}  // namespace
