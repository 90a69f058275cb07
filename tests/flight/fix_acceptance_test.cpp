#include "flight/fix_acceptance.h"

#include <tuple>

#include <gtest/gtest.h>

namespace {

TEST(FixAcceptance, StatusPositionAndTimeDecide) {
  const std::tuple<const char*, const char*, double, double, const char*, bool> cases[] = {
      {"south-west fix, judged by magnitude", "A", -27.2, -153.05, "083920", true},
      {"latitude 0: no position", "A", 0, 8.03, "083920", false},
      {"longitude 0: no position", "A", 46.37, 0, "083920", false},
      {"latitude just inside", "A", -90.999, 8.03, "083920", true},
      {"latitude 91 is out", "A", 91, 8.03, "083920", false},
      {"longitude just inside", "A", 46.37, -180.999, "083920", true},
      {"longitude 181 is out", "A", 46.37, 181, "083920", false},
      {"midnight exactly is not logged", "A", 46.37, 8.03, "000000", false},
      {"one second after midnight is", "A", 46.37, 8.03, "000001", true},
      {"V is a status letter too", "V", 46.37, 8.03, "083920", true},
      {"no status", "", 46.37, 8.03, "083920", false},
      {"a status of two letters is a damaged sentence", "AV", 46.37, 8.03, "083920", false}};
  for (const auto& [legend, status, lat, lon, time, accepted] : cases) {
    AcquisitionState state;
    state.strStatus = status;
    state.strTime = time;
    state.dLat = lat;
    state.dLon = lon;
    EXPECT_EQ(IsFixAccepted(state), accepted) << legend;
  }
}

}  // namespace
