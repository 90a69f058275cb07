#include "flight/fix_acceptance.h"

#include <cmath>
#include <string_view>

namespace {

// The status field is one letter (A or V from every receiver met so far);
// anything longer is a damaged sentence, whatever its letter.
bool IsStatusLetter(std::string_view status) {
  return status.size() == 1 && ((status[0] >= 'A' && status[0] <= 'Z') ||
                                (status[0] >= 'a' && status[0] <= 'z'));
}

}  // namespace

bool IsFixAccepted(const AcquisitionState& state) {
  // Positions are signed by their hemisphere; the ranges apply to the
  // magnitudes, and a latitude or longitude of exactly 0 means no position.
  const double lat = std::fabs(state.dLat);
  const double lon = std::fabs(state.dLon);
  return IsStatusLetter(state.strStatus) && lat > 0 && lat < 91 && lon > 0 && lon < 181 &&
         state.strTime != "000000";
}
