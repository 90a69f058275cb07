#include <gtest/gtest.h>

#include "device/sensor_backend.h"
#include "device/sensors.h"
#include "tests/support/flight_test.h"

namespace {

class SensorBoundaryTest : public FlightTest {};

// Called again, it opens only what is still closed.
TEST_F(SensorBoundaryTest, StartUpOpensEachDeviceOnceAndReportsWhatIsMissing) {
  struct CountingSensors : ScriptedSensors {
    bool OpenBarometer() override { return ++barometerOpens > 0; }
    int barometerOpens = 0;
  } sensors;
  sensors.compassPresent = false;
  SetSensorBackend(&sensors);
  std::vector<std::string> messages;
  for (int i = 0; i < 2; ++i) OpenSensors([&](std::string_view m) { messages.emplace_back(m); });
  EXPECT_EQ(sensors.barometerOpens, 1);
  EXPECT_TRUE(g_bBaroOpen && !g_bCompassOpen);
  EXPECT_EQ(messages, (std::vector<std::string>{"Not open sensor comp", "Not open sensor comp"}));
}

}  // namespace
