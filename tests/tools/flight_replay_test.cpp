// flight-replay run as the pilot's ground station would run it: a separate
// process on a recorded NMEA stream, judged by its exit status, its output
// and the log files it leaves.
#include <sys/wait.h>

#include <algorithm>

#include <gtest/gtest.h>

#include "tests/support/flight_test.h"
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
  const std::tuple<std::vector<std::string>, int, std::string> cases[] = {  // args, status, message
      {{(tmp / "no-such.nmea").string()}, 1, "flight-replay: cannot read "},
      {{"--out", (tmp / "plain" / "card").string(), fix}, 1, "flight-replay: cannot create "},
      {{"--out", (tmp / "a\\b").string(), fix}, 1, "flight-replay: the storage folder "},
      {{"--speed", "fast", fix}, 2, "flight-replay: unknown option '--speed'\nusage: "},
      {{fix, "--fields", "1,,3x"}, 2, "flight-replay: --fields needs three codes"},
      {{"--clock", "2026-02-29T12:00:00", fix}, 2, "flight-replay: --clock '2026-02-29T12:00:00' is not a time"},
      {{fix, "--baro=GPS"}, 2, "flight-replay: --baro is none or gps"},
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
}

}  // namespace
