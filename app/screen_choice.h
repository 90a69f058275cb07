// Which Qt platform the instrument draws with, chosen before the
// application object is made (a platform that cannot start ends the
// program). An instrument records whether or not anybody can see it:
//
//   eglfs     needs a display connected to a DRM card
//             (<sys>/class/drm/card*-*/status "connected"), else linuxfb;
//   linuxfb   needs its framebuffer device (the "fb=" option's, else
//             /dev/fb0), else offscreen: no screen, the flight is flown
//             and recorded all the same;
//   any other (a desktop's xcb or wayland, offscreen) is taken as it is.
//
// Plain C++; the folders stand for /sys and /dev, so tests give their own.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

struct ScreenChoice {
  std::string platform;   // what Qt is to draw with
  std::string note;       // why it differs from the wanted one; empty when it does not
  bool headless = false;  // a screen was wanted and none is there
};

ScreenChoice ChooseScreen(std::string_view wanted, const std::filesystem::path& sys = "/sys",
                          const std::filesystem::path& dev = "/dev");
