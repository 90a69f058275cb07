// The simulated flight must be the flight it was asked for: the instrument's
// own wind and vario find the wind and the climbs in it.
#include "tools/flight_sim.h"

#include <algorithm>
#include <cmath>
#include <set>
#include <sstream>
#include <tuple>

#include <gtest/gtest.h>

#include "base/flight_values.h"
#include "device/sensors.h"
#include "flight/nmea_reader.h"
#include "flight/vario.h"
#include "flight/recorded_byte_source.h"
#include "tests/support/flight_test.h"
#include "tools/flight_sim_options.h"
#include "tools/gps_barometer.h"

namespace {

std::string Stream(const FlightSimOptions& options) {
  FlightSimulator flight(options);
  std::string nmea;
  while (!flight.Done()) nmea += SimNmea(flight.Next(), options.talker);
  return nmea;
}

using FlightSimTest = FlightTest;

TEST_F(FlightSimTest, TheInstrumentFindsTheWindAndTheClimbsOfTheFlight) {
  FlightSimOptions options;
  options.windFrom = 300, options.windSpeed = 5, options.duration = 1800;
  MemoryByteSource source(Stream(options));
  RecordingWindow window;
  AcquisitionLoop loop(source, window);
  GpsBarometer barometer(loop);
  SetSensorBackend(&barometer);
  OpenSensors(nullptr);
  double bestClimb = 0;
  std::vector<double> windFrom, windSpeed;
  window.onShow = [&] {
    if (g_dVario != kVarioNoSpread) bestClimb = std::max(bestClimb, g_dVario);
    if (window.shown.size() > 600) {  // after the first thermals
      windFrom.push_back(std::fmod(g_dWindDir + 180, 360));
      windSpeed.push_back(g_dWindSpeed);
    }
  };
  loop.AcquisitionThreadProc();
  EXPECT_EQ(loop.AcceptedFixes(), 1800);
  EXPECT_TRUE(bestClimb > 1.5 && bestClimb < 4) << bestClimb;
  std::sort(windFrom.begin(), windFrom.end());
  std::sort(windSpeed.begin(), windSpeed.end());
  EXPECT_NEAR(windFrom[windFrom.size() / 2], 300, 20);
  EXPECT_NEAR(windSpeed[windSpeed.size() / 2], 5, 2);
}

TEST(FlightSim, GlidesOnEveryHeadingAndThermalsAtOneFixASecondAcrossMidnight) {
  FlightSimOptions options;
  options.duration = 3600, options.startSecond = 23 * 3600 + 30 * 60, options.talker = "GN";
  options.lat = -33.9, options.lon = -70.6;  // south and west
  FlightSimulator flight(options);
  std::set<int> glideQuadrants;
  int thermals = 0, previous = options.startSecond - 1;
  bool circling = false;
  while (!flight.Done()) {
    const SimFix fix = flight.Next();
    ASSERT_EQ(fix.second, (previous + 1) % 86400);
    previous = fix.second;
    if (!fix.circling) glideQuadrants.insert(static_cast<int>(fix.heading) / 90);
    thermals += fix.circling && !circling;
    circling = fix.circling;
    ASSERT_EQ(fix.day, fix.second >= options.startSecond ? 15 : 16);
  }
  EXPECT_EQ(glideQuadrants.size(), 4u);
  EXPECT_GE(thermals, 10);

  std::istringstream lines(Stream(options));
  int n = 0;
  for (std::string line; std::getline(lines, line); ++n) {
    ASSERT_EQ(line.back(), '\r');
    line.pop_back();
    ASSERT_TRUE(NmeaChecksumMatches(line)) << line;
    ASSERT_EQ(NmeaSentenceKind(line), n % 2 ? NmeaKind::kGga : NmeaKind::kRmc) << line;
    ASSERT_EQ(line.substr(0, 3), "$GN");
    ASSERT_NE(line.find(",S,"), std::string::npos);
    ASSERT_NE(line.find(",W,"), std::string::npos);
  }
  EXPECT_EQ(n, 2 * 3600);
}

TEST(FlightSimOptions, TheCommandLine) {
  const auto parse = [](std::vector<const char*> args, SimOptions& options) {
    args.insert(args.begin(), "flight-sim");
    return ParseSimOptions(static_cast<int>(args.size()), const_cast<char**>(args.data()), options);
  };
  SimOptions options;
  EXPECT_EQ(parse({"run", "--storage", "/tmp/s", "--speed", "10", "--wind", "90,6", "--start",
                   "23:59:30", "--place", "-27.2,153.05", "--talker", "GN"}, options), "");
  EXPECT_EQ(std::tuple(options.flight.startSecond, options.flight.windFrom, options.speed, options.flight.lat),
            std::tuple(86370, 90.0, 10.0, -27.2));
  for (const std::vector<const char*>& bad : std::vector<std::vector<const char*>>{
           {"fly"}, {"run"}, {"nmea", "--storage", "x"}, {"nmea", "--wind", "90"}, {"nmea", "--seed"}}) {
    SimOptions ignored;
    EXPECT_NE(parse(bad, ignored), "") << ::testing::PrintToString(bad);
  }
}

}  // namespace
