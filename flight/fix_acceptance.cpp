#include "flight/fix_acceptance.h"

#include <cmath>

#include "logs/flight_logs.h"

bool IsFixAccepted(const AcquisitionState& state) {
  // Positions are signed by their hemisphere; the ranges apply to the
  // magnitudes, and a latitude or longitude of exactly 0 means no position.
  const double lat = std::fabs(state.dLat);
  const double lon = std::fabs(state.dLon);
  return lat > 0 && lat < 91 && lon > 0 && lon < 181 && state.strTime != "000000" &&
         IsTrackRecordable(state);
}
