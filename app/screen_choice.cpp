#include "app/screen_choice.h"

#include <sys/stat.h>

#include <fstream>
#include <string>
#include <system_error>

namespace {

namespace fs = std::filesystem;

bool StartsWith(std::string_view text, std::string_view prefix) {
  return text.substr(0, prefix.size()) == prefix;
}

// A display connected to a DRM card: a screen on HDMI, DSI or SPI.
bool DrmDisplayConnected(const fs::path& sys) {
  std::error_code error;
  for (const auto& entry : fs::directory_iterator(sys / "class/drm", error)) {
    std::ifstream status(entry.path() / "status");
    std::string line;
    if (std::getline(status, line) && line == "connected") return true;
  }
  return false;
}

// The framebuffer device linuxfb draws on: its "fb=" option
// ("linuxfb:fb=/dev/fb1:size=..."), else the first framebuffer.
fs::path FramebufferOf(std::string_view platform, const fs::path& dev) {
  std::string_view device = "/dev/fb0";
  const std::size_t option = platform.find(":fb=");
  if (option != std::string_view::npos) {
    device = platform.substr(option + 4);
    device = device.substr(0, device.find(':'));
  }
  if (StartsWith(device, "/dev/")) return dev / device.substr(5);
  return fs::path(device);
}

bool IsCharacterDevice(const fs::path& path) {
  struct stat info {};
  return ::stat(path.c_str(), &info) == 0 && S_ISCHR(info.st_mode);
}

}  // namespace

ScreenChoice ChooseScreen(std::string_view wanted, const fs::path& sys, const fs::path& dev) {
  ScreenChoice choice{std::string(wanted), "", false};
  if (StartsWith(wanted, "eglfs") && !DrmDisplayConnected(sys)) {
    choice.platform = "linuxfb";
    choice.note = "no display connected to a DRM card for eglfs: drawing on the framebuffer (linuxfb)";
  }
  if (StartsWith(choice.platform, "linuxfb") && !IsCharacterDevice(FramebufferOf(choice.platform, dev))) {
    choice.platform = "offscreen";
    choice.headless = true;
    choice.note = "no screen (no display on a DRM card, no framebuffer): flying and recording without "
                  "one; a screen that comes is used from the next fix on";
  }
  return choice;
}
