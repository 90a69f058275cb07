// Airspaces laid out in metres around a test origin at 47 N 8 E, so that
// each known answer can be worked out by hand on paper: a point given as
// (east, north) lies there in the flat frame around the origin, to the
// centimetre.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "airspace/airspace.h"
#include "airspace/airspace_set.h"
#include "airspace/arc.h"
#include "airspace/earth.h"

inline constexpr double kOriginLat = 47;
inline constexpr double kOriginLon = 8;

inline GeoPoint At(double east_m, double north_m) {
  return ToGeoPoint(kOriginLat + north_m / MetresPerDegreeNorth(kOriginLat),
                    kOriginLon + east_m / MetresPerDegreeEast(kOriginLat));
}

inline const GeoPoint kOrigin = At(0, 0);

inline Airspace Shape(std::vector<GeoPoint> border, AltitudeLimit floor, AltitudeLimit ceiling,
                      std::string cls = "D", std::string name = "Test") {
  Airspace airspace;
  airspace.cls = std::move(cls);
  airspace.name = std::move(name);
  airspace.floor = floor;
  airspace.ceiling = ceiling;
  airspace.border = std::move(border);
  airspace.IndexBorder();
  return airspace;
}

inline std::vector<GeoPoint> Rectangle(double west, double east, double south, double north) {
  return {At(west, south), At(west, north), At(east, north), At(east, south)};
}

inline AltitudeLimit Msl(double metres) { return {AltitudeReference::kMsl, metres}; }
inline constexpr AltitudeLimit kGround{AltitudeReference::kGround, 0};
