#include "settings/settings_file.h"

#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "settings/storage_path.h"
#include "tests/support/flight_test.h"
#include "tests/support/temp_dir.h"

namespace {

// The file bytes of a record text: UTF-16 little-endian, no byte-order mark.
std::string Utf16LeBytes(const std::u16string& text) {
  std::string bytes;
  for (char16_t c : text) {
    bytes.push_back(static_cast<char>(c & 0xff));
    bytes.push_back(static_cast<char>(c >> 8));
  }
  return bytes;
}
std::string Utf16LeBytes(const std::string& ascii) { return Utf16LeBytes(Utf8ToUtf16(ascii)); }

// The example record: COM7: at 9600 bit/s, list positions 6 and 3, codes 0
// and 1, sound on, bottom code 3.
const SettingsRecord kExample{"COM7:", 9600, 6, 3, 0, 1, 1, 3};
constexpr const char* kExampleText = "COM7:, 9600,6,3,0,1,1, 3";

class SettingsFileTest : public FlightTest {
 protected:
  void SetUp() override {
    FlightTest::SetUp();
    ResetToInitialValues();
    SetSettingsMessageHook([this](const std::string& m) { messages.push_back(m); });
  }
  // The state of a fresh start, with the settings file in the temporary folder.
  void ResetToInitialValues() {
    ResetSettingsToInitialValues();
    g_strSettingsPath = "\\" + dir.Path().string() + "\\TermIni.INI";
  }
  std::filesystem::path File() const { return dir / "TermIni.INI"; }

  TempDir dir;
  std::vector<std::string> messages;
};

TEST_F(SettingsFileTest, SaveWritesTheExampleAs48BytesOfUtf16AndNothingElse) {
  WriteFileBytes(File(), std::string(80, 'x'));  // an older, longer file is replaced
  ApplySettings(kExample);
  SaveSettings();

  const std::string bytes = ReadFileBytes(File());
  ASSERT_EQ(bytes.size(), 48u);
  EXPECT_EQ(bytes, Utf16LeBytes(std::string(kExampleText)));
  EXPECT_TRUE(messages.empty());
  // Nothing but the settings file is left on the card.
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()),
                          std::filesystem::directory_iterator()), 1);
}

TEST_F(SettingsFileTest, MissingFileEmptiesOnlyThePortName) {
  LoadSettings();
  EXPECT_EQ(CurrentSettings(), (SettingsRecord{"", 9600, 1, 4, 0, 1, 1, 3}));
}

// Records of at most 24 characters are read by their fixed columns: port in
// 0-4, baud in 6-10, single digits in 12, 14, 16, 18, 20, bottom code in
// 22-23. Whatever is in a column is read as an integer (leading spaces, a
// sign, digits up to the first non-digit); no digits or no column give 0.
TEST_F(SettingsFileTest, LoadReadsEachFixedColumnOnItsOwn) {
  const struct {
    const char* name;
    const char* text;
    SettingsRecord expected;
  } cases[] = {
      {"empty file", "", {"", 0, 0, 0, 0, 0, 0, 0}},
      {"cut inside bottom code", "COM3:, 4800,2,1,5,6,0,1", {"COM3:", 4800, 2, 1, 5, 6, 0, 1}},
      {"separators are not checked", "COM7:x 9600x6x3x0x1x1x 3", kExample},
      {"letters and blanks", "COM7:,abcde,x,3, ,1,+, 7", {"COM7:", 0, 0, 3, 0, 1, 0, 7}},
      // What the older writer left for 115200 bit/s (only the first 24
      // characters of "COM7:,115200,6,9,0,1,1, 3"): every column after the
      // baud rate now holds a separator.
      {"cut 115200 record", "COM7:,115200,6,9,0,1,1, ", {"COM7:", 11520, 0, 0, 0, 0, 0, 0}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ResetToInitialValues();
    WriteFileBytes(File(), Utf16LeBytes(std::string(c.text)));
    LoadSettings();
    EXPECT_EQ(CurrentSettings(), c.expected);
  }
}

// What is saved is read back: the example in its fixed columns, short port
// names right-aligned with their blanks (an empty one as five blanks, so the
// next start again opens no port), and values too wide for their columns
// written in full and read back between the commas, so no other value moves.
TEST_F(SettingsFileTest, SavedSettingsReadBackUnchanged) {
  const struct {
    SettingsRecord values;
    const char* written;
  } cases[] = {
      {kExample, kExampleText},
      {{"COM", 9600, 1, 4, 0, 1, 1, 3}, "  COM, 9600,1,4,0,1,1, 3"},
      {{"", 9600, 1, 4, 0, 1, 1, 3}, "     , 9600,1,4,0,1,1, 3"},
      {{"COM7:", 115200, 6, 9, 0, 1, 1, 3}, "COM7:,115200,6,9,0,1,1, 3"},
      {{"COM2:", 9600, 1, 4, 14, 10, 0, 12}, "COM2:, 9600,1,4,14,10,0,12"},
      {{"COM1:", 4800, 0, 0, -1, 2, 1, -1}, "COM1:, 4800,0,0,-1,2,1,-1"},
      {{"/dev/ttyUSB0", 115200, 3, 9, 11, 1, 1, 7}, "/dev/ttyUSB0,115200,3,9,11,1,1, 7"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.written);
    ApplySettings(c.values);
    SaveSettings();
    EXPECT_EQ(ReadFileBytes(File()), Utf16LeBytes(std::string(c.written)));
    ResetToInitialValues();
    LoadSettings();
    SettingsRecord read = c.values;  // a short port name comes back right-aligned
    if (read.comPort.size() < 5) read.comPort.insert(0, 5 - read.comPort.size(), ' ');
    EXPECT_EQ(CurrentSettings(), read);
  }
}

TEST_F(SettingsFileTest, SaveThatCannotWriteTellsThePilotOnce) {
  g_strSettingsPath = "\\" + (dir / "no-such-folder").string() + "\\TermIni.INI";
  ApplySettings(kExample);
  SaveSettings();
  EXPECT_EQ(messages, std::vector<std::string>{"Can't open file TermIni.ini for write"});
  EXPECT_EQ(CurrentSettings(), kExample);  // the values in memory stay
  EXPECT_FALSE(std::filesystem::exists(dir / "no-such-folder"));
}

TEST(StoragePathTest, PathComponentIsTheTextBetweenTwoBackslashes) {
  const struct {
    const char* path;
    int n;
    const char* expected;
  } cases[] = {
      {"\\SDMMC\\Apps\\prog.exe", 2, "SDMMC"},
      {"\\Windows\\prog.exe", 2, "Windows"},
      {"\\prog.exe", 2, ""},
      {"SD\\Apps", 1, "D"},  // no (n-1)-th backslash: counted from index 0
      {"\\SDMMC\\Apps\\prog.exe", 3, "Apps"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(GetPathComponent(c.path, c.n), c.expected) << c.path << " n=" << c.n;
  }
}

TEST(StoragePathTest, ProgramFolderIsTheStorageFolderOnLinux) {
  const std::string module = HandheldModulePath("/home/pilot/instrument/flight-instrument");
  EXPECT_EQ(module, "\\/home/pilot/instrument\\flight-instrument");
  EXPECT_EQ(GetPathComponent(module, 2), "/home/pilot/instrument");
  EXPECT_EQ(ToLocalPath("\\/home/x\\TermIni.INI"), std::filesystem::path("/home/x/TermIni.INI"));

  const auto self = std::filesystem::canonical("/proc/self/exe");
  EXPECT_EQ(GetPathComponent(GetModulePath(), 2), self.parent_path().string());
}

}  // namespace
