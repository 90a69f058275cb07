// The barometer's sampling thread on a sysfs tree in a temporary folder,
// whose pressure file the test rewrites, removes and brings back.
#include "device/barometer_sampler.h"

#include <unistd.h>

#include <chrono>
#include <cmath>
#include <filesystem>
#include <mutex>
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
    BarometerSampler sampler([&]() -> std::optional<double> {
      return ++reads % 2 ? std::optional<double>(1013.25) : std::nullopt;
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
