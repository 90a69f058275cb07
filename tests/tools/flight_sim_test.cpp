// The simulated flight must be a soaring flight a receiver could send:
// glides on every heading, thermals, one fix a second. (That the
// instrument finds its wind is shown by the window's simulated-flight test.)
#include "tools/flight_sim.h"

#include <set>
#include <sstream>

#include <gtest/gtest.h>

#include "flight/nmea_reader.h"

namespace {

std::string Stream(const FlightSimOptions& options) {
  FlightSimulator flight(options);
  std::string nmea;
  while (!flight.Done()) nmea += SimNmea(flight.Next(), options.talker);
  return nmea;
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

}  // namespace
