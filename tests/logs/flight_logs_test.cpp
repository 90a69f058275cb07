#include "logs/flight_logs.h"

#include <filesystem>
#include <string>

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

}  // namespace
