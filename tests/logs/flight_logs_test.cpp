#include "logs/flight_logs.h"

#include <csignal>
#include <cstdio>
#include <filesystem>
#include <string>
#include <sys/resource.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "tests/support/flight_test.h"
#include "tests/support/temp_dir.h"

namespace {

// 23 March 2026, 14:05:09 local time.
const LocalTime kStart{2026, 3, 23, 14, 5, 9};
constexpr const char* kHeader = "AHOL001\nHFDTE230326\n";

AcquisitionState Fix(const char* time, const char* lat, const char* lon, const char* status = "A",
                     const char* altBaro = "00543", const char* altGps = "00545") {
  AcquisitionState s;
  s.strTime = time; s.strLat = lat; s.strLon = lon;
  s.strStatus = status; s.strAltBaro = altBaro; s.strAltGps = altGps;
  return s;
}
const AcquisitionState kNorthEast = Fix("123519", "4807038N", "01131000E");
constexpr const char* kNorthEastLine = "B1235194807038N01131000EA0054300545\n";

class FlightLogFilesTest : public FlightTest {
 protected:
  std::filesystem::path Log(const std::string& name) const { return dir / "FlyData" / name; }
  TempDir dir;
};

// The exact bytes of both logs; a second run in the same second gets run
// number 2 and leaves the first run's files alone. A fix whose texts do not
// fill the B record's columns exactly (a wide or damaged field, an hour
// past 23) writes no line: one broken line would spoil the whole file.
TEST_F(FlightLogFilesTest, SecondRunInTheSameSecondKeepsTheFirstRunsFiles) {
  std::filesystem::create_directory(dir / "FlyData");  // an existing folder is fine
  ASSERT_TRUE(OpenFlightLogs(dir.Path().string(), kStart));
  WriteTrackRecord(kNorthEast);
  WriteTrackRecord(Fix("000102", "3412345S", "15812345W", "V", "-0012", "01190"));  // below MSL
  WriteTrackRecord(Fix("123519", "4807038N", "01131000E", "AV"));
  WriteTrackRecord(Fix("123519", "48\xC3\xA9" "038N", "01131000E", "A"));
  WriteTrackRecord(Fix("300000", "4807038N", "01131000E", "A"));
  WriteTrackRecord(Fix("123519", "4807038N", "01131000E", "D"));  // validity is A or V
  WriteTrackRecord(Fix("123519", "4807038N", "01131000E", "A", "123456"));
  WriteAccelRecord("123519", 0.12f, -0.03f, 1.0f);
  WriteAccelRecord("000102", 0.5f, -12.5f, 0.0f);
  ASSERT_TRUE(OpenFlightLogs(dir.Path().string(), kStart));
  WriteTrackRecord(kNorthEast);
  CloseFlightLogs();

  EXPECT_EQ(ReadFileBytes(Log("trk_230326140509.IGC")),
            std::string(kHeader) + kNorthEastLine + "B0001023412345S15812345WV-001201190\n");
  EXPECT_EQ(ReadFileBytes(Log("acc_230326140509.csv")),
            ";x;y;z\n123519; 0.12;-0.03; 1.00\n000102; 0.50;-12.50; 0.00\n");
  EXPECT_EQ(ReadFileBytes(Log("trk_230326140509_2.IGC")), std::string(kHeader) + kNorthEastLine);
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
// and then fails with EFBIG. Exits with 0 when the writer behaved.
class FlightLogFilesDeathTest : public FlightLogFilesTest {
 protected:
  void WriteAgainstFileSizeLimit() {
    auto check = [](bool ok, const char* why) {
      if (!ok) std::fprintf(stderr, "%s\n", why), ::_exit(1);
    };
    std::signal(SIGXFSZ, SIG_IGN);
    const auto track = Log("trk_230326140509.IGC");
    check(OpenFlightLogs(dir.Path().string(), kStart, false), "logs did not open");
    const std::string twoRecords = std::string(kHeader) + kNorthEastLine + kNorthEastLine;
    rlimit saved{};
    check(::getrlimit(RLIMIT_FSIZE, &saved) == 0, "getrlimit");
    const rlimit lowered{twoRecords.size() + 10, saved.rlim_max};  // 10 bytes of the third record
    check(::setrlimit(RLIMIT_FSIZE, &lowered) == 0, "setrlimit");
    for (int i = 0; i < 5; ++i) WriteTrackRecord(kNorthEast);
    check(g_fileTrack.RecordsWritten() == 3 && g_fileTrack.RecordsDropped() == 3,
          "expected header and two records written, three dropped");
    check(ReadFileBytes(track) == twoRecords && logErrors.size() == 1,
          "half a record left behind, or the failure not reported exactly once");

    check(::setrlimit(RLIMIT_FSIZE, &saved) == 0, "setrlimit back");
    WriteTrackRecord(kNorthEast);
    CloseFlightLogs();
    check(ReadFileBytes(track) == twoRecords + kNorthEastLine && logErrors.size() == 1,
          "the record after the limit was raised is missing or was reported");
    ::_exit(0);
  }
};

TEST_F(FlightLogFilesDeathTest, FailingWriteDropsWholeRecordsAndRecovers) {
  EXPECT_EXIT(WriteAgainstFileSizeLimit(), ::testing::ExitedWithCode(0), "");
}

}  // namespace
