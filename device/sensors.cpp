#include "device/sensors.h"

#include "device/gm130api.h"

bool g_bBaroOpen = false;
bool g_bCompassOpen = false;

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
