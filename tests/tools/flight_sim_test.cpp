// The simulated flight must be a soaring flight a receiver could send:
// glides on every heading, thermals, one fix a second, and an altitude as
// smooth between fixes as a fast barometer sees it. (That the instrument
// finds its wind is shown by the window's simulated-flight test.)
#include "tools/flight_sim.h"

#include <cmath>
#include <set>
#include <sstream>

#include <gtest/gtest.h>

#include "flight/nmea_reader.h"
#include "tests/support/temp_dir.h"
#include "tools/flight_sim_options.h"
#include "tools/sim_pacer.h"
#include "tools/sim_sensor_tree.h"

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

TEST(FlightSim, BetweenFixesTheVerticalSpeedMovesLinearly) {
  const struct { double altitude, v0, v1, t, expected; } cases[] = {
      {1000, -1, 2, 0, 1000},    {1000, -1, 2, 0.5, 999.875}, {1000, -1, 2, 1, 1000.5},
      {1000, 2, 2, 0.25, 1000.5}, {500, 3, -1, 1, 501},
  };
  for (const auto& c : cases) {
    SimFix fix;
    fix.exactAltitude = c.altitude, fix.verticalSpeed = c.v0, fix.nextVerticalSpeed = c.v1;
    EXPECT_DOUBLE_EQ(fix.AltitudeAfter(c.t), c.expected) << c.v0 << " -> " << c.v1 << " at " << c.t;
  }
}

// The altitude between two fixes ends exactly where the next fix starts,
// and a new glide or thermal takes its first second to reach its rate.
TEST(FlightSim, TheAltitudeHasNoStepAndEachPhaseChangeRampsOverASecond) {
  FlightSimOptions options;
  options.duration = 1800;
  FlightSimulator flight(options);
  SimFix before = flight.Next();
  EXPECT_EQ(before.exactAltitude, options.altitude);
  int changes = 0;
  while (!flight.Done()) {
    const SimFix fix = flight.Next();
    ASSERT_EQ(fix.exactAltitude, before.AltitudeAfter(1)) << fix.second;
    ASSERT_EQ(fix.altitude, std::lround(fix.exactAltitude));
    ASSERT_EQ(fix.verticalSpeed, before.nextVerticalSpeed) << fix.second;
    const bool newPhase = fix.circling != before.circling;
    ASSERT_EQ(fix.verticalSpeed != fix.nextVerticalSpeed, newPhase) << fix.second;
    if (newPhase) {
      EXPECT_TRUE(fix.circling ? fix.nextVerticalSpeed >= 1.5 : fix.nextVerticalSpeed == -1.1) << fix.second;
    }
    for (double t = 0.1; t < 1.05; t += 0.1) {  // the slope over each tenth of the second
      const double slope = (fix.AltitudeAfter(t) - fix.AltitudeAfter(t - 0.1)) / 0.1;
      ASSERT_NEAR(slope, fix.verticalSpeed + (fix.nextVerticalSpeed - fix.verticalSpeed) * (t - 0.05), 1e-6);
    }
    changes += newPhase;
    before = fix;
  }
  EXPECT_GE(changes, 15);
}

// Low down, where a random glide would end in a thermal: the script is
// flown as written, twice and into a third time.
TEST(FlightSim, AScriptedProfileFliesItsPhasesInOrderAndRepeatsCirclingOnlyWhereItClimbs) {
  FlightSimOptions options;
  options.vertical = {{-1, 20}, {2, 25}, {0, 35}, {-3, 15}};
  options.duration = 2 * 95 + 30;
  options.altitude = 300;
  std::vector<std::size_t> phaseOf;  // each second's phase
  while (phaseOf.size() < static_cast<std::size_t>(options.duration)) {
    for (std::size_t p = 0; p < options.vertical.size(); ++p) {
      phaseOf.insert(phaseOf.end(), options.vertical[p].seconds, p);
    }
  }
  FlightSimulator flight(options);
  SimFix before;
  double altitude = options.altitude;
  for (int s = 0; !flight.Done(); ++s) {
    const SimFix fix = flight.Next();
    const double rate = options.vertical[phaseOf[s]].verticalSpeed;
    const bool first = s > 0 && phaseOf[s] != phaseOf[s - 1];
    ASSERT_EQ(fix.verticalSpeed, first ? options.vertical[phaseOf[s - 1]].verticalSpeed : rate) << s;
    ASSERT_EQ(fix.nextVerticalSpeed, rate) << s;
    ASSERT_EQ(fix.circling, rate > 0) << s;
    ASSERT_EQ(fix.bank > 0, fix.circling) << s;
    ASSERT_NEAR(fix.exactAltitude, altitude, 1e-9) << s;
    if (s > 0 && !first) {  // glides hold their heading, thermals turn
      const double turn = std::fabs(std::remainder(fix.heading - before.heading, 360));
      EXPECT_NEAR(turn, fix.circling ? 18 : 0, 1e-9) << s;
    }
    altitude += (fix.verticalSpeed + fix.nextVerticalSpeed) / 2;
    before = fix;
  }
}

SimOptions Parsed(std::vector<std::string> args, std::string& problem) {
  std::vector<char*> argv = {const_cast<char*>("flight-sim")};
  for (std::string& arg : args) argv.push_back(arg.data());
  SimOptions options;
  problem = ParseSimOptions(static_cast<int>(argv.size()), argv.data(), options);
  return options;
}

TEST(FlightSim, TheVerticalProfileAndTheBarometersNoiseAreTakenOnlyWhenTheyMakeSense) {
  const struct {
    std::vector<std::string> args;
    std::vector<VerticalPhase> vertical;
    double noise;
  } accepted[] = {
      {{"nmea"}, {}, 0.012},
      {{"nmea", "--vertical", "-1:20,2:25,0:35,-1:30,-3:15"},
       {{-1, 20}, {2, 25}, {0, 35}, {-1, 30}, {-3, 15}}, 0.012},
      {{"run", "--storage", "d", "--vertical", "20:1,-20:3600,0.5:2"},
       {{20, 1}, {-20, 3600}, {0.5, 2}}, 0.012},
      {{"run", "--storage", "d", "--baro-noise", "0"}, {}, 0},
      // Given twice, the last one counts.
      {{"run", "--vertical", "1:2", "--baro-noise", "0.999", "--vertical", "-2:3", "--storage", "d"},
       {{-2, 3}}, 0.999},
  };
  for (const auto& c : accepted) {
    std::string problem;
    const SimOptions options = Parsed(c.args, problem);
    EXPECT_EQ(problem, "") << c.args.back();
    EXPECT_EQ(options.flight.vertical, c.vertical) << c.args.back();
    EXPECT_EQ(options.baroNoise, c.noise) << c.args.back();
  }
  const std::vector<std::string> rejected[] = {
      {"nmea", "--vertical", ""},       {"nmea", "--vertical", "2"},        {"nmea", "--vertical", "2:"},
      {"nmea", "--vertical", ":5"},     {"nmea", "--vertical", "2:0"},      {"nmea", "--vertical", "2:-5"},
      {"nmea", "--vertical", "2:1.5"},  {"nmea", "--vertical", "20.1:5"},   {"nmea", "--vertical", "-21:5"},
      {"nmea", "--vertical", "nan:5"},  {"nmea", "--vertical", "2:5,"},     {"nmea", "--vertical", ",2:5"},
      {"nmea", "--vertical", "2:5;3:4"}, {"nmea", "--vertical", "2:5:1"},   {"nmea", "--vertical", "2 :5"},
      {"run", "--storage", "d", "--baro-noise", "-0.001"},
      {"run", "--storage", "d", "--baro-noise", "1"},
      {"run", "--storage", "d", "--baro-noise", "nan"},
      {"run", "--storage", "d", "--baro-noise", "0.01hPa"},
      {"nmea", "--baro-noise", "0.01"},  // no barometer in an NMEA stream
  };
  for (const auto& args : rejected) {
    std::string problem;
    Parsed(args, problem);
    EXPECT_EQ(problem, "cannot use " + args[args.size() - 2] + " " + args.back());
  }
}

TEST(FlightSim, TrafficIsTakenForAGaggleOfUpToThirtyAndACrossingWithinTheFlight) {
  const struct { std::vector<std::string> args; int gaggle, crossing; } accepted[] = {
      {{"nmea"}, 0, -1},
      {{"nmea", "--gaggle", "30", "--crossing", "0"}, 30, 0},
      {{"run", "--storage", "d", "--crossing", "150", "--duration", "151"}, 0, 150},
  };
  for (const auto& c : accepted) {
    std::string problem;
    const SimOptions options = Parsed(c.args, problem);
    EXPECT_EQ(problem, "") << c.args.back();
    EXPECT_EQ(options.traffic.gaggle, c.gaggle) << c.args.back();
    EXPECT_EQ(options.traffic.crossingSecond, c.crossing) << c.args.back();
  }
  const struct { std::vector<std::string> args; std::string problem; } rejected[] = {
      {{"nmea", "--gaggle", "31"}, "cannot use --gaggle 31"},
      {{"nmea", "--gaggle", "-1"}, "cannot use --gaggle -1"},
      {{"nmea", "--crossing", "-1"}, "cannot use --crossing -1"},
      {{"nmea", "--crossing", "1:30"}, "cannot use --crossing 1:30"},
      {{"nmea", "--crossing", "1800"}, "--crossing must be within the --duration"},
      {{"nmea", "--crossing", "100", "--duration", "100"}, "--crossing must be within the --duration"},
  };
  for (const auto& c : rejected) {
    std::string problem;
    Parsed(c.args, problem);
    EXPECT_EQ(problem, c.problem);
  }
}

// The pressure file holds the standard atmosphere's pressure with noise of
// the RMS asked for, the same again for the same seed.
TEST(FlightSim, TheSimulatedBarometerHasTheRequestedNoise) {
  TempDir dir;
  const auto pressure_hPa = [&] {
    return std::stod(ReadFileBytes(dir / "sys/bus/iio/devices/iio:device0/in_pressure_input")) * 10;
  };
  for (const double noise : {0.0, 0.012, 0.2}) {
    SimSensorTree sensors(dir.Path(), noise, 7);
    const int n = 1000;
    double sum = 0, squares = 0;
    for (int i = 0; i < n; ++i) {
      sensors.UpdatePressure(1000);
      const double error = pressure_hPa() - StandardPressure_kPa(1000) * 10;
      sum += error, squares += error * error;
    }
    EXPECT_NEAR(std::sqrt(squares / n), noise, noise / 10 + 1e-5) << noise;  // printed to 1e-5 hPa
    EXPECT_LT(std::fabs(sum / n), 4 * noise / std::sqrt(n) + 1e-5) << noise;
  }
  std::vector<double> runs[2];
  for (auto& run : runs) {
    SimSensorTree sensors(dir.Path(), 0.012, 3);
    for (int i = 0; i < 5; ++i) sensors.UpdatePressure(1000), run.push_back(pressure_hPa());
  }
  EXPECT_EQ(runs[0], runs[1]);
}

// The airspeed off its mean by the noise asked for (the ground velocity
// less the wind's), while glides, thermals and headings stay those of the
// steady flight.
TEST(FlightSim, TheAirspeedIsUnsteadyByTheNoiseAskedForAndTheFlightKeepsItsCourse) {
  std::string problem;
  const SimOptions noisy = Parsed({"nmea", "--airspeed", "25", "--airspeed-noise", "0.3"}, problem);
  FlightSimOptions steady = noisy.flight;
  steady.airspeedNoise = 0;
  FlightSimulator a(steady), b(noisy.flight);
  double squares = 0;
  for (int i = 0; i < steady.duration; ++i) {
    const SimFix s = a.Next(), n = b.Next();
    ASSERT_TRUE(n.heading == s.heading && n.circling == s.circling) << i;
    const double c = n.course * M_PI / 180, w = steady.windFrom * M_PI / 180;
    squares += std::pow(std::hypot(n.groundSpeed * std::cos(c) + steady.windSpeed * std::cos(w),
                                   n.groundSpeed * std::sin(c) + steady.windSpeed * std::sin(w)) - 25, 2);
  }
  EXPECT_NEAR(std::sqrt(squares / steady.duration), 0.3, 0.03);
}

TEST(FlightSim, TheBarometerIsWrittenAboutAHundredTimesAWallClockSecondAndAStopEndsTheSecond) {
  const struct { double speed; long long writes; } cases[] = {
      {1, 100}, {0.5, 200}, {0.1, 1000}, {2, 50}, {3, 33}, {30, 3}, {60, 1}, {3000, 1},
  };
  for (const auto& c : cases) EXPECT_EQ(BarometerWritesPerFix(c.speed), c.writes) << c.speed;
  SimPacer pacer(30);
  std::vector<double> times;
  EXPECT_TRUE(pacer.FlySecond([&](double t) { times.push_back(t); }, [] { return false; }));
  EXPECT_EQ(times, (std::vector<double>{0, 1.0 / 3, 2.0 / 3}));
  times.clear();
  int asked = 0;
  EXPECT_FALSE(pacer.FlySecond([&](double t) { times.push_back(t); }, [&] { return ++asked > 2; }));
  EXPECT_EQ(times, (std::vector<double>{0, 1.0 / 3}));
}

TEST(FlightSim, TheStartOfEachRampIsLoggedWithItsRatesAndTheWallClock) {
  const struct { double from, to; timespec when; const char* line; } cases[] = {
      {-1, 2, {1765130000, 123456789}, "flight-sim: vertical speed -1.0 -> 2.0 m/s at 1765130000.123\n"},
      {2.04, -1.1, {1765130001, 5000000}, "flight-sim: vertical speed 2.0 -> -1.1 m/s at 1765130001.005\n"},
      {-0.04, 15, {1765130002, 999999999}, "flight-sim: vertical speed 0.0 -> 15.0 m/s at 1765130002.999\n"},
  };
  for (const auto& c : cases) EXPECT_EQ(SimVerticalSpeedLine(c.from, c.to, c.when), c.line);
}

}  // namespace
