#include "logs/flight_logs.h"

#include <filesystem>
#include <string>
#include <tuple>

#include <gtest/gtest.h>

#include "base/program_version.h"
#include "tests/support/flight_test.h"
#include "tests/support/temp_dir.h"

namespace {

// 23 March 2026, 14:05:09 local time, in UTC.
const LocalTime kStart{2026, 3, 23, 14, 5, 9};
const std::string kHeader = TrackHeader(kStart, {});

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
  ASSERT_TRUE(OpenFlightLogs(dir.Path().string(), kStart, {}));
  WriteTrackRecord(kNorthEast);
  WriteTrackRecord(Fix("000102", "3412345S", "15812345W", "V", "-0012", "01190"));  // below MSL
  WriteTrackRecord(Fix("123519", "4807038N", "01131000E", "AV"));
  WriteTrackRecord(Fix("123519", "48\xC3\xA9" "038N", "01131000E", "A"));
  WriteTrackRecord(Fix("300000", "4807038N", "01131000E", "A"));
  WriteTrackRecord(Fix("123519", "4807038N", "01131000E", "D"));  // validity is A or V
  WriteTrackRecord(Fix("123519", "4807038N", "01131000E", "A", "123456"));
  WriteAccelRecord("123519", 0.12f, -0.03f, 1.0f);
  WriteAccelRecord("000102", 0.5f, -12.5f, 0.0f);
  ASSERT_TRUE(OpenFlightLogs(dir.Path().string(), kStart, {}));
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
  EXPECT_FALSE(OpenFlightLogs((dir / "no-card").string(), kStart, {}));
  for (int i = 0; i < 3; ++i) WriteTrackRecord(kNorthEast);
  EXPECT_EQ(g_fileTrack.RecordsDropped(), 3);
  ASSERT_EQ(logErrors.size(), 1u);
  EXPECT_NE(logErrors[0].find("trk_230326140509.IGC"), std::string::npos) << logErrors[0];
  EXPECT_FALSE(std::filesystem::exists(dir / "no-card"));
}

// The header line by line, as a flight server reads it: the date of the
// start in UTC, the pilot's file, the recorder and its references.
TEST(TrackHeaderTest, TheHeaderNamesDateUtcPilotRecorderAndReferences) {
  TrackHeaderFields fields;
  fields.pilot = {"Anna Example", "", "Ozone Rush 6", "D-1234", "AE"};
  fields.hardware = "Raspberry Pi 4 Model B Rev 1.4";
  fields.pressureSensor = "ms5611";
  // 01:30 local on 24 March at UTC+2: still 23 March in UTC.
  EXPECT_EQ(TrackHeader(LocalTime{2026, 3, 24, 1, 30, 0, 7200}, fields),
            std::string("AHOL001\n"
                        "HFDTE230326\n"
                        "HFPLTPILOTINCHARGE:Anna Example\n"
                        "HFCM2CREW2:\n"
                        "HFGTYGLIDERTYPE:Ozone Rush 6\n"
                        "HFGIDGLIDERID:D-1234\n"
                        "HFCIDCOMPETITIONID:AE\n"
                        "HFDTMGPSDATUM:WGS84\n"
                        "HFRFWFIRMWAREVERSION:") + kProgramVersion + "\n"
                        "HFRHWHARDWAREVERSION:Raspberry Pi 4 Model B Rev 1.4\n"
                        "HFFTYFRTYPE:FlightInstrument,Linux\n"
                        "HFGPSRECEIVER:\n"
                        "HFPRSPRESSALTSENSOR:ms5611\n"
                        "HFALGALTGPS:GEO\n"
                        "HFALPALTPRESSURE:ISA\n"
                        "HFTZNTIMEZONE:+2\n");
}

// Values come from a pilot's file or the machine: whatever they hold, a
// record is printable ASCII within the IGC line limit.
TEST(TrackHeaderTest, EachRecordIsPrintableAsciiWithinTheLineLimit) {
  const std::string longName(100, 'N');
  const std::tuple<std::string, std::string> cases[] = {  // value, record
      {"Anna Example", "HFPLTPILOTINCHARGE:Anna Example\n"},
      {"", "HFPLTPILOTINCHARGE:\n"},
      {"Anna\tEx\x7F" "am\nple\xC3\xA9", "HFPLTPILOTINCHARGE:AnnaExample\n"},
      {std::string("Board\0\x01", 7), "HFPLTPILOTINCHARGE:Board\n"},
      {longName, "HFPLTPILOTINCHARGE:" + longName.substr(0, 76 - 19) + "\n"}};
  for (const auto& [value, record] : cases) {
    EXPECT_EQ(HeaderRecord("PLTPILOTINCHARGE:", value), record) << value;
  }
}

TEST(TrackHeaderTest, TimeZonesInHoursAndRmcDates) {
  const std::tuple<int, const char*> zones[] = {
      {0, "+0"}, {7200, "+2"}, {-7 * 3600, "-7"}, {19800, "+5.5"}, {20700, "+5.75"},
      {-12600, "-3.5"}, {45900, "+12.75"}, {-45 * 900, "-11.25"}, {-35, "+0"}};
  for (const auto& [seconds, hours] : zones) EXPECT_EQ(TimeZoneHours(seconds), hours) << seconds;
  const std::tuple<const char*, bool> dates[] = {
      {"150726", true}, {"290228", true}, {"311226", true}, {"010100", true},
      {"290227", false}, {"310426", false}, {"000126", false}, {"151326", false}, {"150026", false},
      {"15072", false}, {"1507266", false}, {"15x726", false}, {" 50726", false}, {"", false}};
  for (const auto& [date, real] : dates) EXPECT_EQ(IsRmcDate(date), real) << date;
}

}  // namespace
