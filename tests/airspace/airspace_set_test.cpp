#include "airspace/airspace_set.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include <gtest/gtest.h>

#include "tests/airspace/test_airspaces.h"

namespace {

std::vector<std::uint32_t> Near(const AirspaceSet& set, GeoPoint p, double range_m) {
  std::vector<std::uint32_t> found;
  set.Near(p, range_m, found);
  return found;
}

Airspace Square(GeoPoint centre, double half_m) {
  const LocalFrame frame(centre);
  const auto corner = [&](double east, double north) {
    return ToGeoPoint(LatDeg(centre) + north / MetresPerDegreeNorth(LatDeg(centre)),
                      LonDeg(centre) + east / MetresPerDegreeEast(LatDeg(centre)));
  };
  return Shape({corner(-half_m, -half_m), corner(-half_m, half_m), corner(half_m, half_m), corner(half_m, -half_m)},
               kGround, Msl(2000));
}

// The grid's cells are 0.1 degree: airspaces in the cells around the
// pilot in every direction are found when within the range (and a few a
// little farther, up to a cell), those several cells away are not; one
// wider than the grid's limit, and one across the 180th meridian, from
// anywhere near them.
TEST(AirspaceSetTest, NearFindsAcrossCellsAndTheDateLine) {
  const AirspaceSet set({Square(At(0, 9000), 500), Square(At(-9000, 0), 500), Square(At(9000, -9000), 500),
                         Square(At(0, -40000), 500), Square(ToGeoPoint(45, 10), 700000),
                         Square(ToGeoPoint(-17, 180), 5000)});
  EXPECT_EQ(Near(set, kOrigin, 13000), (std::vector<std::uint32_t>{0, 1, 2, 4}));
  EXPECT_EQ(Near(set, At(0, -35000), 10000), (std::vector<std::uint32_t>{3, 4}));
  EXPECT_EQ(Near(set, ToGeoPoint(-17, -179.99), 10000), std::vector<std::uint32_t>{5});
  EXPECT_EQ(Near(set, ToGeoPoint(-16.99, 179.99), 10000), std::vector<std::uint32_t>{5});
  EXPECT_EQ(Near(AirspaceSet(), kOrigin, 10000), std::vector<std::uint32_t>{});
}

// The map's borders, in metres east and north of the pilot: the square's
// four edges, each once, and nothing of what lies beyond the range.
TEST(AirspaceSetTest, BordersNearInMetresAroundThePilot) {
  const AirspaceSet set({Shape(Rectangle(-1000, 1000, 200, 1200), kGround, Msl(2000)),
                         Shape(Rectangle(5000, 6000, 0, 1000), kGround, Msl(2000))});
  std::vector<BorderSegment> segments = set.BordersNear(kOrigin, 2000);
  ASSERT_EQ(segments.size(), 4u);
  // The border's last point joins its first: (1000, 200) to (-1000, 200) comes first.
  EXPECT_NEAR(segments[0].from.x, 1000, 0.01);
  EXPECT_NEAR(segments[0].from.y, 200, 0.01);
  EXPECT_NEAR(segments[0].to.x, -1000, 0.01);
  EXPECT_NEAR(segments[1].to.y, 1200, 0.01);
  for (const BorderSegment& s : segments) EXPECT_EQ(s.airspace, 0u);
  // A smaller range sees the south edge only.
  segments = set.BordersNear(kOrigin, 500);
  ASSERT_EQ(segments.size(), 1u);
  EXPECT_NEAR(segments[0].from.y, 200, 0.01);
  EXPECT_EQ(set.BordersNear(kOrigin, 7000).size(), 8u);
}

}  // namespace
