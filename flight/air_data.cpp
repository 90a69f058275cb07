#include "flight/air_data.h"

// Not computed yet: heading, airspeed, glide ratio, compass direction and
// G values keep their start values of 0.
void UpdateAirData(double /*speed*/, double /*course*/, double /*windDir*/,
                   double /*windSpeed*/) {}
