#include "airspace/border_geometry.h"

#include <cmath>
#include <optional>

#include <gtest/gtest.h>

#include "tests/airspace/test_airspaces.h"

namespace {

const LocalFrame kFrame(kOrigin);

PilotAltitudes Level(double msl) { return {msl, msl, msl}; }

TEST(BorderGeometryTest, OnTheBorderIsInside) {
  // A square of 2 km around the origin; its points are rounded to the
  // nearest 1e-7 degree (under a centimetre here).
  const Airspace square = Shape(Rectangle(-1000, 1000, -1000, 1000), kGround, Msl(2000));
  struct Case {
    double east, north;
    bool within;
  };
  for (const Case& c : {Case{0, 0, true}, Case{999.9, 0, true}, Case{1000.1, 0, false},
                        Case{0, -1000.1, false}, Case{-999.9, 999.9, true}, Case{5000, 0, false}}) {
    EXPECT_EQ(WithinBorder(square, kFrame, {c.east, c.north}), c.within) << c.east << ", " << c.north;
  }
  // Exactly on an edge and on a corner, as the frame sees them.
  const Vec corner = kFrame.ToLocal(square.border[2]);
  EXPECT_TRUE(WithinBorder(square, kFrame, corner));
  EXPECT_TRUE(WithinBorder(square, kFrame, {corner.x, 0}));
  EXPECT_NEAR(DistanceToBorder(square, kFrame, 10000), 1000, 0.01);
  EXPECT_TRUE(std::isinf(DistanceToBorder(square, kFrame, 500)));  // farther than asked
}

// Flying east from the origin at 20 m/s (72 km/h) at 1000 m, level.
// Square from 300 m to 1300 m east, 500 m either side, up to 2000 m:
// the west edge is 300 m ahead, 300 / 20 = 15 s.
TEST(BorderGeometryTest, FlyingIntoThePolygonFromTheSide) {
  const Airspace square = Shape(Rectangle(300, 1300, -500, 500), kGround, Msl(2000));
  const std::optional<double> entry = EntryTime(square, kFrame, Level(1000), {20, 0}, 0, 30);
  ASSERT_TRUE(entry);
  EXPECT_NEAR(*entry, 15, 0.01);
  EXPECT_FALSE(EntryTime(square, kFrame, Level(1000), {-20, 0}, 0, 30));  // flying away
  EXPECT_FALSE(EntryTime(square, kFrame, Level(1000), {20, 0}, 0, 14.9));  // beyond the horizon
  EXPECT_FALSE(EntryTime(square, kFrame, Level(2000.1), {20, 0}, 0, 30));  // above it
  ASSERT_TRUE(EntryTime(square, kFrame, Level(2000), {20, 0}, 0, 30));     // on its ceiling
}

// A circle of 1 nm (1852 m) around a centre 2252 m east: 32 points, one
// due west of the centre, 2252 - 1852 = 400 m ahead, 400 / 20 = 20 s.
TEST(BorderGeometryTest, FlyingIntoACircle) {
  std::vector<GeoPoint> border;
  AppendCircle(At(2252, 0), kMetresPerNauticalMile, border);
  const Airspace circle = Shape(border, kGround, Msl(2000));
  const std::optional<double> entry = EntryTime(circle, kFrame, Level(1000), {20, 0}, 0, 30);
  ASSERT_TRUE(entry);
  EXPECT_NEAR(*entry, 20, 0.01);
}

// Half discs of 0.5 nm (926 m) on a centre 1000 m east, closed through the
// centre, flown into at 40 m/s. From bearing 180 to 360 clockwise the arc
// runs through 270, due west of the centre, 1000 - 926 = 74 m ahead:
// 74 / 40 = 1.85 s. Anticlockwise it runs through 90, east of the centre,
// and the half disc's west border is the straight line through the centre,
// 1000 m ahead: 1000 / 40 = 25 s.
TEST(BorderGeometryTest, FlyingIntoArcsOfBothDirections) {
  const GeoPoint centre = At(1000, 0);
  const double radius = 0.5 * kMetresPerNauticalMile;
  for (const bool clockwise : {true, false}) {
    std::vector<GeoPoint> border{centre};
    AppendArc(centre, radius, 180, 360, clockwise, border);
    const Airspace half = Shape(border, kGround, Msl(2000));
    const std::optional<double> entry = EntryTime(half, kFrame, Level(1000), {40, 0}, 0, 30);
    ASSERT_TRUE(entry) << clockwise;
    EXPECT_NEAR(*entry, clockwise ? 1.85 : 25, 0.01) << clockwise;
  }
}

// Within the square from 300 to 1300 m east, at 1000 m: from above and
// below, and descending onto its top from beside it.
TEST(BorderGeometryTest, EnteringFromAboveBelowAndOntoTheTop) {
  const Airspace layer = Shape(Rectangle(-500, 500, -500, 500), Msl(1500), Msl(2000));
  // Above: 2040 m, sinking 2 m/s: 40 / 2 = 20 s to the ceiling.
  std::optional<double> entry = EntryTime(layer, kFrame, Level(2040), {}, -2, 30);
  ASSERT_TRUE(entry);
  EXPECT_NEAR(*entry, 20, 1e-9);
  // Below: 1460 m, climbing 2 m/s: 40 / 2 = 20 s to the floor.
  entry = EntryTime(layer, kFrame, Level(1460), {}, 2, 30);
  ASSERT_TRUE(entry);
  EXPECT_NEAR(*entry, 20, 1e-9);
  // Climbing away below it, or sinking away above it: never.
  EXPECT_FALSE(EntryTime(layer, kFrame, Level(1460), {}, -2, 30));
  EXPECT_FALSE(EntryTime(layer, kFrame, Level(2040), {}, 2, 30));

  // Onto the top: a square 300 m ahead up to 1000 m; at 1030 m sinking
  // 1.5 m/s at 20 m/s the pilot is over its edge at 15 s, still 7.5 m above
  // it, and meets its top at 30 / 1.5 = 20 s, 400 m east, over it.
  const Airspace low = Shape(Rectangle(300, 1300, -500, 500), kGround, Msl(1000));
  entry = EntryTime(low, kFrame, Level(1030), {20, 0}, -1.5, 30);
  ASSERT_TRUE(entry);
  EXPECT_NEAR(*entry, 20, 1e-6);
  // Sinking 3 m/s he is below its top (1030 - 45 = 985 m) at its edge: 15 s.
  entry = EntryTime(low, kFrame, Level(1030), {20, 0}, -3, 30);
  ASSERT_TRUE(entry);
  EXPECT_NEAR(*entry, 15, 0.01);
}

TEST(BorderGeometryTest, VerticalWindowWithTheMargin) {
  const Airspace layer = Shape(Rectangle(-500, 500, -500, 500), Msl(1500), Msl(2000));
  EXPECT_TRUE(VerticalWindow(layer, Level(1400), 0, 100, {}));    // exactly 100 m below
  EXPECT_FALSE(VerticalWindow(layer, Level(1399.9), 0, 100, {}));
  EXPECT_TRUE(VerticalWindow(layer, Level(2100), 0, 100, {}));
  EXPECT_FALSE(VerticalWindow(layer, Level(2100.1), 0, 100, {}));
  EXPECT_FALSE(VerticalWindow(layer, Level(1499.9), 0, 0, {}));
  EXPECT_TRUE(VerticalWindow(layer, Level(1500), 0, 0, {}));      // on the floor is inside
}

}  // namespace
