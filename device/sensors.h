// The barometer and the compass: opened at start-up, and a device that is
// not there yet (a driver that binds late) is looked for again until it
// comes; once open it stays open for the run. These flags say which are
// open; the acquisition thread reads them while the window's thread may
// set them.
#pragma once

#include <atomic>
#include <functional>
#include <string_view>

extern std::atomic<bool> g_bBaroOpen;
extern std::atomic<bool> g_bCompassOpen;

// The start-up step: opens the barometer, then the compass, each only while
// its flag is clear, and sets the flags. A device that does not open is
// reported through `showMessage` ("Not open sensor bar", "Not open sensor
// comp"); start-up goes on either way.
void OpenSensors(const std::function<void(std::string_view message)>& showMessage);

// The same later on, for the devices still missing, without a message for
// those still missing: one that opens now is told through `found` ("the
// barometer", "the compass"). True when both are open.
bool OpenLateSensors(const std::function<void(std::string_view device)>& found);
