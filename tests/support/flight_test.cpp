#include "tests/support/flight_test.h"

#include "base/flight_values.h"
#include "device/sensors.h"
#include "flight/flight_reset.h"
#include "logs/flight_logs.h"
#include "logs/log_file.h"
#include "settings/settings_file.h"

std::filesystem::path RecordingPath(const std::string& name) {
  return std::filesystem::path(FLIGHT_RECORDINGS_DIR) / name;
}

namespace {
void ResetProcessState() {
  ResetFlight();
  ResetSettingsToInitialValues();
  SetSensorBackend(nullptr);
  g_bBaroOpen = false;
  g_bCompassOpen = false;
  CloseFlightLogs();
  SetLogErrorHandler(nullptr);
  SetSettingsMessageHook(nullptr);
}
}  // namespace

void FlightTest::SetUp() {
  ResetProcessState();
  SetLogErrorHandler([this](const std::string& message) { logErrors.push_back(message); });
}

void FlightTest::TearDown() { ResetProcessState(); }

void ScriptedByteSource::AddBytes(const std::string& bytes) {
  for (char c : bytes) steps.push_back({ReadStatus::kByte, c});
}

ReadStatus ScriptedByteSource::ReadByte(char& byte) {
  if (steps.empty()) return ReadStatus::kEnded;
  const Step step = steps.front();
  steps.pop_front();
  if (step.status == ReadStatus::kByte) byte = step.byte;
  return step.status;
}

bool ScriptedByteSource::Reopen() {
  ++reopens;
  return reopenSucceeds;
}
