#include "airspace/arc.h"

#include <algorithm>
#include <cmath>

#include "base/angles.h"

namespace {

// The tolerance kept to in laying out, a little under the promised one, for
// the rounding of points to 1e-7 degree and the flat frame's straight edges.
constexpr double kDesignTolerance_m = 9;
constexpr double kMostDegreesPerChord = 45;

// The sweep from one bearing to another in the arc's direction, 0..360.
double Sweep(double fromDeg, double toDeg, bool clockwise) {
  const double sweep = std::fmod(clockwise ? toDeg - fromDeg : fromDeg - toDeg, 360.0);
  return sweep < 0 ? sweep + 360 : sweep;
}

}  // namespace

std::size_t ArcChords(double radius_m, double sweepDeg) {
  double chordDeg = kMostDegreesPerChord;
  if (radius_m > kDesignTolerance_m) {
    chordDeg = std::min(chordDeg, RadToDeg(2 * std::acos(1 - kDesignTolerance_m / radius_m)));
  }
  return std::max<std::size_t>(1, static_cast<std::size_t>(std::ceil(sweepDeg / chordDeg)));
}

void AppendArc(GeoPoint centre, double radius_m, double fromDeg, double toDeg, bool clockwise,
               std::vector<GeoPoint>& out) {
  const double sweep = Sweep(fromDeg, toDeg, clockwise);
  const std::size_t chords = ArcChords(radius_m, sweep);
  const double step = (clockwise ? sweep : -sweep) / static_cast<double>(chords);
  for (std::size_t i = 0; i <= chords; ++i) {
    out.push_back(Destination(centre, fromDeg + step * static_cast<double>(i), radius_m));
  }
}

void AppendArcBetween(GeoPoint centre, GeoPoint from, GeoPoint to, bool clockwise, std::vector<GeoPoint>& out) {
  const double fromRadius = DistanceFrom(centre, from);
  const double toRadius = DistanceFrom(centre, to);
  const double fromDeg = BearingFrom(centre, from);
  const double sweep = Sweep(fromDeg, BearingFrom(centre, to), clockwise);
  const std::size_t chords = ArcChords(std::max(fromRadius, toRadius), sweep);
  const double step = (clockwise ? sweep : -sweep) / static_cast<double>(chords);
  out.push_back(from);
  for (std::size_t i = 1; i < chords; ++i) {
    const double share = static_cast<double>(i) / static_cast<double>(chords);
    out.push_back(Destination(centre, fromDeg + step * static_cast<double>(i),
                              fromRadius + (toRadius - fromRadius) * share));
  }
  out.push_back(to);
}

void AppendCircle(GeoPoint centre, double radius_m, std::vector<GeoPoint>& out) {
  const std::size_t chords = ArcChords(radius_m, 360);
  for (std::size_t i = 0; i < chords; ++i) {
    out.push_back(Destination(centre, 360.0 * static_cast<double>(i) / static_cast<double>(chords), radius_m));
  }
}
