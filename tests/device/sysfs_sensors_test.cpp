#include "device/sysfs_sensors.h"

#include <gtest/gtest.h>

#include <thread>

#include "device/gm130api.h"
#include "device/sensors.h"
#include "tests/support/flight_test.h"
#include "tests/support/temp_dir.h"

namespace {

namespace fs = std::filesystem;
using Files = std::vector<std::pair<std::string, std::string>>;  // name, content

// A sysfs tree laid out like the kernel's, in a temporary folder.
struct FakeSysfs {
  void Put(const std::string& folder, const Files& files) {
    fs::create_directories(dir / folder);
    for (const auto& [name, content] : files) WriteFileBytes(dir / folder / name, content + "\n");
  }
  void Iio(int n, const Files& files) { Put("bus/iio/devices/iio:device" + std::to_string(n), files); }
  TempDir dir;
};

class SysfsSensorsTest : public FlightTest {
 protected:
  FakeSysfs sys;
  SysfsSensors sensors{sys.dir.Path()};
};

TEST_F(SysfsSensorsTest, BarometerGivesTheStandardAtmosphereAltitudeAndGarbageIsNoReading) {
  const std::vector<std::pair<Files, int>> cases = {  // pressure files, altitude [m] (-1: none opens)
      {{{"in_pressure_input", "101.325"}}, 0},
      {{{"in_pressure_input", "70.109"}}, 3000},
      {{{"in_pressure_input", "89.876"}}, 1000},
      {{{"in_pressure_raw", "70000"}, {"in_pressure_offset", "109"}, {"in_pressure_scale", "0.001"}}, 3000},
      {{{"in_pressure_raw", "101325"}, {"in_pressure_scale", "0.001"}}, 0},
      {{{"in_pressure_raw", "101325"}, {"in_pressure_scale", "x"}}, -1},
      {{}, -1}};
  for (const auto& [files, altitude] : cases) {
    FakeSysfs tree;
    tree.Iio(0, {{"in_accel_x_raw", "0"}});  // no pressure channel: passed over
    tree.Iio(2, files);
    if (altitude >= 0) tree.Iio(10, {{"in_pressure_input", "50.0"}});  // after device 2 in number order
    SysfsSensors barometer(tree.dir.Path());
    ASSERT_EQ(barometer.OpenBarometer(), altitude >= 0) << ::testing::PrintToString(files);
    EXPECT_NEAR(altitude >= 0 ? barometer.BarometricAltitude() : -1, altitude, 3);
  }
  EXPECT_LT(PressureAltitude(1030.0), 0.0);  // high pressure at sea level
  for (const std::string garbage : {"", "abc", "101,325", "1e999", "nan", "101325", "0", "-5"}) {
    sys.Iio(0, {{"in_pressure_input", garbage}});
    EXPECT_FALSE(sensors.OpenBarometer()) << "'" << garbage << "'";
  }
  sys.Iio(0, {{"in_pressure_input", "70.109"}});
  ASSERT_TRUE(sensors.OpenBarometer());
  sys.Iio(0, {{"in_pressure_input", "garbage"}});
  EXPECT_NEAR(sensors.BarometricAltitude(), 3000, 3);  // a failed reading keeps the last altitude
}

// Magnetometer and accelerometer in one device, as many chips have them.
void PutCompass(FakeSysfs& sys, const std::string& x, const std::string& y, const std::string& z = "400") {
  sys.Iio(3, {{"in_magn_x_raw", x}, {"in_magn_y_raw", y}, {"in_magn_z_raw", z},
              {"in_magn_scale", "0.001"},  // raw in milligauss
              {"in_accel_x_raw", "0"}, {"in_accel_y_raw", "-100"}, {"in_accel_z_raw", "1000"},
              {"in_accel_scale", "0.00980665"}, {"in_accel_y_scale", "0.0196133"}});
}

TEST_F(SysfsSensorsTest, CompassPointsTheTopEdgeAtTheCardinalHeadingsInAnEarthLikeFieldOnly) {
  const std::vector<std::tuple<std::string, std::string, int>> cases = {  // x, y, heading
      {"0", "300", 0}, {"-300", "0", 90}, {"0", "-300", 180}, {"300", "0", 270}, {"-212", "-212", 135}};
  for (const auto& [x, y, heading] : cases) {
    PutCompass(sys, x, y);
    ASSERT_TRUE(sensors.OpenCompass());
    EXPECT_TRUE(sensors.CompassCalibrated()) << heading;
    EXPECT_EQ(sensors.CompassDirection(), heading);
  }
  float g[3] = {};
  sensors.GSensor(g[0], g[1], g[2]);
  EXPECT_FLOAT_EQ(g[0], 0.0f);
  EXPECT_FLOAT_EQ(g[1], -0.2f);  // the y axis has a scale of its own
  EXPECT_FLOAT_EQ(g[2], 1.0f);

  for (const auto& [x, y, z] : std::vector<std::tuple<std::string, std::string, std::string>>{
           {"0", "30", "40"},     // too weak
           {"0", "3000", "400"},  // a magnet nearby
           {"10", "10", "500"},   // the field stands straight through the screen
           {"junk", "0", "0"}}) {
    PutCompass(sys, x, y, z);
    EXPECT_FALSE(sensors.CompassCalibrated()) << x << "," << y << "," << z;
  }
  EXPECT_EQ(sensors.CompassDirection(), 135);  // a failed reading keeps the last direction
  sys.Iio(3, {{"in_accel_z_raw", "junk"}});
  sensors.GSensor(g[0], g[1], g[2]);
  EXPECT_EQ(std::vector<float>(g, g + 3), (std::vector<float>{0, 0, 0}));

  FakeSysfs tree;
  SysfsSensors compass(tree.dir.Path());
  tree.Iio(0, {{"in_magn_x_raw", "1"}, {"in_magn_y_raw", "1"}, {"in_magn_z_raw", "1"}});
  EXPECT_FALSE(compass.OpenCompass()) << "no accelerometer";
  tree.Iio(1, {{"in_accel_x_raw", "1"}, {"in_accel_y_raw", "1"}, {"in_accel_z_raw", "1"}});
  EXPECT_TRUE(compass.OpenCompass());
}

// A compass whose driver is bound again (a new iio:deviceN) is read there
// from the next search on.
TEST_F(SysfsSensorsTest, ACompassBoundAgainIsFoundUnderItsNewNumber) {
  PutCompass(sys, "0", "300");
  ASSERT_TRUE(sensors.OpenCompass());
  EXPECT_EQ(sensors.CompassDirection(), 0);
  std::filesystem::rename(sys.dir / "bus/iio/devices/iio:device3", sys.dir / "gone");
  sys.Put("bus/iio/devices/iio:device6", {{"in_magn_x_raw", "-0.3"}, {"in_magn_y_raw", "0"},
                                           {"in_magn_z_raw", "0.4"}, {"in_accel_x_raw", "0"},
                                           {"in_accel_y_raw", "0"}, {"in_accel_z_raw", "9.80665"}});
  std::this_thread::sleep_for(SysfsSensors::kSearchInterval);
  EXPECT_EQ(sensors.CompassDirection(), 90);
  float g[3] = {};
  sensors.GSensor(g[0], g[1], g[2]);
  EXPECT_FLOAT_EQ(g[2], 1.0f);
}

// Sensors not there at start-up are told once, and opened when they come.
TEST_F(SysfsSensorsTest, SensorsThatComeLaterAreOpenedWithoutAWord) {
  SetSensorBackend(&sensors);
  std::vector<std::string> said;
  OpenSensors([&](std::string_view message) { said.emplace_back(message); });
  EXPECT_EQ(said, (std::vector<std::string>{"Not open sensor bar", "Not open sensor comp"}));
  said.clear();
  const auto found = [&](std::string_view device) { said.emplace_back(device); };
  EXPECT_FALSE(OpenLateSensors(found));
  sys.Iio(2, {{"in_pressure_input", "89.876"}});
  EXPECT_FALSE(OpenLateSensors(found));
  EXPECT_TRUE(g_bBaroOpen);
  EXPECT_EQ(barGetAltitude(), 1000);
  PutCompass(sys, "0", "300");
  EXPECT_TRUE(OpenLateSensors(found));
  EXPECT_TRUE(OpenLateSensors(found));
  EXPECT_EQ(said, (std::vector<std::string>{"the barometer", "the compass"}));
  SetSensorBackend(nullptr);
}

TEST_F(SysfsSensorsTest, BatteryIsTheFirstSystemBatteryWithACapacity) {
  struct Supply { std::string name, type, scope, capacity; };
  const std::vector<std::pair<std::vector<Supply>, int>> cases = {  // supplies, level (-1: none opens)
      {{{"BAT0", "Battery", "", "87"}}, 87},
      {{{"AC", "Mains", "", "100"}, {"BAT1", "Battery", "", "0"}}, 0},
      {{{"hid-mouse", "Battery", "Device", "40"}, {"max170xx", "Battery", "System", "62"}}, 62},
      {{{"AC", "Mains", "", ""}}, -1},
      {{{"BAT0", "Battery", "", "full"}}, -1},
      {{{"BAT0", "Battery", "", "101"}}, -1},
      {{{"BAT0", "Battery", "", "55.5"}}, -1}};
  for (const auto& [supplies, level] : cases) {
    FakeSysfs tree;
    for (const Supply& s : supplies) {
      tree.Put("class/power_supply/" + s.name, {{"type", s.type}, {"capacity", s.capacity}});
      if (!s.scope.empty()) tree.Put("class/power_supply/" + s.name, {{"scope", s.scope}});
    }
    SysfsSensors gauge(tree.dir.Path());
    EXPECT_EQ(gauge.OpenBattery() ? gauge.BatteryLevel() : -1, level) << supplies.back().capacity;
  }
}

}  // namespace
