// Vertical speed: the slope of a least-squares line through the last ten
// (elapsed time, barometric altitude) samples.
#pragma once

// One sample per accepted fix: altitude [m], elapsed whole seconds since the
// time base. Returns the vertical speed [m/s].
double ComputeVario(double altitude, int elapsed);
