#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "device/gm130api.h"
#include "device/sensor_backend.h"
#include "device/sensors.h"
#include "tests/support/flight_test.h"

namespace {

class SensorBoundaryTest : public FlightTest {
 protected:
  std::vector<std::string> messages;
  std::function<void(std::string_view)> collect = [this](std::string_view m) {
    messages.emplace_back(m);
  };
};

TEST_F(SensorBoundaryTest, CallsReachTheInstalledBackEnd) {
  ScriptedSensors sensors;
  sensors.altitude = 1858;
  sensors.g[0] = 0.12f;
  sensors.g[1] = -0.03f;
  sensors.g[2] = 1.01f;
  EXPECT_EQ(SetSensorBackend(&sensors), nullptr);

  EXPECT_NE(barOpenDevice(), 0);
  EXPECT_EQ(barGetAltitude(), 1858);
  float g[3] = {};
  compGetGSensorData(&g[0], &g[1], &g[2]);  // first, second, third in the library's order
  EXPECT_EQ(std::vector<float>(g, g + 3), (std::vector<float>{0.12f, -0.03f, 1.01f}));
  compGetGSensorData(nullptr, nullptr, &g[2]);  // a missing pointer is skipped

  EXPECT_EQ(SetSensorBackend(nullptr), &sensors);
  EXPECT_EQ(barOpenDevice(), 0);
}

TEST_F(SensorBoundaryTest, StartUpOpensEachDeviceOnceAndReportsWhatIsMissing) {
  struct CountingSensors : ScriptedSensors {
    bool OpenBarometer() override { ++barometerOpens; return true; }
    int barometerOpens = 0;
  } sensors;
  sensors.compassPresent = false;
  SetSensorBackend(&sensors);

  OpenSensors(collect);
  OpenSensors(collect);  // the barometer is open already: not opened again
  EXPECT_TRUE(g_bBaroOpen);
  EXPECT_FALSE(g_bCompassOpen);
  EXPECT_EQ(sensors.barometerOpens, 1);
  EXPECT_EQ(messages, (std::vector<std::string>{"Not open sensor comp", "Not open sensor comp"}));
}

}  // namespace
