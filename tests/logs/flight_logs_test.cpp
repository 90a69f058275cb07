#include "logs/flight_logs.h"

#include <csignal>
#include <cstdio>
#include <filesystem>
#include <string>
#include <sys/resource.h>
#include <unistd.h>
#include <vector>

#include <gtest/gtest.h>

#include "tests/support/flight_test.h"
#include "tests/support/temp_dir.h"

namespace {

// 23 March 2026, 14:05:09 local time.
const LocalTime kStart{2026, 3, 23, 14, 5, 9};

AcquisitionState Fix(const char* time, const char* lat, const char* lon, const char* status,
                     const char* altBaro, const char* altGps) {
  AcquisitionState state;
  state.strTime = time;
  state.strLat = lat;
  state.strLon = lon;
  state.strStatus = status;
  state.strAltBaro = altBaro;
  state.strAltGps = altGps;
  return state;
}

const AcquisitionState kNorthEast =
    Fix("123519", "4807038N", "01131000E", "A", "00543", "00545");
constexpr const char* kNorthEastLine = "B1235194807038N01131000EA0054300545\n";

using FlightLogsTest = FlightTest;

TEST_F(FlightLogsTest, TrackRecordsAreFixedColumnLines) {
  const struct {
    const char* name;
    AcquisitionState fix;
    std::string line;
  } cases[] = {
      {"north and east", kNorthEast, kNorthEastLine},
      {"south and west", Fix("000102", "3412345S", "15812345W", "A", "01200", "01190"),
       "B0001023412345S15812345WA0120001190\n"},
      {"status V", Fix("235959", "4807038N", "01131000E", "V", "00543", "00545"),
       "B2359594807038N01131000EV0054300545\n"},
      {"barometer below sea level", Fix("123519", "4807038N", "01131000E", "A", "-0012", "00000"),
       "B1235194807038N01131000EA-001200000\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(TrackRecord(c.fix), c.line);
  }
}

TEST_F(FlightLogsTest, WideOrBrokenFieldsNeverCutOrSplitTheLine) {
  // A wider text makes the line longer and is never cut.
  EXPECT_EQ(TrackRecord(Fix("123519", "4807038N", "01131000E", "AV", "00543", "00545")),
            "B1235194807038N01131000EAV0054300545\n");
  // Short texts are right-aligned in their columns.
  EXPECT_EQ(TrackRecord(Fix("1235", "4807038N", "01131000E", "", "543", "00545")),
            "B  12354807038N01131000E   54300545\n");
  // Control characters and non-ASCII bytes become '?': still one line.
  const std::string broken =
      TrackRecord(Fix("123519", "48\xC3\xA9" "038N", "01131000E", "A\r\n", "00543", "00545"));
  EXPECT_EQ(broken, "B12351948??038N01131000EA??0054300545\n");
}

TEST_F(FlightLogsTest, AccelRecordsHaveTwoDecimalsInFiveColumns) {
  EXPECT_EQ(AccelRecord("123519", 0.12f, -0.03f, 1.0f), "123519; 0.12;-0.03; 1.00\n");
  EXPECT_EQ(AccelRecord("123519", 0.5f, -12.5f, 0.0f), "123519; 0.50;-12.50; 0.00\n");
}

class FlightLogFilesTest : public FlightTest {
 protected:
  std::filesystem::path Log(const std::string& name) const { return dir / "FlyData" / name; }
  TempDir dir;
};

// The exact bytes of both logs; a second run in the same second gets run
// number 2 and leaves the first run's files alone.
TEST_F(FlightLogFilesTest, SecondRunInTheSameSecondKeepsTheFirstRunsFiles) {
  std::filesystem::create_directory(dir / "FlyData");  // an existing folder is fine
  ASSERT_TRUE(OpenFlightLogs(dir.Path().string(), kStart));
  WriteTrackRecord(kNorthEast);
  WriteAccelRecord("123519", 0.12f, -0.03f, 1.0f);
  ASSERT_TRUE(OpenFlightLogs(dir.Path().string(), kStart));
  WriteTrackRecord(kNorthEast);
  CloseFlightLogs();

  EXPECT_EQ(ReadFileBytes(Log("trk_230326140509.IGC")),
            std::string("AHOL001\nHFDTE230326\n") + kNorthEastLine);
  EXPECT_EQ(ReadFileBytes(Log("acc_230326140509.csv")), ";x;y;z\n123519; 0.12;-0.03; 1.00\n");
  EXPECT_EQ(ReadFileBytes(Log("trk_230326140509_2.IGC")),
            std::string("AHOL001\nHFDTE230326\n") + kNorthEastLine);
  EXPECT_EQ(ReadFileBytes(Log("acc_230326140509_2.csv")), ";x;y;z\n");
}

TEST_F(FlightLogFilesTest, MissingStorageFolderDropsRecordsAndReportsOnce) {
  EXPECT_FALSE(OpenFlightLogs((dir / "no-card").string(), kStart));
  for (int i = 0; i < 3; ++i) WriteTrackRecord(kNorthEast);
  EXPECT_EQ(g_fileTrack.RecordsDropped(), 3);
  ASSERT_EQ(logErrors.size(), 1u);
  EXPECT_NE(logErrors[0].find("trk_230326140509.IGC"), std::string::npos) << logErrors[0];
  EXPECT_FALSE(std::filesystem::exists(dir / "no-card"));
}

// Runs in a child process, since it lowers the file size limit: the track
// file takes its header and two B records, the third write stops part way
// and then fails with EFBIG. Returns 0 when the writer behaved.
int WriteAgainstFileSizeLimit(const std::string& folder, const std::filesystem::path& track,
                              const std::vector<std::string>& errors) {
  auto fail = [](const char* why) {
    std::fprintf(stderr, "%s\n", why);
    return 1;
  };
  std::signal(SIGXFSZ, SIG_IGN);
  if (!OpenFlightLogs(folder, kStart, false)) return fail("logs did not open");
  const std::size_t header = 20;
  const std::size_t record = 36;

  rlimit saved{};
  if (::getrlimit(RLIMIT_FSIZE, &saved) != 0) return fail("getrlimit");
  rlimit lowered = saved;
  lowered.rlim_cur = header + 2 * record + 10;  // room for 10 bytes of the third record
  if (::setrlimit(RLIMIT_FSIZE, &lowered) != 0) return fail("setrlimit");
  for (int i = 0; i < 5; ++i) WriteTrackRecord(kNorthEast);
  if (g_fileTrack.RecordsWritten() != 3) return fail("expected header and two records written");
  if (g_fileTrack.RecordsDropped() != 3) return fail("expected three records dropped");
  if (errors.size() != 1) return fail("expected the failure reported exactly once");
  if (ReadFileBytes(track).size() != header + 2 * record) return fail("half record left behind");

  if (::setrlimit(RLIMIT_FSIZE, &saved) != 0) return fail("setrlimit back");
  WriteTrackRecord(kNorthEast);
  CloseFlightLogs();
  const std::string expected = "AHOL001\nHFDTE230326\n" + std::string(kNorthEastLine) +
                               kNorthEastLine + kNorthEastLine;
  if (ReadFileBytes(track) != expected) return fail("record after the limit was raised missing");
  if (errors.size() != 1) return fail("a working write was reported");
  return 0;
}

using FlightLogFilesDeathTest = FlightLogFilesTest;

TEST_F(FlightLogFilesDeathTest, FailingWriteDropsWholeRecordsAndRecovers) {
  EXPECT_EXIT(::_exit(WriteAgainstFileSizeLimit(dir.Path().string(),
                                                Log("trk_230326140509.IGC"), logErrors)),
              ::testing::ExitedWithCode(0), "");
}

}  // namespace
