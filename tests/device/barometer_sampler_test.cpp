// The barometer's sampling thread on a sysfs tree in a temporary folder,
// whose pressure file the test rewrites, removes and brings back.
#include "device/barometer_sampler.h"

#include <unistd.h>

#include <chrono>
#include <cmath>
#include <filesystem>
#include <mutex>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "device/sysfs_sensors.h"
#include "tests/support/temp_dir.h"

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

// Polls `done` for up to two seconds, or `seconds`.
bool Eventually(const std::function<bool()>& done, int seconds = 2) {
  for (int i = 0; i < 200 * seconds; ++i) {
    if (done()) return true;
    usleep(5000);
  }
  return done();
}

class BarometerSamplerTest : public ::testing::Test {
 protected:
  BarometerSamplerTest() { fs::create_directories(device); }
  void Pressure(const std::string& kPa) { WriteFileBytes(device / "in_pressure_input", kPa + "\n"); }
  std::vector<BarometerSample> Samples() {
    std::lock_guard<std::mutex> lock(mutex);
    return samples;
  }
  // The sampler's sink: runs on its thread.
  BarometerSampler::Sink Sink() {
    return [this](const BarometerSample& sample) {
      std::lock_guard<std::mutex> lock(mutex);
      samples.push_back(sample);
    };
  }
  bool Heard(double altitude) {
    const std::vector<BarometerSample> all = Samples();
    return !all.empty() && std::fabs(all.back().altitude - altitude) < 0.01;
  }

  TempDir sys;
  fs::path device = sys / "bus/iio/devices/iio:device0";
  std::mutex mutex;
  std::vector<BarometerSample> samples;
};

TEST_F(BarometerSamplerTest, ANewPressureGivesNewSamplesAndAMissingFileGivesNone) {
  Pressure("101.3200");  // 0.42 m: the whole metres say 0
  SysfsSensors sensors(sys.Path(), Sink(), 5ms);
  ASSERT_TRUE(sensors.OpenBarometer());
  ASSERT_TRUE(Eventually([&] { return Samples().size() >= 3; }));
  EXPECT_NEAR(Samples().back().altitude, PressureAltitude(1013.2), 1e-9);
  EXPECT_GT(Samples().back().altitude, 0.4) << "the filter gets the sensor's full resolution";
  EXPECT_EQ(sensors.BarometricAltitude(), 0);

  Pressure("70.109");
  ASSERT_TRUE(Eventually([&] { return Heard(PressureAltitude(701.09)); }));
  EXPECT_EQ(sensors.BarometricAltitude(), 3000);

  fs::remove(device / "in_pressure_input");
  usleep(20000);  // a reading begun before the removal ends
  const std::size_t before = Samples().size();
  usleep(100000);
  EXPECT_EQ(Samples().size(), before) << "nothing old is passed on as new";
  EXPECT_EQ(sensors.BarometricAltitude(), 3000) << "the cycle keeps the last altitude";

  // A file gone is looked for again once a search interval.
  Pressure("89.876");
  ASSERT_TRUE(Eventually([&] { return Heard(PressureAltitude(898.76)); }, 4));
  EXPECT_EQ(sensors.BarometricAltitude(), 1000);

  const std::vector<BarometerSample> all = Samples();
  for (std::size_t i = 1; i < all.size(); ++i) ASSERT_LT(all[i - 1].time, all[i].time) << i;
}

// The barometer's file is held open and read from its start each time: a
// value written over it, or a new file put in its place (as a simulated
// tree's writer does), is read as before. A barometer whose driver is
// bound again comes back under a new iio:deviceN, and is found there.
TEST_F(BarometerSamplerTest, AReplacedFileIsReadAndABarometerBoundAgainIsFoundUnderItsNewNumber) {
  Pressure("101.325");
  SysfsSensors sensors(sys.Path(), Sink(), 5ms);
  ASSERT_TRUE(sensors.OpenBarometer());
  WriteFileBytes(device / "in_pressure_input.new", "70.109\n");
  fs::rename(device / "in_pressure_input.new", device / "in_pressure_input");
  ASSERT_TRUE(Eventually([&] { return Heard(PressureAltitude(701.09)); }));
  Pressure("89.876");   // written over, shorter
  ASSERT_TRUE(Eventually([&] { return Heard(PressureAltitude(898.76)); }));

  fs::remove_all(device);   // the driver lets it go
  usleep(20000);
  const std::size_t before = Samples().size();
  usleep(100000);
  EXPECT_EQ(Samples().size(), before);
  const fs::path again = sys / "bus/iio/devices/iio:device7";
  fs::create_directories(again);
  WriteFileBytes(again / "in_pressure_raw", "70109\n");
  WriteFileBytes(again / "in_pressure_scale", "0.001\n");
  ASSERT_TRUE(Eventually([&] { return Heard(PressureAltitude(701.09)); }, 4));
  EXPECT_EQ(sensors.BarometricAltitude(), 3000);
}

// Reading after reading until the object goes; the sink is not called
// after that, and a failed reading is no sample.
TEST_F(BarometerSamplerTest, FailedReadingsAreNoSamplesAndTheEndIsTheEnd) {
  std::atomic<int> reads{0};
  {
    BarometerSampler sampler([&]() -> std::optional<BarometerReading> {
      return ++reads % 2 ? std::optional<BarometerReading>({1013.25, std::nullopt}) : std::nullopt;
    }, Sink(), 1ms);
    ASSERT_TRUE(Eventually([&] { return reads >= 20; }));
    ASSERT_TRUE(sampler.Latest());
    EXPECT_NEAR(sampler.Latest()->altitude, 0, 1e-9);
  }
  const int readsAtEnd = reads;
  const std::size_t samplesAtEnd = Samples().size();
  EXPECT_EQ(samplesAtEnd, static_cast<std::size_t>((readsAtEnd + 1) / 2));
  usleep(20000);
  EXPECT_EQ(reads, readsAtEnd);
  EXPECT_EQ(Samples().size(), samplesAtEnd);
}

// Each sample carries the static pressure besides its altitude, and the
// sensor's temperature where its device gives one (milli deg C, processed
// or raw with offset and scale); a temperature that cannot be read is
// none, and leaves the pressure as good.
TEST_F(BarometerSamplerTest, ASampleCarriesThePressureAndTheTemperatureWhereTheDeviceGivesOne) {
  using Files = std::vector<std::pair<std::string, std::string>>;
  const struct {
    Files files;
    double pressure_hPa;
    std::optional<double> temperature_C;
  } cases[] = {
      {{{"in_pressure_input", "70.109"}, {"in_temp_input", "21375"}}, 701.09, 21.375},
      {{{"in_pressure_raw", "89876"}, {"in_pressure_scale", "0.001"}, {"in_temp_raw", "2500"},
        {"in_temp_offset", "-500"}, {"in_temp_scale", "10"}}, 898.76, 20.0},
      {{{"in_pressure_input", "101.325"}, {"in_temp_input", "-12500"}}, 1013.25, -12.5},
      {{{"in_pressure_input", "101.325"}}, 1013.25, std::nullopt},
      {{{"in_pressure_input", "101.325"}, {"in_temp_input", "warm"}}, 1013.25, std::nullopt},
      {{{"in_pressure_input", "101.325"}, {"in_temp_input", "200000"}}, 1013.25, std::nullopt},
      {{{"in_pressure_input", "101.325"}, {"in_temp_raw", "25"}, {"in_temp_scale", "x"}}, 1013.25, std::nullopt},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(c.files));
    fs::remove_all(device);
    fs::create_directories(device);
    for (const auto& [name, content] : c.files) WriteFileBytes(device / name, content + "\n");
    {
      std::lock_guard<std::mutex> lock(mutex);
      samples.clear();
    }
    SysfsSensors sensors(sys.Path(), Sink(), 5ms);
    ASSERT_TRUE(sensors.OpenBarometer());
    ASSERT_TRUE(Eventually([&] { return !Samples().empty(); }));
    const BarometerSample sample = Samples().back();
    EXPECT_NEAR(sample.pressure_hPa, c.pressure_hPa, 1e-9);
    EXPECT_NEAR(sample.altitude, PressureAltitude(c.pressure_hPa), 1e-9);
    ASSERT_EQ(sample.temperature_C.has_value(), c.temperature_C.has_value());
    if (c.temperature_C) {
      EXPECT_NEAR(*sample.temperature_C, *c.temperature_C, 1e-9);
    }
  }
}

// The temperature is read once a second, not with every pressure: a
// conversion of its own would take the place of a pressure reading.
TEST_F(BarometerSamplerTest, TheTemperatureIsReadOnceASecond) {
  Pressure("101.325");
  WriteFileBytes(device / "in_temp_input", "20000\n");
  SysfsSensors sensors(sys.Path(), Sink(), 5ms);
  ASSERT_TRUE(sensors.OpenBarometer());
  ASSERT_TRUE(Eventually([&] { return !Samples().empty(); }));
  WriteFileBytes(device / "in_temp_input", "30000\n");
  const auto changed = std::chrono::steady_clock::now();
  ASSERT_TRUE(Eventually([&] { return Samples().back().temperature_C == 30.0; }, 3));
  const auto seen = std::chrono::steady_clock::now();
  EXPECT_LE(seen - changed, SysfsSensors::kTemperatureInterval + 200ms);
  std::size_t old = 0, fresh = 0;
  for (const BarometerSample& sample : Samples()) (sample.temperature_C == 20.0 ? old : fresh) += 1;
  EXPECT_GT(old, 10u) << "the samples of the second before kept the temperature read at its start";
  EXPECT_GT(fresh, 0u);
}

TEST_F(BarometerSamplerTest, TheFinestOversamplingTheDriverOffersIsSet) {
  const struct {
    const char* available;  // nullptr: no such file
    const char* current;
    std::optional<int> chosen;
    const char* after;
  } cases[] = {
      {"256 512 1024 2048 4096", "1024", 4096, "4096\n"},  // MS5611
      {"1 2 4 8 16", "16", 16, "16\n"},                     // BMP280, already finest
      {nullptr, "4", std::nullopt, "4\n"},                  // no choice offered
      {"x", "4", 4, "4\n"},                                 // nothing understood: left as it is
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.available ? c.available : "(none)");
    fs::remove(device / "in_pressure_oversampling_ratio_available");
    if (c.available) WriteFileBytes(device / "in_pressure_oversampling_ratio_available", std::string(c.available) + "\n");
    WriteFileBytes(device / "in_pressure_oversampling_ratio", std::string(c.current) + "\n");
    EXPECT_EQ(ChooseFinestOversampling(device), c.chosen);
    EXPECT_EQ(ReadFileBytes(device / "in_pressure_oversampling_ratio"), c.after);
  }
  // Opening the barometer sets it.
  WriteFileBytes(device / "in_pressure_oversampling_ratio_available", "256 512 1024 2048 4096\n");
  WriteFileBytes(device / "in_pressure_oversampling_ratio", "256\n");
  Pressure("101.325");
  SysfsSensors sensors(sys.Path());
  ASSERT_TRUE(sensors.OpenBarometer());
  EXPECT_EQ(ReadFileBytes(device / "in_pressure_oversampling_ratio"), "4096\n");
}

}  // namespace
