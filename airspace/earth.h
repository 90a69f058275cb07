// Positions on the Earth, and the flat frame around the pilot in which the
// airspace geometry is worked out.
//
// Positions are kept as whole 1e-7 degrees (about 1 cm), eight bytes a
// point: a national airspace file of two million border points then takes
// 16 MB. Distances follow the WGS84 ellipsoid: the local frame scales
// degrees by the ellipsoid's radii of curvature at the pilot's latitude,
// and arcs are laid out around their centre at the ellipsoid's own scale
// there (within a metre of the ellipsoid's circle out to 30 km, see
// earth.cpp).
#pragma once

#include <cstdint>

struct GeoPoint {
  std::int32_t lat = 0;  // [1e-7 deg], north positive
  std::int32_t lon = 0;  // [1e-7 deg], east positive, -180..180

  bool operator==(const GeoPoint&) const = default;
};

inline constexpr double kUnitsPerDegree = 1e7;

// Rounded to the nearest 1e-7 degree, the longitude brought into -180..180
// and the latitude held within -90..90.
GeoPoint ToGeoPoint(double latDeg, double lonDeg);
inline double LatDeg(GeoPoint p) { return p.lat / kUnitsPerDegree; }
inline double LonDeg(GeoPoint p) { return p.lon / kUnitsPerDegree; }

// Metres per degree along the meridian and along the parallel at a latitude.
double MetresPerDegreeNorth(double latDeg);
double MetresPerDegreeEast(double latDeg);

// Metres east (x) and north (y) of the frame's origin.
struct Vec {
  double x = 0;
  double y = 0;
};

// The plane tangent to the Earth at the pilot: exact at the origin; an
// east-west distance 10 km north or south of him reads tan(latitude) x
// 0.16 % off (0.17 % at 47 degrees), 2 km off a fifth of that. Longitudes
// are taken the short way round, so the frame works across the 180th
// meridian.
class LocalFrame {
 public:
  explicit LocalFrame(GeoPoint origin);

  GeoPoint Origin() const { return m_origin; }
  Vec ToLocal(GeoPoint p) const {
    return {LonUnitsEast(p.lon) * m_dEastPerUnit, static_cast<double>(p.lat - m_origin.lat) * m_dNorthPerUnit};
  }
  // Longitude units east of the origin, -180..180 degrees' worth.
  std::int64_t LonUnitsEast(std::int32_t lon) const;
  double EastPerUnit() const { return m_dEastPerUnit; }    // [m per 1e-7 deg]
  double NorthPerUnit() const { return m_dNorthPerUnit; }  // [m per 1e-7 deg]

 private:
  GeoPoint m_origin;
  double m_dEastPerUnit;
  double m_dNorthPerUnit;
};

// The point `distance_m` from `centre` on the bearing [deg from true north].
GeoPoint Destination(GeoPoint centre, double bearingDeg, double distance_m);

// Distance [m] and bearing [deg, 0..360) from `centre` to `p`, the exact
// inverse of Destination.
double DistanceFrom(GeoPoint centre, GeoPoint p);
double BearingFrom(GeoPoint centre, GeoPoint p);
