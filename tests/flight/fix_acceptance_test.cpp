#include "flight/fix_acceptance.h"

#include <gtest/gtest.h>

namespace {

struct FixCase {
  const char* legend;
  const char* status;
  double lat;
  double lon;
  const char* time;
  bool accepted;
};

TEST(FixAcceptance, StatusPositionAndTimeDecide) {
  const FixCase cases[] = {
      {"ordinary fix", "A", 46.37, 8.03, "083920", true},
      {"void status is still logged", "V", 46.37, 8.03, "083920", true},
      {"no status letter", "", 46.37, 8.03, "083920", false},
      {"south-west fix by magnitude", "A", -27.2, -153.05, "083920", true},
      {"latitude 0: no position", "A", 0, 8.03, "083920", false},
      {"longitude 0: no position", "A", 46.37, 0, "083920", false},
      {"latitude just inside", "A", 90.999, 8.03, "083920", true},
      {"latitude 91 is out", "A", 91, 8.03, "083920", false},
      {"longitude just inside", "A", 46.37, -180.999, "083920", true},
      {"longitude 181 is out", "A", 46.37, 181, "083920", false},
      {"midnight exactly is not logged", "A", 46.37, 8.03, "000000", false},
      {"one second after midnight is", "A", 46.37, 8.03, "000001", true}};
  for (const FixCase& c : cases) {
    AcquisitionState state;
    state.strStatus = c.status;
    state.dLat = c.lat;
    state.dLon = c.lon;
    state.strTime = c.time;
    EXPECT_EQ(IsFixAccepted(state), c.accepted) << c.legend;
  }
}

}  // namespace
