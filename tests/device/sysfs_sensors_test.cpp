#include "device/sysfs_sensors.h"

#include <gtest/gtest.h>

#include "device/gm130api.h"
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

TEST_F(SysfsSensorsTest, BarometerGivesTheStandardAtmosphereAltitude) {
  const std::vector<std::pair<Files, int>> cases = {  // pressure files, altitude [m]
      {{{"in_pressure_input", "101.325"}}, 0},
      {{{"in_pressure_input", "70.109"}}, 3000},
      {{{"in_pressure_input", "89.876"}}, 1000},
      {{{"in_pressure_raw", "70000"}, {"in_pressure_offset", "109"}, {"in_pressure_scale", "0.001"}}, 3000},
      {{{"in_pressure_raw", "101325"}, {"in_pressure_scale", "0.001"}}, 0}};
  for (const auto& [files, altitude] : cases) {
    FakeSysfs tree;
    tree.Iio(10, {{"in_pressure_input", "50.0"}});  // after device 2 in number order
    tree.Iio(0, {{"in_accel_x_raw", "0"}});         // no pressure channel: passed over
    tree.Iio(2, files);
    SysfsSensors barometer(tree.dir.Path());
    ASSERT_TRUE(barometer.OpenBarometer()) << files[0].second;
    EXPECT_NEAR(barometer.BarometricAltitude(), altitude, 3) << files[0].second;
  }
  EXPECT_LT(PressureAltitude(1030.0), 0.0);  // high pressure at sea level
}

TEST_F(SysfsSensorsTest, GarbageIsNoBarometerAndAFailedReadingKeepsTheLastAltitude) {
  EXPECT_FALSE(sensors.OpenBarometer());  // no IIO devices at all
  for (const std::string garbage : {"", "abc", "101,325", "1e999", "nan", "101325", "0", "-5"}) {
    sys.Iio(0, {{"in_pressure_input", garbage}});
    EXPECT_FALSE(sensors.OpenBarometer()) << "'" << garbage << "'";
  }
  sys.Iio(1, {{"in_pressure_raw", "101325"}, {"in_pressure_scale", "x"}});
  EXPECT_FALSE(sensors.OpenBarometer()) << "unreadable scale";

  sys.Iio(0, {{"in_pressure_input", "70.109"}});
  ASSERT_TRUE(sensors.OpenBarometer());
  sys.Iio(0, {{"in_pressure_input", "garbage"}});
  EXPECT_NEAR(sensors.BarometricAltitude(), 3000, 3);
  sys.Iio(0, {{"in_pressure_input", "101.325"}});
  EXPECT_EQ(sensors.BarometricAltitude(), 0);
}

// Magnetometer and accelerometer in one device, as many chips have them.
void PutCompass(FakeSysfs& sys, const std::string& x, const std::string& y, const std::string& z = "400") {
  sys.Iio(3, {{"in_magn_x_raw", x}, {"in_magn_y_raw", y}, {"in_magn_z_raw", z},
              {"in_magn_scale", "0.001"},  // raw in milligauss
              {"in_accel_x_raw", "0"}, {"in_accel_y_raw", "-100"}, {"in_accel_z_raw", "1000"},
              {"in_accel_scale", "0.00980665"}, {"in_accel_y_scale", "0.0196133"}});
}

TEST_F(SysfsSensorsTest, CompassPointsTheTopEdgeAtTheCardinalHeadings) {
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
}

TEST_F(SysfsSensorsTest, CompassIsTrustedOnlyInAnEarthLikeFieldAndNeedsBothSensors) {
  PutCompass(sys, "-300", "0");
  ASSERT_TRUE(sensors.OpenCompass());
  ASSERT_EQ(sensors.CompassDirection(), 90);
  for (const auto& [x, y, z] : std::vector<std::tuple<std::string, std::string, std::string>>{
           {"0", "30", "40"},     // too weak
           {"0", "3000", "400"},  // a magnet nearby
           {"10", "10", "500"},   // the field stands straight through the screen
           {"junk", "0", "0"}}) {
    PutCompass(sys, x, y, z);
    EXPECT_FALSE(sensors.CompassCalibrated()) << x << "," << y << "," << z;
  }
  EXPECT_EQ(sensors.CompassDirection(), 90);  // a failed reading keeps the last direction
  sys.Iio(3, {{"in_accel_z_raw", "junk"}});
  float g[3] = {9, 9, 9};
  sensors.GSensor(g[0], g[1], g[2]);
  EXPECT_EQ(std::vector<float>(g, g + 3), (std::vector<float>{0, 0, 0}));

  FakeSysfs tree;
  SysfsSensors compass(tree.dir.Path());
  tree.Iio(0, {{"in_magn_x_raw", "1"}, {"in_magn_y_raw", "1"}, {"in_magn_z_raw", "1"}});
  EXPECT_FALSE(compass.OpenCompass()) << "no accelerometer";
  tree.Iio(1, {{"in_accel_x_raw", "1"}, {"in_accel_y_raw", "1"}, {"in_accel_z_raw", "1e300"}});
  EXPECT_FALSE(compass.OpenCompass()) << "an acceleration no sensor measures";
  tree.Iio(1, {{"in_accel_z_raw", "1"}});
  EXPECT_TRUE(compass.OpenCompass());
}

TEST_F(SysfsSensorsTest, BatteryIsTheFirstSystemBatteryWithACapacity) {
  struct Supply {
    std::string name, type, scope, capacity;
  };
  const std::vector<std::pair<std::vector<Supply>, int>> cases = {  // supplies, level (-1: none opens)
      {{{"BAT0", "Battery", "", "87"}}, 87},
      {{{"AC", "Mains", "", "100"}, {"BAT1", "Battery", "", "0"}}, 0},
      {{{"hid-mouse", "Battery", "Device", "40"}, {"max170xx", "Battery", "System", "62"}}, 62},
      {{{"AC", "Mains", "", ""}}, -1},
      {{}, -1},
      {{{"BAT0", "Battery", "", "full"}}, -1},
      {{{"BAT0", "Battery", "", "150"}}, -1},
      {{{"BAT0", "Battery", "", "55.5"}}, -1}};
  for (const auto& [supplies, level] : cases) {
    FakeSysfs tree;
    tree.Put("class/power_supply", {});
    for (const Supply& s : supplies) {
      tree.Put("class/power_supply/" + s.name, {{"type", s.type}, {"capacity", s.capacity}});
      if (!s.scope.empty()) tree.Put("class/power_supply/" + s.name, {{"scope", s.scope}});
    }
    SysfsSensors gauge(tree.dir.Path());
    EXPECT_EQ(gauge.OpenBattery() ? gauge.BatteryLevel() : -1, level)
        << (supplies.empty() ? "none" : supplies.back().name + " " + supplies.back().capacity);
    gauge.CloseBattery();
  }
}

}  // namespace
