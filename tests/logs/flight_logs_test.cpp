#include "logs/flight_logs.h"

#include <algorithm>
#include <filesystem>
#include <string>
#include <tuple>
#include <vector>

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

// A card that cannot take the logs (no folder, no right to write) drops
// the records without a word per record, says once why, and the logs are
// tried again at every record: the flight is recorded from the moment the
// card takes it, in the logs of the run's start.
TEST_F(FlightLogFilesTest, LogsThatCannotBeCreatedAreTriedAgainAtEveryRecord) {
  const std::string card = (dir / "card").string();
  EXPECT_FALSE(OpenFlightLogs(card, kStart, {}));
  EXPECT_NE(FlightLogsProblem().find("trk_230326140509.IGC cannot be created (No such file or directory)"),
            std::string::npos) << FlightLogsProblem();
  for (int i = 0; i < 3; ++i) WriteTrackRecord(kNorthEast);
  EXPECT_EQ(g_fileTrack.RecordsDropped(), 3);
  EXPECT_TRUE(logErrors.empty()) << logErrors[0];
  EXPECT_FALSE(std::filesystem::exists(dir / "card")) << "the storage folder is never made";

  std::filesystem::create_directory(dir / "card");
  WriteTrackRecord(kNorthEast);
  WriteAccelRecord("123519", 0.12f, -0.03f, 1.0f);
  EXPECT_EQ(FlightLogsProblem(), "");
  EXPECT_EQ(ReadFileBytes(dir / "card/FlyData/trk_230326140509.IGC"), kHeader + kNorthEastLine);
  EXPECT_EQ(ReadFileBytes(dir / "card/FlyData/acc_230326140509.csv"), ";x;y;z\n123519; 0.12;-0.03; 1.00\n");
  EXPECT_EQ(g_fileTrack.RecordsDropped(), 3);
}

// A program started again and again before its first fix leaves one pair
// without a fix, its own: those of ended runs go, while a pair with a
// record, a pair another running program holds and files that are no such
// pair stay.
TEST_F(FlightLogFilesTest, PairsWithoutAFixLeftByEndedRunsAreRemoved) {
  const std::filesystem::path fly = dir / "FlyData";
  const LocalTime earlier{2026, 3, 23, 14, 0, 0};
  ASSERT_TRUE(OpenFlightLogs(dir.Path().string(), earlier, {}));   // an ended run with a fix
  WriteTrackRecord(kNorthEast);
  WriteAccelRecord("123519", 0, 0, 1);
  for (int second = 1; second <= 3; ++second) {                    // ended runs without one
    ASSERT_TRUE(OpenFlightLogs(dir.Path().string(), LocalTime{2026, 3, 23, 14, 0, second}, {}));
  }
  CloseFlightLogs();
  // Runs killed before their headers were written whole.
  WriteFileBytes(fly / "trk_230326140004.IGC", kHeader);
  WriteFileBytes(fly / "acc_230326140004.csv", "");
  WriteFileBytes(fly / "trk_230326140005.IGC", "");
  WriteFileBytes(fly / "acc_230326140005.csv", "");
  LogFile running;   // a run still going, its pair without a fix so far
  ASSERT_EQ(running.CreateNew(fly / "trk_230326140100.IGC", false), 0);
  running.Write(kHeader);
  WriteFileBytes(fly / "acc_230326140100.csv", std::string(kAccelHeader));
  WriteFileBytes(fly / "trk_230326140200.IGC", "not a track\n");   // the pilot's own
  WriteFileBytes(fly / "acc_230326140200.csv", std::string(kAccelHeader));

  ASSERT_TRUE(OpenFlightLogs(dir.Path().string(), kStart, {}));
  EXPECT_EQ(RemoveFixlessLogs(), 5);
  std::vector<std::string> left;
  for (const auto& entry : std::filesystem::directory_iterator(fly)) left.push_back(entry.path().filename());
  std::sort(left.begin(), left.end());
  EXPECT_EQ(left, (std::vector<std::string>{"acc_230326140000.csv", "acc_230326140100.csv",
                                            "acc_230326140200.csv", "acc_230326140509.csv",
                                            "trk_230326140000.IGC", "trk_230326140100.IGC",
                                            "trk_230326140200.IGC", "trk_230326140509.IGC"}));
  running.Close();
  EXPECT_EQ(RemoveFixlessLogs(), 1) << "once its run has ended";
  EXPECT_EQ(RemoveFixlessLogs(), 0) << "this run's own pair stays";
}

// A run that takes the flight over appends to the logs of the run before,
// whose first fix has dated the track already.
TEST_F(FlightLogFilesTest, ARunThatTakesOverAppendsToTheLogsOfTheRunBefore) {
  ASSERT_TRUE(OpenFlightLogs(dir.Path().string(), kStart, {}));
  AcquisitionState first = kNorthEast;
  first.strDate = "240326";
  WriteTrackRecord(first);
  WriteAccelRecord("123519", 0, 0, 1);
  const std::filesystem::path track = g_fileTrack.Path(), accel = g_fileAccel.Path();
  CloseFlightLogs();

  ASSERT_TRUE(ContinueFlightLogs(track, accel));
  AcquisitionState next = Fix("123520", "4807038N", "01131000E");
  next.strDate = "250326";
  WriteTrackRecord(next);
  WriteAccelRecord("123520", 0, 0, 1);
  CloseFlightLogs();
  std::string header = kHeader;
  header.replace(kTrackDateOffset, 6, "240326");
  EXPECT_EQ(ReadFileBytes(track), header + kNorthEastLine + "B1235204807038N01131000EA0054300545\n");
  EXPECT_EQ(ReadFileBytes(accel), ";x;y;z\n123519; 0.00; 0.00; 1.00\n123520; 0.00; 0.00; 1.00\n");
  EXPECT_FALSE(ContinueFlightLogs(dir / "gone.IGC", accel));
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
