// Thermal and start-point navigation: the climbing state, the strongest
// climb of the current thermal and where it was, the thermal's drift with
// the wind since then, and distance and bearing to that predicted thermal
// and to the start point the pilot set.
#pragma once

#include "base/acquisition_state.h"

// A thermal peak older than this has expired [s].
inline constexpr int kPeakLifetime = 600;

// Once per GPRMC sentence, accepted or not, before the sentence is read: it
// works on the time and position of the previous one. Keeps the navigation
// fields of `state` and writes g_bClimbing, g_dClimbPeak, g_dThermalDist,
// g_dThermalBearing and g_dStartDist; takes a pending start-point request.
void UpdateNavigation(AcquisitionState& state);
