#include "device/sysfs_sensors.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "device/gm130api.h"
#include "tests/support/flight_test.h"
#include "tests/support/temp_dir.h"

namespace {

namespace fs = std::filesystem;

// A sysfs tree laid out like the kernel's, in a temporary folder.
class FakeSysfs {
 public:
  // Writes `files` ({name, content} pairs) into the folder `folder` of the tree.
  void Put(const std::string& folder,
           const std::vector<std::pair<std::string, std::string>>& files) {
    fs::create_directories(dir / folder);
    for (const auto& [name, content] : files) WriteFileBytes(dir / folder / name, content + "\n");
  }
  void Iio(int n, const std::vector<std::pair<std::string, std::string>>& files) {
    Put("bus/iio/devices/iio:device" + std::to_string(n), files);
  }
  fs::path Root() const { return dir.Path(); }

  TempDir dir;
};

class SysfsSensorsTest : public FlightTest {
 protected:
  FakeSysfs sys;
  SysfsSensors sensors{sys.Root()};
};

TEST(PressureAltitudeTest, StandardAtmosphere) {
  EXPECT_NEAR(PressureAltitude(1013.25), 0.0, 1e-9);
  EXPECT_NEAR(PressureAltitude(701.09), 3000.0, 3.0);
  EXPECT_NEAR(PressureAltitude(898.76), 1000.0, 3.0);
  EXPECT_LT(PressureAltitude(1030.0), 0.0);  // high pressure at sea level: below zero
}

TEST_F(SysfsSensorsTest, BarometerInKilopascalOrRawOffsetAndScale) {
  struct Case {
    std::vector<std::pair<std::string, std::string>> files;
    int altitude;  // [m]
  };
  for (const Case& c : std::vector<Case>{
           {{{"in_pressure_input", "101.325"}}, 0},
           {{{"in_pressure_input", "70.109"}}, 3000},
           {{{"in_pressure_raw", "70000"}, {"in_pressure_offset", "109"}, {"in_pressure_scale", "0.001"}}, 3000},
           {{{"in_pressure_raw", "101325"}, {"in_pressure_scale", "0.001"}}, 0},
       }) {
    FakeSysfs tree;
    tree.Iio(0, {{"name", "accel"}, {"in_accel_x_raw", "0"}});  // no pressure: passed over
    tree.Iio(1, c.files);
    SysfsSensors barometer(tree.Root());
    ASSERT_TRUE(barometer.OpenBarometer()) << c.files[0].second;
    EXPECT_NEAR(barometer.BarometricAltitude(), c.altitude, 3) << c.files[0].second;
  }
}

TEST_F(SysfsSensorsTest, DevicesAreTakenInNumberOrder) {
  sys.Iio(10, {{"in_pressure_input", "101.325"}});
  sys.Iio(2, {{"in_pressure_input", "70.109"}});
  ASSERT_TRUE(sensors.OpenBarometer());
  EXPECT_NEAR(sensors.BarometricAltitude(), 3000, 3);
}

TEST_F(SysfsSensorsTest, GarbageIsNoBarometer) {
  EXPECT_FALSE(sensors.OpenBarometer());  // no IIO devices at all
  for (const std::string garbage : {"", "abc", "101,325", "1e999", "nan", "101325", "0", "-5"}) {
    sys.Iio(0, {{"in_pressure_input", garbage}});
    EXPECT_FALSE(sensors.OpenBarometer()) << "'" << garbage << "'";
  }
  sys.Iio(0, {{"in_pressure_raw", "101325"}, {"in_pressure_scale", "x"}});
  fs::remove(sys.Root() / "bus/iio/devices/iio:device0/in_pressure_input");
  EXPECT_FALSE(sensors.OpenBarometer()) << "unreadable scale";
}

TEST_F(SysfsSensorsTest, AFailedReadingKeepsTheLastAltitude) {
  sys.Iio(0, {{"in_pressure_input", "70.109"}});
  ASSERT_TRUE(sensors.OpenBarometer());
  sys.Iio(0, {{"in_pressure_input", "garbage"}});
  EXPECT_NEAR(sensors.BarometricAltitude(), 3000, 3);
  sys.Iio(0, {{"in_pressure_input", "101.325"}});
  EXPECT_EQ(sensors.BarometricAltitude(), 0);
}

// A magnetometer and an accelerometer in one device, as many chips have them.
void PutCompass(FakeSysfs& sys, const std::string& x, const std::string& y) {
  sys.Iio(3, {{"in_magn_x_raw", x}, {"in_magn_y_raw", y}, {"in_magn_z_raw", "400"},
              {"in_magn_scale", "0.001"},  // [gauss]
              {"in_accel_x_raw", "0"}, {"in_accel_y_raw", "-100"}, {"in_accel_z_raw", "1000"},
              {"in_accel_scale", "0.00980665"}, {"in_accel_y_scale", "0.0196133"}});
}

TEST_F(SysfsSensorsTest, CompassPointsTheTopEdgeAtTheCardinalHeadings) {
  struct Case {
    std::string x, y;  // raw field [mgauss]
    int heading;       // [deg]
  };
  for (const Case& c : std::vector<Case>{
           {"0", "300", 0}, {"-300", "0", 90}, {"0", "-300", 180}, {"300", "0", 270}, {"-212", "-212", 135}}) {
    PutCompass(sys, c.x, c.y);
    ASSERT_TRUE(sensors.OpenCompass());
    EXPECT_TRUE(sensors.CompassCalibrated()) << c.heading;
    EXPECT_EQ(sensors.CompassDirection(), c.heading);
  }
  float g[3] = {};
  sensors.GSensor(g[0], g[1], g[2]);
  EXPECT_NEAR(g[0], 0.0f, 1e-6);
  EXPECT_NEAR(g[1], -0.2f, 1e-6);  // its own scale for the y axis
  EXPECT_NEAR(g[2], 1.0f, 1e-6);
}

TEST_F(SysfsSensorsTest, CompassDirectionIsTrustedOnlyInAnEarthLikeField) {
  PutCompass(sys, "0", "300");
  ASSERT_TRUE(sensors.OpenCompass());
  const int trusted = sensors.CompassDirection();
  for (const auto& [x, y, z] : std::vector<std::tuple<std::string, std::string, std::string>>{
           {"0", "30", "40"},       // too weak: 0.05 gauss in all
           {"0", "3000", "400"},    // a magnet nearby
           {"10", "10", "500"},     // the field stands straight through the screen
       }) {
    sys.Iio(3, {{"in_magn_x_raw", x}, {"in_magn_y_raw", y}, {"in_magn_z_raw", z}});
    EXPECT_FALSE(sensors.CompassCalibrated()) << x << "," << y << "," << z;
  }
  sys.Iio(3, {{"in_magn_x_raw", "junk"}});
  EXPECT_FALSE(sensors.CompassCalibrated());
  EXPECT_EQ(sensors.CompassDirection(), trusted);  // a failed reading keeps the last
  sys.Iio(3, {{"in_accel_z_raw", "junk"}});
  float g[3] = {9, 9, 9};
  sensors.GSensor(g[0], g[1], g[2]);
  EXPECT_EQ(std::vector<float>(g, g + 3), (std::vector<float>{0, 0, 0}));
}

TEST_F(SysfsSensorsTest, CompassNeedsBothMagnetometerAndAccelerometer) {
  sys.Iio(0, {{"in_magn_x_raw", "1"}, {"in_magn_y_raw", "1"}, {"in_magn_z_raw", "1"}});
  EXPECT_FALSE(sensors.OpenCompass());
  sys.Iio(1, {{"in_accel_x_raw", "1"}, {"in_accel_y_raw", "1"}, {"in_accel_z_raw", "1e300"}});
  EXPECT_FALSE(sensors.OpenCompass()) << "an acceleration no sensor measures";
  sys.Iio(1, {{"in_accel_z_raw", "1"}});
  EXPECT_TRUE(sensors.OpenCompass());
}

TEST_F(SysfsSensorsTest, BatteryIsTheFirstSystemBatteryWithACapacity) {
  struct Supply {
    std::string name, type, scope, capacity;
  };
  struct Case {
    std::vector<Supply> supplies;
    int level;  // -1: no gauge opens
  };
  for (const Case& c : std::vector<Case>{
           {{{"BAT0", "Battery", "", "87"}}, 87},
           {{{"AC", "Mains", "", "100"}, {"BAT1", "Battery", "", "0"}}, 0},
           {{{"hid-mouse", "Battery", "Device", "40"}, {"max170xx", "Battery", "System", "62"}}, 62},
           {{{"AC", "Mains", "", ""}}, -1},
           {{}, -1},
           {{{"BAT0", "Battery", "", "full"}}, -1},
           {{{"BAT0", "Battery", "", "150"}}, -1},
           {{{"BAT0", "Battery", "", "55.5"}}, -1},
       }) {
    FakeSysfs tree;
    fs::create_directories(tree.Root() / "class/power_supply");
    for (const Supply& s : c.supplies) {
      tree.Put("class/power_supply/" + s.name, {{"type", s.type}, {"capacity", s.capacity}});
      if (!s.scope.empty()) tree.Put("class/power_supply/" + s.name, {{"scope", s.scope}});
    }
    SysfsSensors gauge(tree.Root());
    const std::string legend = c.supplies.empty() ? "none" : c.supplies.back().name + " " + c.supplies.back().capacity;
    EXPECT_EQ(gauge.OpenBattery() ? gauge.BatteryLevel() : -1, c.level) << legend;
    gauge.CloseBattery();
  }
}

TEST_F(SysfsSensorsTest, ASimulatedTreeInTheStorageFolderReplacesTheKernels) {
  TempDir storage;
  EXPECT_EQ(SensorRoot(storage.Path()), fs::path("/sys"));
  EXPECT_EQ(SensorRoot({}), fs::path("/sys"));

  fs::create_directories(storage / "sys/bus/iio/devices/iio:device0");
  WriteFileBytes(storage / "sys/bus/iio/devices/iio:device0/in_pressure_input", "70.109\n");
  EXPECT_EQ(InstallSysfsSensors(storage.Path()), storage / "sys");
  ASSERT_NE(barOpenDevice(), 0);  // through the sensor library
  EXPECT_NEAR(barGetAltitude(), 3000, 3);
  EXPECT_EQ(compOpenDevice(), 0);
  EXPECT_EQ(pwrOpenDevice(), 0);
}

}  // namespace
