#include "device/sensors.h"

#include "device/gm130api.h"

std::atomic<bool> g_bBaroOpen{false};
std::atomic<bool> g_bCompassOpen{false};

void OpenSensors(const std::function<void(std::string_view message)>& showMessage) {
  if (!g_bBaroOpen) {
    g_bBaroOpen = barOpenDevice() != 0;
    if (!g_bBaroOpen && showMessage) showMessage("Not open sensor bar");
  }
  if (!g_bCompassOpen) {
    g_bCompassOpen = compOpenDevice() != 0;
    if (!g_bCompassOpen && showMessage) showMessage("Not open sensor comp");
  }
}

bool OpenLateSensors(const std::function<void(std::string_view device)>& found) {
  // A flag is set only after its device is wholly open: the acquisition
  // thread, which reads the device once it sees the flag, finds it ready.
  if (!g_bBaroOpen && barOpenDevice() != 0) {
    g_bBaroOpen = true;
    if (found) found("the barometer");
  }
  if (!g_bCompassOpen && compOpenDevice() != 0) {
    g_bCompassOpen = true;
    if (found) found("the compass");
  }
  return g_bBaroOpen && g_bCompassOpen;
}
