// Vertical speed: the slope of a least-squares line through the last ten
// (elapsed time, barometric altitude) samples.
#pragma once

#include "base/flight_values.h"  // kVarioNoSpread

// The sample rings, kept for the life of the process. Slot i of both rings
// belongs to the same sample; slots not yet written hold 0 and still take
// part in the sums.
inline constexpr int kVarioSamples = 10;
extern double g_dVarioAlt[kVarioSamples];   // [m]
extern double g_dVarioTime[kVarioSamples];  // [s] since the time base
extern int g_nVarioIndex;                   // slot of the newest sample
extern int g_nVarioCount;                   // samples taken, at most 10

// One sample per accepted fix: altitude [m], elapsed whole seconds since the
// time base. Returns the vertical speed [m/s], positive when climbing; 0
// before the tenth sample.
double ComputeVario(double altitude, int elapsed);

// Empties the rings (a new process, a replay, a test).
void ResetVario();
