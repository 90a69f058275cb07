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

class FixAcceptanceTest : public ::testing::TestWithParam<FixCase> {};

TEST_P(FixAcceptanceTest, Decides) {
  const FixCase& c = GetParam();
  AcquisitionState state;
  state.strStatus = c.status;
  state.dLat = c.lat;
  state.dLon = c.lon;
  state.strTime = c.time;
  EXPECT_EQ(IsFixAccepted(state), c.accepted) << c.legend;
}

INSTANTIATE_TEST_SUITE_P(
    Table, FixAcceptanceTest,
    ::testing::Values(
        FixCase{"ordinary fix", "A", 46.37, 8.03, "083920", true},
        FixCase{"void status is still logged", "V", 46.37, 8.03, "083920", true},
        FixCase{"no status letter", "", 46.37, 8.03, "083920", false},
        FixCase{"south-west fix by magnitude", "A", -27.2, -153.05, "083920", true},
        FixCase{"latitude 0: no position", "A", 0, 8.03, "083920", false},
        FixCase{"longitude 0: no position", "A", 46.37, 0, "083920", false},
        FixCase{"latitude just inside", "A", 90.999, 8.03, "083920", true},
        FixCase{"latitude 91 is out", "A", 91, 8.03, "083920", false},
        FixCase{"latitude -91 is out", "A", -91, 8.03, "083920", false},
        FixCase{"longitude just inside", "A", 46.37, -180.999, "083920", true},
        FixCase{"longitude 181 is out", "A", 46.37, 181, "083920", false},
        FixCase{"midnight exactly is not logged", "A", 46.37, 8.03, "000000", false},
        FixCase{"one second after midnight is", "A", 46.37, 8.03, "000001", true}));

}  // namespace
