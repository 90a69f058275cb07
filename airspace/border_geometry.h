// One airspace's border against the pilot, worked out in the flat frame
// around him (earth.h). Each function looks only at the groups of edges
// (Airspace::chunks) whose box comes near enough to matter, so an airspace
// of a hundred thousand points costs little more than a small one.
//
// A position on the border counts as inside, like one exactly on a floor
// or a ceiling.
#pragma once

#include <optional>

#include "airspace/airspace.h"
#include "airspace/earth.h"

// Whether `p` [m in the frame] lies within the border or on it.
bool WithinBorder(const Airspace& airspace, const LocalFrame& frame, Vec p);

// Distance [m] from the frame's origin (the pilot) to the nearest point of
// the border, inside or outside; +infinity when it is farther than `limit_m`.
double DistanceToBorder(const Airspace& airspace, const LocalFrame& frame, double limit_m);

// The pilot's entry into the airspace flying straight on from the frame's
// origin at `velocity` [m/s] and climbing at `climb_ms` [m/s]: the first
// time in [0, horizon_s] at which he is within the border and between the
// floor and the ceiling, nullopt when he is not within the horizon. 0 when
// he is inside now.
std::optional<double> EntryTime(const Airspace& airspace, const LocalFrame& frame, const PilotAltitudes& pilot,
                                Vec velocity, double climb_ms, double horizon_s);

// The times [from, to] during which the pilot's altitudes, changing at
// `climb_ms`, lie between the floor and the ceiling widened by `margin_m`;
// nullopt when at no time in the window.
struct TimeWindow {
  double from = 0;
  double to = 0;
};
std::optional<TimeWindow> VerticalWindow(const Airspace& airspace, const PilotAltitudes& pilot, double climb_ms,
                                         double margin_m, TimeWindow window);
