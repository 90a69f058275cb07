// Arcs and circles of an airspace's border, laid out as border points.
//
// A chord between two points of an arc of radius R that are an angle a
// apart strays R (1 - cos(a / 2)) from the arc at its middle; the points
// are spaced so that this stays under kArcTolerance_m, whatever the radius
// (a 1 nm circle gets 32 points, a 10 nm circle 101; 45 degrees apart at
// most, so the smallest circle is still an octagon).
#pragma once

#include <cstddef>
#include <vector>

#include "airspace/earth.h"

inline constexpr double kArcTolerance_m = 10;
inline constexpr double kMetresPerNauticalMile = 1852;

// Chords for `sweepDeg` of an arc of `radius_m`.
std::size_t ArcChords(double radius_m, double sweepDeg);

// The arc from bearing `fromDeg` to `toDeg` [deg from true north], both
// ends included, clockwise (bearings increasing) or anticlockwise.
void AppendArc(GeoPoint centre, double radius_m, double fromDeg, double toDeg, bool clockwise,
               std::vector<GeoPoint>& out);

// The arc from `from` to `to` around `centre`: both ends exactly as given
// (they are the neighbouring border's points too), the radius going over
// evenly from the first end's to the second's when they differ.
void AppendArcBetween(GeoPoint centre, GeoPoint from, GeoPoint to, bool clockwise, std::vector<GeoPoint>& out);

// The whole circle, starting due north, its first point not repeated.
void AppendCircle(GeoPoint centre, double radius_m, std::vector<GeoPoint>& out);
