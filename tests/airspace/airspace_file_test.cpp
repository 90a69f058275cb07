#include "airspace/airspace_file.h"

#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "airspace/airspace_warnings.h"
#include "airspace/arc.h"
#include "tests/support/temp_dir.h"

namespace {

constexpr char kZurich[] =
    "* Zurich\n"
    "AC D\n"
    "AY CTR\n"
    "AN CTR Z\xC3\xBCrich\n"
    "AL GND\n"
    "AH 4500ft MSL\n"
    "DP 47:28:20 N 008:22:00 E\n"
    "DP 47:33:00 N 008:35:00 E\n"
    "DP 47:26:00 N 008:40:00 E\n";

constexpr char kCircle[] =
    "AC R\n"
    "AN LS-R8\n"
    "AL 1000ft AGL\n"
    "AH FL100\n"
    "V X=47:00:00 N 008:00:00 E\n"
    "DC 2\n";

std::vector<long> ProblemLines(const AirspaceFile& file) {
  std::vector<long> lines;
  for (const AirspaceProblem& p : file.report.problems) lines.push_back(p.line);
  return lines;
}

TEST(AirspaceFileTest, ReadsEveryRecordKind) {
  const AirspaceFile file = ReadAirspaceText(std::string(kZurich) + kCircle +
                                             "ac q\r\n"
                                             "an Danger Gen\xE8ve\r\n"    // Latin-1
                                             "af 123.450\r\nag Geneva Info\r\nax 7000\r\n"
                                             "al 2000 ft amsl\r\nah 95FL\r\n"
                                             "AA NONE\r\n"
                                             "v  x = 46:10.0N 6:05.0E\r\n"
                                             "V D=-\r\n"
                                             "DA 1.5, 90, 0\r\n"
                                             "DB 46:11:30 N 006:05:00 E, 46:10:00 N 006:07:10 E\r\n");
  EXPECT_EQ(file.report.problemCount, 0u);
  ASSERT_EQ(file.airspaces.size(), 3u);
  const Airspace& zurich = file.airspaces[0];
  EXPECT_EQ(zurich.name, "CTR Zurich");
  EXPECT_EQ(zurich.cls, "D");
  EXPECT_EQ(zurich.type, "CTR");
  EXPECT_EQ(zurich.line, 2);
  EXPECT_EQ(zurich.border.size(), 3u);
  EXPECT_EQ(zurich.floor, (AltitudeLimit{AltitudeReference::kGround, 0}));
  EXPECT_TRUE(zurich.active);
  const Airspace& circle = file.airspaces[1];
  EXPECT_EQ(circle.border.size(), ArcChords(2 * kMetresPerNauticalMile, 360));
  EXPECT_EQ(circle.ceiling, (AltitudeLimit{AltitudeReference::kPressure, 10000 * kMetresPerFoot}));
  const Airspace& geneva = file.airspaces[2];
  EXPECT_EQ(geneva.name, "Danger Geneve");
  EXPECT_FALSE(geneva.active);
  // 1.5 nm (2778 m) anticlockwise from east to north in chords of at most
  // 2 acos(1 - 9 / 2778) = 9.23 degrees: 10 chords, 11 points; then from
  // 1.5' north to 2.17' east (2780 m) anticlockwise, 270 degrees: 30
  // chords, 31 points, the first a few metres from the last arc's end.
  EXPECT_EQ(ArcChords(1.5 * kMetresPerNauticalMile, 90), 10u);
  EXPECT_EQ(geneva.border.size(), 11u + 31u);
  EXPECT_NEAR(LatDeg(geneva.border[11]), 46 + 11.5 / 60, 1e-7);

  // A carriage return inside a line is no part of a name.
  const AirspaceFile crossed = ReadAirspaceText("AC R\nAN LS\r-R8 \r\nAL GND\nAH FL50\nV X=47:00:00N 8:00:00E\nDC 1\n");
  ASSERT_EQ(crossed.airspaces.size(), 1u);
  EXPECT_EQ(crossed.airspaces[0].name, "LS-R8");
}

TEST(AirspaceFileTest, DamagedLinesCostTheirAirspaceOnly) {
  struct Case {
    const char* legend;
    std::string text;
    std::size_t loaded, skipped;
    std::vector<long> problemLines;
  };
  const std::string z = kZurich;  // lines 1 to 9
  const Case cases[] = {
      {"both good", z + kCircle, 2, 0, {}},
      {"a point out of range", z + "DP 47:61:00 N 008:00:00 E\n" + kCircle, 1, 1, {10}},
      {"junk between the records of an airspace", z + "\x01\xFFgarbage\nDP 47:20:00 N 008:30:00 E\n" + kCircle, 1, 1, {10}},
      {"junk after the last airspace", z + kCircle + "\x7F\x45LF\x02\x03\n\xFF\xFE\n", 2, 0, {16, 17}},
      {"junk between two airspaces", z + "this is no record\n" + kCircle, 2, 0, {10}},
      {"a record before any airspace", "DP 47:00:00 N 008:00:00 E\n" + z, 1, 0, {1}},
      {"no ceiling", z.substr(0, z.find("AH")) + z.substr(z.find("DP")) + kCircle, 1, 1, {2}},
      {"no border", "AC D\nAL GND\nAH FL50\nDP 47:00:00 N 008:00:00 E\nDP 47:00:00 N 008:00:00 E\n" + z, 1, 1, {1}},
      {"a circle without a centre", "AC R\nAL GND\nAH FL50\nDC 2\n" + z, 1, 1, {4}},
      {"a floor above the ceiling", "AC R\nAL FL80\nAH FL50\nV X=47:00:00N 8:00:00E\nDC 2\n" + z, 1, 1, {1}},
      {"the same circle twice is harmless", std::string(kCircle) + "DC 2\n", 1, 0, {}},
      {"a second circle is not", std::string(kCircle) + "DC 3\n", 0, 1, {7}},
      {"an unknown variable", std::string(kCircle) + "V Q=3\n", 0, 1, {7}},
      {"a class of two words", "AC D E\n" + z, 1, 1, {1}},
      {"a line of 2000 characters", z + std::string(2000, 'D') + "\n" + kCircle, 2, 0, {10}},
  };
  for (const Case& c : cases) {
    const AirspaceFile file = ReadAirspaceText(c.text);
    EXPECT_EQ(file.report.loaded, c.loaded) << c.legend;
    EXPECT_EQ(file.report.skipped, c.skipped) << c.legend;
    EXPECT_EQ(ProblemLines(file), c.problemLines) << c.legend;
    EXPECT_EQ(file.airspaces.size(), c.loaded) << c.legend;
  }
}

TEST(AirspaceFileTest, TheFirstTenProblemsThenTheirCount) {
  std::string text = kZurich;
  for (int i = 0; i < 12; ++i) text += "DP 99:00:00 N 008:00:00 E\n";
  const AirspaceFile file = ReadAirspaceText(text);
  const std::vector<std::string> lines = AirspaceReportLines(file, "Airspace.txt");
  ASSERT_EQ(lines.size(), 12u);
  EXPECT_EQ(lines[0], "airspace: line 10: cannot read \"DP 99:00:00 N 008:00:00 E\": no position");
  EXPECT_EQ(lines[9], "airspace: line 19: cannot read \"DP 99:00:00 N 008:00:00 E\": no position");
  EXPECT_EQ(lines[10], "airspace: 12 problems in all");
  EXPECT_EQ(lines[11], "airspace: 0 loaded from Airspace.txt, 1 skipped");
}

TEST(AirspaceFileTest, FromTheStorageFolder) {
  TempDir dir;
  const std::filesystem::path path = dir / kAirspaceFileName;
  AirspaceFile file = ReadAirspaceFile(path);
  EXPECT_FALSE(file.found);
  EXPECT_TRUE(AirspaceReportLines(file, kAirspaceFileName).empty());  // no file, nothing said

  std::filesystem::create_directory(path);
  file = ReadAirspaceFile(path);
  EXPECT_EQ(AirspaceReportLines(file, kAirspaceFileName), std::vector<std::string>{"airspace: cannot read Airspace.txt (Is a directory)"});
  std::filesystem::remove(path);

  // With its byte-order mark and Windows line ends, and a point whose line
  // straddles the reader's 64 KiB blocks.
  std::string text = "\xEF\xBB\xBF" + std::string(kCircle);
  text += std::string(65536 - text.size() - 10, '*') + "\r\n";
  text += kZurich;
  WriteFileBytes(path, text);
  file = ReadAirspaceFile(path);
  EXPECT_EQ(AirspaceReportLines(file, kAirspaceFileName),
            std::vector<std::string>{"airspace: 2 loaded from Airspace.txt, 0 skipped"});
  ASSERT_EQ(file.airspaces.size(), 2u);
  EXPECT_EQ(file.airspaces[1].line, 9);
}

// Whatever the file holds: no crash, no hang, and what is loaded is whole.
TEST(AirspaceFileTest, HugeAndBinaryFilesAreSurvived) {
  TempDir dir;
  const std::filesystem::path path = dir / kAirspaceFileName;
  std::mt19937 random(26);
  std::string junk(10 << 20, '\0');
  for (char& c : junk) c = static_cast<char>(random());
  WriteFileBytes(path, junk);
  AirspaceFile file = ReadAirspaceFile(path);
  EXPECT_TRUE(file.readable);
  EXPECT_EQ(file.report.loaded, 0u);
  EXPECT_GT(file.report.problemCount, 1000u);
  EXPECT_EQ(file.report.problems.size(), 10u);

  // One airspace of 100 000 points, a fine zigzag, and a fix checked at it.
  std::string big = "AC R\nAN Big\nAL GND\nAH FL100\n";
  for (int i = 0; i < 100000; ++i) {
    const int minutes = i / 1000, thousandths = i % 1000;
    big += "DP 47:" + std::to_string(10 + minutes / 60) + "." + std::to_string(100 + thousandths).substr(1) + "N " +
           "008:" + std::to_string(10 + (i % 2)) + ".000E\n";
  }
  WriteFileBytes(path, big);
  file = ReadAirspaceFile(path);
  ASSERT_EQ(file.airspaces.size(), 1u);
  EXPECT_GT(file.airspaces[0].border.size(), 50000u);
  AirspaceWarnings warnings(file.airspaces);
  const AirspaceFix fix{0, ToGeoPoint(47.2, 8.17), 72, 90, 0, {1000, 1000, 1000}};
  warnings.Check(fix);
  EXPECT_TRUE(warnings.Nearest());
}

}  // namespace
