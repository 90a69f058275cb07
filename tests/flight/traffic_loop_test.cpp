// Traffic through the acquisition loop: the alarm at once, the rest with
// each fix, aged by the instrument's clock in flight and by the stream's
// own fix times in a replay.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "base/settings_values.h"
#include "base/traffic.h"
#include "flight/acquisition_loop.h"
#include "flight/recorded_byte_source.h"
#include "tests/support/flight_test.h"

namespace {

std::string Rmc(const std::string& time) {
  return Sentence("GPRMC," + time + ",A,4807.038,N,01131.000,E,022.4,084.4,230394,,,A");
}
const std::string kQuietStatus = Sentence("PFLAU,2,1,2,1,0,,0,,");

// The window as the loop sees it, telling texts of a fix from an alarm's
// texts between fixes.
class TrafficWindow : public LinesWindow {
 public:
  void ShowAlarmChange(const FieldTexts& t) override {
    LinesWindow::ShowAlarmChange(t);
    levels.push_back(TrafficAlarmLevel());  // the speaker already has it
  }
  void RequestRepaint() override { ++repaints; }
  std::vector<int> levels;
  int repaints = 0;
};

class TrafficLoopTest : public FlightTest {
 protected:
  void SetUp() override {
    FlightTest::SetUp();
    g_nFieldSel1 = 0;   // speed
    g_nFieldSel2 = 15;  // traffic
  }
  // The stream through a loop that ages traffic by `clock` (the stream's
  // own time when empty).
  void Fly(const std::string& stream, std::function<double()> clock = nullptr) {
    MemoryByteSource source(stream);
    AcquisitionLoop loop(source, window, {.reopenPause = {}, .trafficClock = std::move(clock)});
    loop.AcquisitionThreadProc();
  }
  TrafficWindow window;
};

// An alarm goes to the top line and the speaker the moment its $PFLAU has
// come, between two fixes; the targets and the Traffic entry follow with
// the next fix; when the alarm ends the line is its field's again.
TEST_F(TrafficLoopTest, TheAlarmIsShownAtOnceTheRestWithTheNextFix) {
  Fly(Rmc("100000") + kQuietStatus + Rmc("100001") +
      Sentence("PFLAA,2,200,-100,20,2,DD1234,90,0,30,1.0,1") + Sentence("PFLAU,2,1,2,1,2,-30,2,20,224,DD1234") +
      Sentence("PFLAU,2,1,2,1,2,-30,2,20,224,DD1234") + Rmc("100002") +
      Sentence("PFLAU,2,1,2,1,3,-30,2,20,150,DD1234") + Sentence("PFLAU,2,1,2,1,0,,0,,") + Rmc("100003"));
  EXPECT_EQ(window.lines, (std::vector<std::string>{
                              "V  41|Tr --", "V  41|Tr 0",
                              "at once: !2 11h 0.2 +20*|Tr 0",  // once: the same alarm again changes nothing
                              "!2 11h 0.2 +20*|Tr 1 0.2 +20",
                              "at once: !3 11h 0.1 +20*|Tr 1 0.2 +20", "at once: V  41|Tr 1 0.2 +20",
                              "V  41|Tr 1 0.2 +20"}));
  EXPECT_EQ(window.levels, (std::vector<int>{2, 3, 0}));
  EXPECT_EQ(TrafficAlarmLevel(), 0);
  EXPECT_EQ(LatestTraffic().targets.size(), 1u) << "the map's copy";
}

// A port that plays a script, keeps the read time-outs asked for, and
// moves the clock half a second at each read that delivers nothing.
class TimedSource final : public ScriptedByteSource {
 public:
  ReadStatus Read(std::string_view& bytes) override {
    if (!steps.empty() && steps.front().first == ReadStatus::kNoByte) now += 0.5;
    return ScriptedByteSource::Read(bytes);
  }
  void SetReadTimeout(std::chrono::milliseconds timeout) override { timeouts.push_back(timeout.count()); }
  std::vector<long long> timeouts;
  double now = 0;
};

// In flight the instrument's clock ages the traffic, also while the port
// falls silent: reads then wake twice a second, and only while there is
// traffic to age.
TEST_F(TrafficLoopTest, InFlightASilentDeviceLeavesNoAlarmBehind) {
  TimedSource source;
  source.AddBytes(Rmc("100000") + Sentence("PFLAU,2,1,2,1,3,90,2,-10,100"));
  for (int i = 0; i < 12; ++i) source.Add(ReadStatus::kNoByte);
  AcquisitionLoop loop(source, window, {.reopenPause = {}, .trafficClock = [&] { return source.now; }});
  loop.AcquisitionThreadProc();
  EXPECT_EQ(window.lines, (std::vector<std::string>{"V  41|Tr --", "at once: !3 3h 0.1 -10*|Tr --",
                                                    "at once: V  41|Tr --"}));
  EXPECT_EQ(window.levels, (std::vector<int>{3, 0}));
  EXPECT_FALSE(loop.Traffic().bDevice);
  EXPECT_EQ(source.timeouts, (std::vector<long long>{500, 0}));
}

}  // namespace
