#include "flight/wind.h"

// Not estimated yet: the wind stays calm (direction and speed 0).
void EstimateWind(double /*course*/, double /*speed*/) {}
