#include "tests/support/flight_test.h"

#include "device/sensors.h"
#include "flight/flight_reset.h"
#include "logs/flight_logs.h"
#include "logs/log_file.h"
#include "settings/settings_file.h"

std::filesystem::path RecordingPath(const std::string& name) {
  return std::filesystem::path(FLIGHT_RECORDINGS_DIR) / name;
}

std::string Sentence(const std::string& body) {
  unsigned char sum = 0;
  for (const char c : body) sum ^= static_cast<unsigned char>(c);
  static const char* const kHex = "0123456789ABCDEF";
  return "$" + body + "*" + kHex[sum >> 4] + kHex[sum & 15] + "\r\n";
}

std::string SettingsFileBytes(const std::string& record) {
  std::string bytes;
  for (const char c : record) bytes += {c, '\0'};
  return bytes;
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
