#include "settings/settings_file.h"

#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "settings/storage_path.h"
#include "tests/support/flight_test.h"
#include "tests/support/temp_dir.h"

namespace {

const SettingsRecord kExample{"COM7:", 9600, 6, 3, 0, 1, 1, 3};  // "COM7:, 9600,6,3,0,1,1, 3"

class SettingsFileTest : public FlightTest {
 protected:
  void SetUp() override {
    FlightTest::SetUp();
    ResetToInitialValues();
    SetSettingsMessageHook([this](const std::string& m) { messages.push_back(m); });
  }
  void ResetToInitialValues() {  // a fresh start, with the file in the temporary folder
    ResetSettingsToInitialValues();
    g_strSettingsPath = "\\" + dir.Path().string() + "\\TermIni.INI";
  }
  std::filesystem::path File() const { return dir / "TermIni.INI"; }

  TempDir dir;
  std::vector<std::string> messages;
};

// What is saved is read back: the example as 48 bytes that replace an older,
// longer file; an empty port name as five blanks (the next start again opens
// no port); values too wide for their columns in full, read back between the
// commas, so no other value moves. Only the settings file is left on the card.
TEST_F(SettingsFileTest, SavedSettingsReadBackUnchanged) {
  WriteFileBytes(File(), std::string(80, 'x'));
  const struct { SettingsRecord values; const char* written; } cases[] = {
      {kExample, "COM7:, 9600,6,3,0,1,1, 3"},
      {{"", 9600, 1, 4, 0, 1, 1, 3}, "     , 9600,1,4,0,1,1, 3"},
      {{"COM7:", 115200, 6, 9, 0, 1, 1, 3}, "COM7:,115200,6,9,0,1,1, 3"},
      {{"COM2:", 9600, 1, 4, 14, 10, 0, 12}, "COM2:, 9600,1,4,14,10,0,12"},
      {{"COM7:", 9600, 6, 3, 15, 14, 1, 17}, "COM7:, 9600,6,3,15,14,1,17"},  // the last entries, "WindC"
      {{"COM1:", 4800, 0, 0, -1, 2, 1, -1}, "COM1:, 4800,0,0,-1,2,1,-1"},
      {{"/dev/ttyUSB0", 115200, 3, 9, 11, 1, 1, 7}, "/dev/ttyUSB0,115200,3,9,11,1,1, 7"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.written);
    ApplySettings(c.values);
    SaveSettings();
    EXPECT_EQ(ReadFileBytes(File()), SettingsFileBytes(c.written));
    ResetToInitialValues();
    LoadSettings();
    SettingsRecord read = c.values;
    if (read.comPort.empty()) read.comPort = "     ";  // comes back as the five blanks
    EXPECT_EQ(CurrentSettings(), read);
  }
  EXPECT_TRUE(messages.empty());
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()), {}), 1);
}

// Records of at most 24 characters are read by their fixed columns, each as an integer
// (leading spaces, a sign, digits up to the first non-digit); no digits or no column give 0.
TEST_F(SettingsFileTest, LoadReadsEachFixedColumnOnItsOwn) {
  const struct { const char* name; const char* text; SettingsRecord expected; } cases[] = {
      {"no file: only the port name is emptied", nullptr, {"", 9600, 1, 4, 0, 1, 1, 3}},
      {"cut inside bottom code", "COM3:, 4800,2,1,5,6,0,1", {"COM3:", 4800, 2, 1, 5, 6, 0, 1}},
      {"separators are not checked", "COM7:x 9600x6x3x0x1x1x 3", kExample},
      {"letters and blanks", "COM7:,19200,x,3, ,1,+, 7", {"COM7:", 19200, 0, 3, 0, 1, 0, 7}},
      // What the older writer left for 115200 bit/s, the first 24 characters of
      // "COM7:,115200,6,9,0,1,1, 3": every column after the baud holds a separator.
      {"cut 115200 record", "COM7:,115200,6,9,0,1,1, ", {"COM7:", 11520, 0, 0, 0, 0, 0, 0}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ResetToInitialValues();
    if (c.text) WriteFileBytes(File(), SettingsFileBytes(c.text));
    LoadSettings();
    EXPECT_EQ(CurrentSettings(), c.expected);
  }
}

TEST(StoragePathTest, PathComponentIsTheTextBetweenTwoBackslashes) {
  const struct { const char* path; int n; const char* expected; } cases[] = {
      {"\\SDMMC\\Apps\\prog.exe", 2, "SDMMC"}, {"\\SDMMC\\Apps\\prog.exe", 3, "Apps"},
      {"\\prog.exe", 2, ""}, {"SD\\Apps", 1, "D"},  // no (n-1)-th backslash: counted from index 0
  };
  for (const auto& c : cases) EXPECT_EQ(GetPathComponent(c.path, c.n), c.expected) << c.path << c.n;
}

}  // namespace
