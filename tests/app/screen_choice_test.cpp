#include "app/screen_choice.h"

#include <sys/stat.h>
#include <sys/sysmacros.h>

#include <filesystem>
#include <string>
#include <tuple>
#include <vector>

#include <gtest/gtest.h>

#include "tests/support/temp_dir.h"

namespace {

namespace fs = std::filesystem;

// /sys and /dev of a board in a temporary folder: a DRM connector with its
// status, and framebuffer devices (character devices, as the kernel's).
struct Board {
  Board(const std::string& connector, const std::vector<std::string>& framebuffers) {
    fs::create_directories(sys / "class/drm/card0");
    if (!connector.empty()) {
      fs::create_directories(sys / "class/drm/card0-HDMI-A-1");
      WriteFileBytes(sys / "class/drm/card0-HDMI-A-1/status", connector + "\n");
    }
    fs::create_directories(dev.Path());
    for (const std::string& fb : framebuffers) {
      if (::mknod((dev / fb).c_str(), S_IFCHR | 0600, makedev(29, 0)) != 0) {
        WriteFileBytes(dev / fb, "");   // not allowed to make devices: a plain file
      }
    }
  }
  bool CanMakeDevices() const {
    struct stat info {};
    return ::stat((dev / "fb0").c_str(), &info) != 0 || S_ISCHR(info.st_mode);
  }
  TempDir sys, dev;
};

TEST(ScreenChoiceTest, TheWantedPlatformWhenItsScreenIsThereElseTheNextDownToNone) {
  const std::tuple<std::string, std::string, std::vector<std::string>, std::string, bool> cases[] = {
      // wanted, DRM connector, framebuffers, chosen, headless
      {"eglfs", "connected", {"fb0"}, "eglfs", false},
      {"eglfs", "disconnected", {"fb0"}, "linuxfb", false},
      {"eglfs", "", {}, "offscreen", true},
      {"eglfs:/dev/dri/card1", "disconnected", {}, "offscreen", true},
      {"linuxfb", "connected", {"fb0"}, "linuxfb", false},
      {"linuxfb", "connected", {}, "offscreen", true},
      {"linuxfb:fb=/dev/fb1", "", {"fb0"}, "offscreen", true},
      {"linuxfb:fb=/dev/fb1:size=800x480", "", {"fb1"}, "linuxfb:fb=/dev/fb1:size=800x480", false},
      {"xcb", "", {}, "xcb", false},
      {"", "", {}, "", false},
      {"offscreen", "", {}, "offscreen", false}};
  for (const auto& [wanted, connector, framebuffers, chosen, headless] : cases) {
    SCOPED_TRACE(wanted + " " + connector);
    Board board(connector, framebuffers);
    if (!board.CanMakeDevices()) GTEST_SKIP() << "no device files can be made here";
    const ScreenChoice choice = ChooseScreen(wanted, board.sys.Path(), board.dev.Path());
    EXPECT_EQ(choice.platform, chosen);
    EXPECT_EQ(choice.headless, headless);
    EXPECT_EQ(choice.note.empty(), chosen == wanted);
    if (headless) {
      EXPECT_NE(choice.note.find("no screen"), std::string::npos) << choice.note;
    }
  }
  // A plain file is no framebuffer.
  Board board("", {});
  WriteFileBytes(board.dev / "fb0", "");
  EXPECT_TRUE(ChooseScreen("linuxfb", board.sys.Path(), board.dev.Path()).headless);
}

}  // namespace
