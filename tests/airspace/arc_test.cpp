#include "airspace/arc.h"

#include <cmath>
#include <vector>

#include <gtest/gtest.h>

#include "airspace/earth.h"

namespace {

// The geodesy tables' series for WGS84: a degree of latitude is
// 111132.954 - 559.822 cos 2L + 1.175 cos 4L metres, one of longitude
// 111412.84 cos L - 93.5 cos 3L + 0.118 cos 5L.
TEST(EarthTest, DegreesAreTheEllipsoids) {
  for (const double lat : {0.0, 30.0, 45.0, 60.0, -47.0}) {
    const double l = lat * 3.14159265358979 / 180;
    EXPECT_NEAR(MetresPerDegreeNorth(lat), 111132.954 - 559.822 * std::cos(2 * l) + 1.175 * std::cos(4 * l), 0.05);
    EXPECT_NEAR(MetresPerDegreeEast(lat),
                111412.84 * std::cos(l) - 93.5 * std::cos(3 * l) + 0.118 * std::cos(5 * l), 0.5);
  }
  EXPECT_NEAR(MetresPerDegreeEast(90), 0, 1e-3);
}

// A point 30 km due north lies where the meridian's length, summed from
// the ellipsoid's radius of curvature, reaches 30 km.
TEST(EarthTest, ThirtyKilometresNorthWithinAMetreOfTheMeridianArc) {
  const GeoPoint centre = ToGeoPoint(47, 8);
  const GeoPoint north = Destination(centre, 0, 30000);
  double length = 0;
  const int steps = 1000;
  const double dLat = (LatDeg(north) - 47) / steps;
  for (int i = 0; i < steps; ++i) length += MetresPerDegreeNorth(47 + (i + 0.5) * dLat) * dLat;
  EXPECT_NEAR(length, 30000, 1.0);
  EXPECT_NEAR(DistanceFrom(centre, north), 30000, 0.02);
  EXPECT_NEAR(BearingFrom(centre, Destination(centre, 123, 5000)), 123, 1e-4);  // 1 cm at 5 km
}

// The farthest any chord strays from the true arc, sampled along each
// chord as the geometry draws it (straight in the pilot's flat frame).
double WorstStray(GeoPoint centre, const std::vector<GeoPoint>& points, double radius_m, bool closed) {
  double worst = 0;
  for (std::size_t i = 0; i + (closed ? 0 : 1) < points.size(); ++i) {
    const GeoPoint a = points[i];
    const GeoPoint b = points[(i + 1) % points.size()];
    const LocalFrame frame(a);
    const Vec vb = frame.ToLocal(b);
    for (int k = 0; k <= 20; ++k) {
      const double share = k / 20.0;
      const double lat = LatDeg(a) + share * vb.y / MetresPerDegreeNorth(LatDeg(a));
      const double lon = LonDeg(a) + share * vb.x / MetresPerDegreeEast(LatDeg(a));
      worst = std::max(worst, std::fabs(DistanceFrom(centre, ToGeoPoint(lat, lon)) - radius_m));
    }
  }
  return worst;
}

TEST(ArcTest, EveryChordWithinTenMetresOfTheArc) {
  for (const double lat : {0.0, 47.0, -65.0}) {
    for (const double radius_nm : {0.1, 0.5, 1.0, 2.5, 10.0, 50.0}) {
      const GeoPoint centre = ToGeoPoint(lat, 8);
      const double radius = radius_nm * kMetresPerNauticalMile;
      std::vector<GeoPoint> circle;
      AppendCircle(centre, radius, circle);
      const double stray = WorstStray(centre, circle, radius, true);
      EXPECT_LE(stray, kArcTolerance_m) << radius_nm << " nm at " << lat;
      // And not needlessly many points: the middle of a chord strays at
      // least half the tolerance (the smallest circles are octagons).
      if (circle.size() > 8) {
        EXPECT_GE(stray, kArcTolerance_m / 2) << radius_nm << " nm at " << lat;
      }
    }
  }
  EXPECT_EQ(ArcChords(kMetresPerNauticalMile, 360), 32u);
  EXPECT_EQ(ArcChords(5, 360), 8u);
}

TEST(ArcTest, ClockwiseIncreasesBearingsAnticlockwiseDecreases) {
  const GeoPoint centre = ToGeoPoint(47, 8);
  const double radius = 5 * kMetresPerNauticalMile;
  std::vector<GeoPoint> clockwise;
  AppendArc(centre, radius, 350, 10, true, clockwise);  // the short way, through north
  std::vector<GeoPoint> anticlockwise;
  AppendArc(centre, radius, 350, 10, false, anticlockwise);  // the long way, through south
  EXPECT_NEAR(BearingFrom(centre, clockwise.front()), 350, 1e-4);
  EXPECT_NEAR(BearingFrom(centre, clockwise.back()), 10, 1e-4);
  EXPECT_NEAR(BearingFrom(centre, anticlockwise.back()), 10, 1e-4);
  EXPECT_NEAR(BearingFrom(centre, clockwise[clockwise.size() / 2]), 0, 0.5);
  EXPECT_NEAR(BearingFrom(centre, anticlockwise[anticlockwise.size() / 2]), 180, 0.5);
  EXPECT_LT(clockwise.size() * 10, anticlockwise.size());
  EXPECT_LE(WorstStray(centre, anticlockwise, radius, false), kArcTolerance_m);
}

TEST(ArcTest, ArcBetweenPointsKeepsItsEndsAsGiven) {
  const GeoPoint centre = ToGeoPoint(47, 8);
  // Ends a few metres off the circle, as real files have them.
  const GeoPoint from = Destination(centre, 90, 3000);
  const GeoPoint to = Destination(centre, 180, 3007);
  std::vector<GeoPoint> arc;
  AppendArcBetween(centre, from, to, true, arc);
  EXPECT_EQ(arc.front(), from);
  EXPECT_EQ(arc.back(), to);
  std::vector<GeoPoint> other;
  AppendArcBetween(centre, from, to, false, other);  // anticlockwise: through north and west
  EXPECT_EQ(other.front(), from);
  EXPECT_EQ(other.back(), to);
  // Evenly spread between the ends, the radius going over from one to the other.
  for (std::size_t i = 0; i < arc.size(); ++i) {
    const double share = static_cast<double>(i) / static_cast<double>(arc.size() - 1);
    EXPECT_NEAR(BearingFrom(centre, arc[i]), 90 + 90 * share, 1e-3) << i;
    EXPECT_NEAR(DistanceFrom(centre, arc[i]), 3000 + 7 * share, 0.02) << i;
  }
  for (std::size_t i = 1; i + 1 < other.size(); ++i) {
    const double share = static_cast<double>(i) / static_cast<double>(other.size() - 1);
    EXPECT_NEAR(std::remainder(BearingFrom(centre, other[i]) - (90 - 270 * share), 360), 0, 1e-3) << i;
  }
}

}  // namespace
