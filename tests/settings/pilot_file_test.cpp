#include "settings/pilot_file.h"

#include <string>
#include <tuple>

#include <gtest/gtest.h>

#include "tests/support/flight_test.h"
#include "tests/support/temp_dir.h"

namespace {

TEST(PilotFileTest, NamesAndValuesAsPilotsWriteThem) {
  static constexpr char kDamaged[] = "\x01\x02\0\xFF\xFE\x80\nGlider ID: \x7F" "D-12\0" "34\n\xC3";
  const PilotInfo anna{"Anna Example", "", "Ozone Rush 6", "D-1234", "AE"};
  const std::string utf16 = std::string("\xFF\xFE", 2) + [] {
    std::string units;
    for (const char c : std::string("Pilot: J\xFC" "rgen\r\n")) units += {c, '\0'};
    return units;
  }();
  const std::tuple<const char*, std::string, PilotInfo> cases[] = {
      {"every name, any case, spaces and Windows line ends",
       "Pilot: Anna Example\r\nCREW:\r\n  glider TYPE :  Ozone Rush 6 \r\nGlider ID:D-1234\r\n"
       "Competition ID: AE\r\n",
       anna},
      {"empty", "", {}},
      {"unknown names, lines without a colon and a name twice: the last counts",
       "Name: Bob\nPilot Anna\nPilot: Bob\nPilot: Anna: the first\n", {"Anna: the first", "", "", "", ""}},
      {"UTF-8 with its mark, accents as plain letters, other signs dropped",
       "\xEF\xBB\xBFPilot: J\xC3\xBCrgen \xC5\x81ukasz \xE2\x9C\x88 Stra\xC3\x9F" "e\n",
       {"Jurgen Lukasz  Strasse", "", "", "", ""}},
      {"an older editor's Latin-1", "Pilot: J\xFCrgen\n", {"Jurgen", "", "", "", ""}},
      {"UTF-16 with its mark", utf16, {"Jurgen", "", "", "", ""}},
      {"damaged: binary bytes around a good line", std::string(kDamaged, sizeof kDamaged - 1),
       {"", "", "", "D-1234", ""}}};
  for (const auto& [legend, bytes, info] : cases) {
    EXPECT_EQ(ParsePilotFile(bytes), info) << legend;
  }
}

TEST(PilotFileTest, AMissingOrOverlongFileGivesWhatItCan) {
  TempDir dir;
  EXPECT_EQ(LoadPilotFile(dir / "Pilot.txt"), PilotInfo{});
  EXPECT_EQ(LoadPilotFile(dir.Path()), PilotInfo{});  // a folder by that name
  // Only the first 4 KiB count: a name past them is not read.
  WriteFileBytes(dir / "Pilot.txt", "Pilot: Anna Example\n" + std::string(5000, '#') + "\nCrew: Bob\n");
  EXPECT_EQ(LoadPilotFile(dir / "Pilot.txt"), (PilotInfo{"Anna Example", "", "", "", ""}));
}

}  // namespace
