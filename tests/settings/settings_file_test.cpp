#include "settings/settings_file.h"

#include <grp.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <ostream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "settings/storage_path.h"
#include "tests/support/flight_test.h"
#include "tests/support/temp_dir.h"

// A failing comparison shows the settings as the record text they make.
void PrintTo(const SettingsRecord& settings, std::ostream* out) {
  *out << '"' << FormatSettingsRecord(settings) << '"';
}

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
      {{"COM9:", 115200, 8, 9, 17, 16, 1, 19}, "COM9:,115200,8,9,17,16,1,19"},  // the lists' last codes, "Airspace"
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

// Only a record the program writes is taken as settings: numbers outside the
// lists are kept as they stand (the dialog shows no selection for them), but a
// file the card has damaged gives the settings of a first start and says so.
TEST_F(SettingsFileTest, LoadTakesOnlyRecordsTheProgramWrites) {
  const SettingsRecord kDamaged{"", 9600, 1, 4, 0, 1, 1, 3};
  // Read between its last commas, this text gave settings that changed at every save.
  const std::string kFuzzed =
      "COM7:,115100,6,200,6,:_115200,67:,115115100,6,200,6,:_115200,67:,115100,6,200,6,9,0,"
      "20COM7:,115100,6,200,6,:_115200,67100,6,200,6,9,0,200,6,9,0,1,1, 30,6,9,0,1,1100,6,200,"
      "6,9,0,20COM7:,115100,6,200,6,:_115200,67100,6,200,6,9,0,200,6,9,0,1,1, 30,6,9,0,1,1, 3";
  const struct { const char* name; std::string bytes; SettingsRecord expected; } cases[] = {
      {"positions outside the lists", SettingsFileBytes("COM7:, 9600,6,200,0,1,1, 3"),
       {"COM7:", 9600, 6, 200, 0, 1, 1, 3}},
      {"every column at its widest", SettingsFileBytes("COM3:,57600,9,9,9,9,7,99"),
       {"COM3:", 57600, 9, 9, 9, 9, 7, 99}},
      {"found by the fuzzer", SettingsFileBytes(kFuzzed), kDamaged},
      {"port name with a comma", SettingsFileBytes("COM,7:, 9600,6,3,0,1,1, 3"), kDamaged},
      {"port name of a device", SettingsFileBytes("/dev/ttyUSB0,115200,3,9,1,1,1, 7"), kDamaged},
      {"no port of the list", SettingsFileBytes("COM0:, 9600,6,3,0,1,1, 3"), kDamaged},
      {"letter in the rate", SettingsFileBytes("COM7:, 96x0,6,3,0,1,1, 3"), kDamaged},
      {"other separators", SettingsFileBytes("COM7:x 9600x6x3x0x1x1x 3"), kDamaged},
      {"leading zero", SettingsFileBytes("COM7:,09600,6,3,0,1,1, 3"), kDamaged},
      {"no rate", SettingsFileBytes("COM7:,    0,6,3,0,1,1, 3"), kDamaged},
      {"cut inside bottom code", SettingsFileBytes("COM3:, 4800,2,1,5,6,0,1"), kDamaged},
      {"cut after an odd byte", SettingsFileBytes("COM7:, 9600,6,3,0,1,1, 3") + "3", kDamaged},
      // The first 24 characters of the 115200 record, as the handheld left it.
      {"115200 cut to 24", SettingsFileBytes("COM7:,115200,6,9,0,1,1, "), kDamaged},
      {"wide rate padded", SettingsFileBytes("COM7:, 115200,6,9,0,1,1, 3"), kDamaged},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ResetToInitialValues();
    messages.clear();
    WriteFileBytes(File(), c.bytes);
    LoadSettings();
    EXPECT_EQ(CurrentSettings(), c.expected);
    if (c.expected == kDamaged) {
      EXPECT_EQ(messages, std::vector<std::string>{"TermIni.INI is damaged: the default settings "
                                                   "are used; choose the GPS port with \"set\""});
    } else {
      EXPECT_TRUE(messages.empty());
    }
  }
  ResetToInitialValues();  // without a file only the port name is emptied, silently
  messages.clear();
  std::filesystem::remove(File());
  LoadSettings();
  EXPECT_EQ(CurrentSettings(), kDamaged);
  EXPECT_TRUE(messages.empty());
}

// The storage folder of an installed instrument: root's, its group's to
// write in, sticky so that only root may replace the program. A pilot of
// the group saves over the settings the service wrote last, and what a
// pilot writes the service may save over in turn, whatever the umask.
TEST_F(SettingsFileTest, APilotOfTheGroupSavesOverSettingsAnotherUserWrote) {
  if (::geteuid() != 0) GTEST_SKIP() << "needs root to act as two users of one group";
  constexpr uid_t kService = 61001, kPilot = 61002;
  constexpr gid_t kGroup = 61000;
  std::filesystem::permissions(dir.Path(), std::filesystem::perms::all);  // reachable for both
  const std::filesystem::path storage = dir / "storage";
  std::filesystem::create_directory(storage);
  ASSERT_EQ(::chown(storage.c_str(), 0, kGroup), 0);
  ASSERT_EQ(::chmod(storage.c_str(), 03775), 0);
  g_strSettingsPath = "\\" + storage.string() + "\\TermIni.INI";
  // Saves kExample with the port `port` as `user` (umask 022), in a child
  // process: true when nothing was said.
  const auto saveAs = [&](uid_t user, const char* port) {
    const pid_t child = ::fork();
    if (child == 0) {
      const gid_t groups[] = {kGroup};
      ::umask(022);
      if (::setgroups(1, groups) != 0 || ::setresgid(kGroup, kGroup, kGroup) != 0 ||
          ::setresuid(user, user, user) != 0) {
        ::_exit(2);
      }
      SettingsRecord settings = kExample;
      settings.comPort = port;
      ApplySettings(settings);
      SaveSettings();
      ::_exit(messages.empty() ? 0 : 1);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
  };
  ASSERT_TRUE(saveAs(kService, "COM5:"));
  ASSERT_TRUE(saveAs(kPilot, "COM3:"));
  ASSERT_TRUE(saveAs(kService, "COM4:"));
  LoadSettings();
  EXPECT_EQ(g_strComPort.Get(), "COM4:");
  EXPECT_TRUE(messages.empty());
  EXPECT_FALSE(std::filesystem::exists(storage / "TermIni.INI.new"));
}

TEST(StoragePathTest, PathComponentIsTheTextBetweenTwoBackslashes) {
  const struct { const char* path; int n; const char* expected; } cases[] = {
      {"\\SDMMC\\Apps\\prog.exe", 2, "SDMMC"}, {"\\SDMMC\\Apps\\prog.exe", 3, "Apps"},
      {"\\prog.exe", 2, ""}, {"SD\\Apps", 1, "D"},  // no (n-1)-th backslash: counted from index 0
  };
  for (const auto& c : cases) EXPECT_EQ(GetPathComponent(c.path, c.n), c.expected) << c.path << c.n;
}

}  // namespace
