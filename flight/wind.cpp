#include "flight/wind.h"

#include <cmath>

#include "base/angles.h"
#include "base/flight_values.h"

double g_dWindSectorNorth[kWindSectors] = {};
double g_dWindSectorEast[kWindSectors] = {};

namespace {

// The sector a course falls in, or -1. The north sector is not centred on
// north: courses from 340 to 360 fall in none.
int SectorOf(double course) {
  if (course >= 0 && course < 20) return 0;
  if (course > 80 && course < 100) return 1;
  if (course > 170 && course < 190) return 2;
  if (course > 260 && course < 280) return 3;
  return -1;
}

constexpr double kNearZero = 1e-5;

}  // namespace

void EstimateWind(double course, double speed) {
  const double r = DegToRad(course);
  const double c = std::cos(r);
  const double s = std::sin(r);
  if (const int sector = SectorOf(course); sector >= 0) {
    g_dWindSectorNorth[sector] = speed * c;
    g_dWindSectorEast[sector] = speed * s;
  }

  const double n = 0.5 * (g_dWindSectorNorth[3] + g_dWindSectorNorth[2] +
                          g_dWindSectorNorth[1] + g_dWindSectorNorth[0]);
  const double e = 0.5 * (g_dWindSectorEast[3] + g_dWindSectorEast[2] +
                          g_dWindSectorEast[1] + g_dWindSectorEast[0]);
  g_dWindSpeed = std::sqrt(e * e + n * n) * 0.2777777777777778;

  double d = 0;
  if (std::fabs(e) > kNearZero) {
    // The bearing of (N, E): 90 - atan(N/E) lies in 0..180 for an eastward
    // wind and is turned half round for a westward one.
    d = 90 - RadToDeg(std::atan(n / e));
    if (e < 0) d += 180;
  } else if (std::fabs(n) > kNearZero) {
    // The east parts cancel (courses of exactly 0 and 180 flown, or equal
    // legs east and west): the wind blows due north or due south.
    d = n > 0 ? 0 : 180;
  } else {
    // A vanishing wind keeps its direction. A tiny negative east part must
    // not turn it half round at every fix.
    return;
  }
  if (d > 360) d -= 360;
  if (d < 0) d += 360;
  g_dWindDir = d;
}

void ResetWindSectors() {
  for (int i = 0; i < kWindSectors; ++i) g_dWindSectorNorth[i] = g_dWindSectorEast[i] = 0;
}
