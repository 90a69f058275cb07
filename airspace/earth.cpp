#include "airspace/earth.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "base/angles.h"

namespace {

constexpr double kSemiMajor_m = 6378137.0;         // WGS84
constexpr double kFlattening = 1 / 298.257223563;  // WGS84
constexpr double kEccentricity2 = kFlattening * (2 - kFlattening);
constexpr std::int64_t kFullTurn = 360 * 10'000'000LL;

double Curvature(double latDeg) {
  const double s = std::sin(DegToRad(latDeg));
  return 1 - kEccentricity2 * s * s;
}

// Radius of curvature along the meridian and across it.
double MeridianRadius(double latDeg) { return kSemiMajor_m * (1 - kEccentricity2) / std::pow(Curvature(latDeg), 1.5); }
double NormalRadius(double latDeg) { return kSemiMajor_m / std::sqrt(Curvature(latDeg)); }

// Arcs are laid out on the unit sphere, with each direction stretched to
// the ellipsoid's own scale at the centre: a distance along the meridian
// counts in the meridian radius, one along the parallel in the normal
// radius, and every direction between in proportion. This matches the
// ellipsoid exactly at the centre; the radii change so slowly with latitude
// that a point 30 km out stays within a metre of the ellipsoid's.
struct Stretch {
  double meridian;
  double normal;

  explicit Stretch(GeoPoint centre) : meridian(MeridianRadius(LatDeg(centre))), normal(NormalRadius(LatDeg(centre))) {}
  // The direction on the sphere [rad] for a bearing on the ellipsoid [rad], and back.
  double SphereDirection(double bearing) const { return std::atan2(std::sin(bearing) * meridian, std::cos(bearing) * normal); }
  double Bearing(double direction) const { return std::atan2(std::sin(direction) * normal, std::cos(direction) * meridian); }
  // Metres per radian of the sphere in a direction.
  double Scale(double direction) const { return std::hypot(meridian * std::cos(direction), normal * std::sin(direction)); }
};

// Angle [rad] and direction [rad] from `centre` to `p` on the unit sphere.
std::pair<double, double> SphereAngleAndDirection(GeoPoint centre, GeoPoint p) {
  const double lat1 = DegToRad(LatDeg(centre));
  const double lat2 = DegToRad(LatDeg(p));
  const double dLat = lat2 - lat1;
  const double dLon = DegToRad(std::remainder(LonDeg(p) - LonDeg(centre), 360.0));
  const double h = std::sin(dLat / 2) * std::sin(dLat / 2) +
                   std::cos(lat1) * std::cos(lat2) * std::sin(dLon / 2) * std::sin(dLon / 2);
  const double angle = 2 * std::asin(std::sqrt(std::clamp(h, 0.0, 1.0)));
  const double direction = std::atan2(std::sin(dLon) * std::cos(lat2),
                                      std::cos(lat1) * std::sin(lat2) - std::sin(lat1) * std::cos(lat2) * std::cos(dLon));
  return {angle, direction};
}

}  // namespace

GeoPoint ToGeoPoint(double latDeg, double lonDeg) {
  if (!std::isfinite(latDeg) || !std::isfinite(lonDeg)) return {};
  latDeg = std::clamp(latDeg, -90.0, 90.0);
  lonDeg = std::remainder(lonDeg, 360.0);  // -180..180
  return {static_cast<std::int32_t>(std::lround(latDeg * kUnitsPerDegree)),
          static_cast<std::int32_t>(std::lround(lonDeg * kUnitsPerDegree))};
}

double MetresPerDegreeNorth(double latDeg) { return DegToRad(MeridianRadius(latDeg)); }

double MetresPerDegreeEast(double latDeg) {
  return DegToRad(NormalRadius(latDeg)) * std::max(0.0, std::cos(DegToRad(latDeg)));
}

LocalFrame::LocalFrame(GeoPoint origin)
    : m_origin(origin),
      m_dEastPerUnit(MetresPerDegreeEast(LatDeg(origin)) / kUnitsPerDegree),
      m_dNorthPerUnit(MetresPerDegreeNorth(LatDeg(origin)) / kUnitsPerDegree) {}

std::int64_t LocalFrame::LonUnitsEast(std::int32_t lon) const {
  std::int64_t d = static_cast<std::int64_t>(lon) - m_origin.lon;
  if (d > kFullTurn / 2) d -= kFullTurn;
  if (d < -kFullTurn / 2) d += kFullTurn;
  return d;
}

GeoPoint Destination(GeoPoint centre, double bearingDeg, double distance_m) {
  const Stretch stretch(centre);
  const double direction = stretch.SphereDirection(DegToRad(bearingDeg));
  const double angle = distance_m / stretch.Scale(direction);
  const double lat1 = DegToRad(LatDeg(centre));
  const double sinLat2 = std::sin(lat1) * std::cos(angle) + std::cos(lat1) * std::sin(angle) * std::cos(direction);
  const double lat2 = std::asin(std::clamp(sinLat2, -1.0, 1.0));
  const double dLon = std::atan2(std::sin(direction) * std::sin(angle) * std::cos(lat1),
                                 std::cos(angle) - std::sin(lat1) * sinLat2);
  return ToGeoPoint(RadToDeg(lat2), LonDeg(centre) + RadToDeg(dLon));
}

double DistanceFrom(GeoPoint centre, GeoPoint p) {
  const auto [angle, direction] = SphereAngleAndDirection(centre, p);
  return angle * Stretch(centre).Scale(direction);
}

double BearingFrom(GeoPoint centre, GeoPoint p) {
  const double bearing = RadToDeg(Stretch(centre).Bearing(SphereAngleAndDirection(centre, p).second));
  return bearing < 0 ? bearing + 360 : bearing;
}
