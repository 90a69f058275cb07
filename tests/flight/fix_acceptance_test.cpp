#include "flight/fix_acceptance.h"

#include <gtest/gtest.h>

namespace {

// A fix is accepted when it can be recorded: a position inside the globe,
// a time other than midnight exactly, and texts that make a whole B record.
TEST(FixAcceptance, StatusPositionTimeAndTheRecordsTextsDecide) {
  struct Case {
    const char* legend;
    const char* status;
    double lat, lon;
    const char* time;
    bool accepted;
    const char* igcLat = "4622200N";
  };
  const Case cases[] = {
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
      {"a status of two letters is a damaged sentence", "AV", 46.37, 8.03, "083920", false},
      {"a status other than A or V", "X", 46.37, 8.03, "083920", false},
      {"a second of 60", "A", 46.37, 8.03, "083960", false},
      {"an hour of 24", "A", 46.37, 8.03, "240000", false},
      {"a letter inside the latitude", "A", 48, 11.52, "083920", false, "48x7038N"}};
  for (const Case& c : cases) {
    AcquisitionState state;
    state.strStatus = c.status;
    state.strTime = c.time;
    state.dLat = c.lat;
    state.dLon = c.lon;
    state.strLat = c.igcLat;
    EXPECT_EQ(IsFixAccepted(state), c.accepted) << c.legend;
  }
}

}  // namespace
