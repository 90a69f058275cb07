#include "tests/support/flight_test.h"

#include "device/sensors.h"
#include "flight/flight_reset.h"
#include "logs/flight_logs.h"
#include "logs/log_file.h"
#include "settings/settings_file.h"

std::filesystem::path RecordingPath(const std::string& name) {
  return std::filesystem::path(FLIGHT_RECORDINGS_DIR) / name;
}

void FlightTest::ResetProcessState() {
  ResetFlight();
  ResetSettingsToInitialValues();
  SetSensorBackend(nullptr);
  g_bBaroOpen = false;
  g_bCompassOpen = false;
  CloseFlightLogs();
  SetLogErrorHandler(nullptr);
  SetSettingsMessageHook(nullptr);
}

void FlightTest::SetUp() {
  ResetProcessState();
  SetLogErrorHandler([this](const std::string& message) { logErrors.push_back(message); });
}

void FlightTest::TearDown() { ResetProcessState(); }
