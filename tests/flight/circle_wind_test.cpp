#include "flight/circle_wind.h"

#include <cmath>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace {

using Outcome = CircleWindEstimator::Outcome;

// A glider flown fix by fix (one a second) through a steady wind: its
// heading and airspeed as the test sets them, its course and ground speed
// as the GPS reports them.
struct Glider {
  double windFrom = 240, windSpeed = 4;  // [deg], [m/s]
  double heading = 30, airspeed = 10;    // [deg], [m/s]
  int seconds = 0;
  CircleWindEstimator estimator;
  std::vector<Outcome> outcomes;

  void Fix() {
    const double h = heading * M_PI / 180, w = windFrom * M_PI / 180;
    const double north = airspeed * std::cos(h) - windSpeed * std::cos(w);
    const double east = airspeed * std::sin(h) - windSpeed * std::sin(w);
    const double course = std::fmod(std::atan2(east, north) * 180 / M_PI + 360, 360);
    outcomes.push_back(estimator.AddFix(course, std::hypot(north, east) * 3.6, seconds++));
  }
  // Turns by `degrees` (right positive) at `rate` degrees a second, the
  // airspeed going linearly to `endAirspeed` on the way.
  void Turn(double degrees, double rate = 18, double endAirspeed = -1) {
    const int steps = static_cast<int>(std::lround(std::fabs(degrees) / rate));
    const double start = airspeed;
    for (int i = 1; i <= steps; ++i) {
      heading += degrees / steps;
      if (endAirspeed > 0) airspeed = start + (endAirspeed - start) * i / steps;
      Fix();
    }
  }
  void Straight(int seconds) {
    for (int i = 0; i < seconds; ++i) Fix();
  }
  int Count(Outcome outcome) const {
    int n = 0;
    for (const Outcome o : outcomes) n += o == outcome;
    return n;
  }
  // The estimate's error against the wind flown [m/s] and [deg].
  double SpeedError() const { return std::fabs(estimator.Result().dSpeed - windSpeed); }
  double DirectionError() const {
    return std::fabs(std::remainder(estimator.Result().dFromDir - windFrom, 360.0));
  }
};

// One full circle either way, in winds from every quarter, and the centre of
// its ground velocities is the wind: fitted at the fix that completes the
// turn, not before.
TEST(CircleWindTest, AFullCircleGivesTheWindItWasFlownIn) {
  const struct { double from, speed, turn; } cases[] = {
      {240, 4, 360}, {240, 4, -360}, {0, 7, 360}, {90, 2, -360}, {175, 8.5, 360}, {300, 0.5, 360}};
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.from) + " at " + std::to_string(c.speed) + ", turn " + std::to_string(c.turn));
    Glider g;
    g.windFrom = c.from, g.windSpeed = c.speed;
    g.Straight(5);
    g.Turn(c.turn * 0.95);
    EXPECT_FALSE(g.estimator.Result().bFitted);
    g.Turn(c.turn * 0.1);
    EXPECT_EQ(g.Count(Outcome::kFitted), 1);
    EXPECT_EQ(g.outcomes.size() - g.Count(Outcome::kTurning), 1u);
    EXPECT_TRUE(g.estimator.Result().bFitted);
    EXPECT_LT(g.SpeedError(), 0.01);
    EXPECT_LT(g.DirectionError(), 0.1);
  }
}

// A circle flown while the pilot speeds up: within the bound the fit follows
// the spiral and still finds the wind; beyond it the circle is not used.
TEST(CircleWindTest, AnAirspeedChangeWithinTheCircleIsFollowedUpToItsBound) {
  Glider within;
  within.Turn(400, 18, 11.8);
  EXPECT_EQ(within.Count(Outcome::kFitted), 1);
  EXPECT_LT(within.SpeedError(), 0.05);
  EXPECT_LT(within.DirectionError(), 0.5);

  Glider beyond;
  beyond.Turn(400, 18, 12.5);
  EXPECT_EQ(beyond.Count(Outcome::kAirspeedChanged), 1);
  EXPECT_FALSE(beyond.estimator.Result().bFitted);
}

// Turns that are no steady full circle give no wind at all.
TEST(CircleWindTest, WhatIsNoSteadyCircleIsRejected) {
  const struct {
    const char* legend;
    void (*fly)(Glider&);
    Outcome outcome;  // the only outcome besides kTurning, if any
  } cases[] = {
      {"a figure-eight", [](Glider& g) { for (int i = 0; i < 4; ++i) g.Turn(i % 2 ? -300 : 300); },
       Outcome::kTurning},
      {"a turn that stops at 300 degrees", [](Glider& g) { g.Turn(300); g.Straight(60); },
       Outcome::kTurning},
      {"a reversal", [](Glider& g) { g.Turn(-200); g.Turn(250); }, Outcome::kTurning},
      {"a turn slower than a minute a circle", [](Glider& g) { g.Turn(420, 5.85); },
       Outcome::kTurning},
      {"a gap of four seconds", [](Glider& g) { g.Turn(200); g.seconds += 3; g.Turn(200); },
       Outcome::kTurning},
      {"seven fixes a circle", [](Glider& g) { g.Turn(420, 60); }, Outcome::kTooFewPoints},
      {"a jump of 150 degrees", [](Glider& g) { g.Turn(198); g.Turn(150, 150); g.Turn(36); },
       Outcome::kTooFewPoints},
      {"an airspeed that jumps from fix to fix",
       [](Glider& g) {
         for (int i = 0; i < 22; ++i) g.airspeed = i % 2 ? 8.5 : 11.5, g.Turn(18);
       },
       Outcome::kPoorFit},
      {"too slow for any glider", [](Glider& g) { g.airspeed = 3, g.windSpeed = 1, g.Turn(400); },
       Outcome::kPoorFit},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.legend);
    Glider g;
    g.Straight(3);
    c.fly(g);
    EXPECT_FALSE(g.estimator.Result().bFitted);
    const int others = static_cast<int>(g.outcomes.size()) - g.Count(Outcome::kTurning);
    EXPECT_EQ(others, g.Count(c.outcome) * (c.outcome != Outcome::kTurning));
    EXPECT_EQ(others > 0, c.outcome != Outcome::kTurning);
  }
}

// Straight flight keeps the last wind exactly; circles in the next thermal,
// where the wind has changed, bring it there within two circles. A circle
// that fits badly moves the estimate less than one that fits well.
TEST(CircleWindTest, TheEstimateStaysInStraightFlightAndFollowsANewWindWithinTwoCircles) {
  Glider g;
  g.Turn(3 * 360 + 90);
  EXPECT_EQ(g.Count(Outcome::kFitted), 3);
  const CircleWind kept = g.estimator.Result();
  g.Straight(600);
  g.Turn(200);  // and a turn left unfinished
  g.Straight(10);
  EXPECT_EQ(g.estimator.Result().dFromDir, kept.dFromDir);
  EXPECT_EQ(g.estimator.Result().dSpeed, kept.dSpeed);

  g.windFrom = 300, g.windSpeed = 6.5;
  g.Straight(30);
  g.Turn(370);
  EXPECT_EQ(g.Count(Outcome::kFitted), 4);
  EXPECT_GT(g.SpeedError(), 0.5) << "one circle is not all of the estimate";
  g.Turn(380);
  EXPECT_EQ(g.Count(Outcome::kFitted), 5);
  EXPECT_LT(g.SpeedError(), 0.5);
  EXPECT_LT(g.DirectionError(), 5);

  // From the same start, a circle in twice the wind, flown steadily or with
  // the airspeed wavering by 0.8 m/s each way: the steady one pulls harder.
  double speed[2];
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
