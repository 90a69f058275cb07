#include "flight/circle_wind.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace {

using Outcome = CircleWindEstimator::Outcome;

// A glider flown fix by fix, one a second, through a steady wind: heading
// and airspeed as the test sets them, course and ground speed as the GPS
// reports them.
struct Glider {
  double windFrom = 240, windSpeed = 4, heading = 30, airspeed = 10;  // [deg], [m/s]
  int seconds = 0;
  CircleWindEstimator estimator;
  std::vector<Outcome> outcomes;

  // Turns by `degrees` (right positive, 0 flies straight) in steps of
  // `rate` degrees, the airspeed going linearly to `endAirspeed`.
  void Turn(double degrees, double rate = 18, double endAirspeed = 0, int straight = 0) {
    const int steps = straight + static_cast<int>(std::lround(std::fabs(degrees) / rate));
    const double start = airspeed;
    for (int i = 1; i <= steps; ++i) {
      heading += straight ? 0 : degrees / steps;
      if (endAirspeed > 0) airspeed = start + (endAirspeed - start) * i / steps;
      const double h = heading * M_PI / 180, w = windFrom * M_PI / 180;
      const double n = airspeed * std::cos(h) - windSpeed * std::cos(w);
      const double e = airspeed * std::sin(h) - windSpeed * std::sin(w);
      const double course = std::fmod(std::atan2(e, n) * 180 / M_PI + 360, 360);
      outcomes.push_back(estimator.AddFix(course, std::hypot(n, e) * 3.6, seconds++));
    }
  }
  void Straight(int seconds) { Turn(0, 18, 0, seconds); }
  int Count(Outcome outcome) const { return static_cast<int>(std::count(outcomes.begin(), outcomes.end(), outcome)); }
  double SpeedError() const { return std::fabs(estimator.Result().dSpeed - windSpeed); }
  double DirectionError() const { return std::fabs(std::remainder(estimator.Result().dFromDir - windFrom, 360.0)); }
};

// One full circle either way, in winds from every quarter (and with an
// airspeed drifting within the bound): the centre of its ground velocities
// is the wind, fitted at the fix that completes the turn, not before.
TEST(CircleWindTest, AFullCircleGivesTheWindItWasFlownIn) {
  const struct { double from, speed, turn, endAirspeed; } cases[] = {
      {240, 4, 360, 0}, {0, 7, -360, 0}, {175, 8.5, 360, 0}, {300, 0.5, -360, 0}, {60, 5, 360, 11.8}};
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.from) + " " + std::to_string(c.speed) + " " + std::to_string(c.turn));
    Glider g;
    g.windFrom = c.from, g.windSpeed = c.speed;
    g.Straight(5);
    g.Turn(c.turn * 0.95, 18, c.endAirspeed ? 10 + (c.endAirspeed - 10) * 0.95 : 0);
    EXPECT_FALSE(g.estimator.Result().bFitted);
    g.Turn(c.turn * 0.1, 18, c.endAirspeed);
    EXPECT_EQ(g.Count(Outcome::kFitted), 1);
    EXPECT_EQ(g.Count(Outcome::kTurning), static_cast<int>(g.outcomes.size()) - 1);
    EXPECT_LT(g.SpeedError(), 0.05);
    EXPECT_LT(g.DirectionError(), 0.5);
  }
}

// Turns that are no steady full circle give no wind at all.
TEST(CircleWindTest, WhatIsNoSteadyCircleIsRejected) {
  const struct { const char* legend; void (*fly)(Glider&); Outcome outcome; } cases[] = {
      {"a figure-eight", [](Glider& g) { for (int i = 0; i < 4; ++i) g.Turn(i % 2 ? -300 : 300); },
       Outcome::kTurning},
      {"a turn that stops at 300 degrees", [](Glider& g) { g.Turn(300); g.Straight(60); }, Outcome::kTurning},
      {"a reversal", [](Glider& g) { g.Turn(-200); g.Turn(250); }, Outcome::kTurning},
      {"slower than a circle a minute", [](Glider& g) { g.Turn(420, 5.85); }, Outcome::kTurning},
      {"a gap of four seconds", [](Glider& g) { g.Turn(200); g.seconds += 3; g.Turn(200); }, Outcome::kTurning},
      {"seven fixes a circle", [](Glider& g) { g.Turn(420, 60); }, Outcome::kTooFewPoints},
      {"a jump of 150 degrees", [](Glider& g) { g.Turn(198); g.Turn(150, 150); g.Turn(36); },
       Outcome::kTooFewPoints},
      {"the airspeed up by 2.3 m/s", [](Glider& g) { g.Turn(400, 18, 12.5); }, Outcome::kAirspeedChanged},
      {"the airspeed 1.5 m/s off at every other fix",
       [](Glider& g) { for (int i = 0; i < 22; ++i) g.airspeed = i % 2 ? 8.5 : 11.5, g.Turn(18); },
       Outcome::kPoorFit},
      {"too slow for any glider", [](Glider& g) { g.airspeed = 4, g.windSpeed = 1, g.Straight(1), g.Turn(400); },
       Outcome::kPoorFit},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.legend);
    Glider g;
    g.Straight(3);
    c.fly(g);
    EXPECT_FALSE(g.estimator.Result().bFitted);
    const int others = static_cast<int>(g.outcomes.size()) - g.Count(Outcome::kTurning);
    EXPECT_EQ(others, c.outcome == Outcome::kTurning ? 0 : std::max(1, g.Count(c.outcome)));
  }
}

// Straight flight keeps the last wind exactly; in the next thermal, where
// the wind has changed, the estimate gets there within two circles. A
// circle whose fixes lie off it moves the estimate less than a close one.
TEST(CircleWindTest, TheEstimateStaysInStraightFlightAndFollowsANewWindWithinTwoCircles) {
  Glider g;
  g.Turn(3 * 360 + 90);
  const CircleWind kept = g.estimator.Result();
  g.Straight(600);
  g.Turn(200);  // and a turn left unfinished
  g.Straight(10);
  EXPECT_EQ(g.estimator.Result().dFromDir, kept.dFromDir);
  EXPECT_EQ(g.estimator.Result().dSpeed, kept.dSpeed);

  g.windFrom = 300, g.windSpeed = 6.5;
  g.Straight(30);
  g.Turn(370);
  EXPECT_GT(g.SpeedError(), 0.5) << "one circle is not all of the estimate";
  g.Turn(380);
  EXPECT_EQ(g.Count(Outcome::kFitted), 5);
  EXPECT_LT(g.SpeedError(), 0.5);
  EXPECT_LT(g.DirectionError(), 5);

  double speed[2];  // after a circle in twice the wind, flown steadily or wavering by 0.8 m/s
  for (const bool wavering : {false, true}) {
    Glider h;
    h.Turn(2 * 360 + 36);
    h.windSpeed = 8;
    h.Straight(1);
    for (int i = 0; i < 21; ++i) h.airspeed = !wavering ? 10 : i % 2 ? 10.8 : 9.2, h.Turn(18);
    EXPECT_EQ(h.Count(Outcome::kFitted), 3);
    speed[wavering] = h.estimator.Result().dSpeed;
  }
  EXPECT_GT(speed[false], speed[true] + 0.5);
  EXPECT_GT(speed[true], 4.5);
}

}  // namespace
