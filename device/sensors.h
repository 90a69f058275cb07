// The barometer and the compass are opened once at start-up and stay open
// for the run; these flags say which of them did.
#pragma once

#include <functional>
#include <string_view>

extern bool g_bBaroOpen;
extern bool g_bCompassOpen;

// The start-up step: opens the barometer, then the compass, each only while
// its flag is clear, and sets the flags. A device that does not open is
// reported through `showMessage` ("Not open sensor bar", "Not open sensor
// comp"); start-up goes on either way.
void OpenSensors(const std::function<void(std::string_view message)>& showMessage);
