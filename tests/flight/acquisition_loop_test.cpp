#include "flight/acquisition_loop.h"

#include <future>
#include <thread>
#include <tuple>

#include <gtest/gtest.h>

#include "base/flight_values.h"
#include "device/sensors.h"
#include "flight/recorded_byte_source.h"
#include "logs/flight_logs.h"
#include "tests/support/flight_test.h"
#include "tests/support/temp_dir.h"

namespace {

std::string Rmc(const std::string& time, const std::string& status = "A") {
  return "$GPRMC," + time + "," + status + ",4807.038,N,01131.000,E,022.4,084.4,230394,,,A*6A\r\n";
}

class AcquisitionLoopTest : public FlightTest {
 protected:
  void SetUp() override {
    FlightTest::SetUp();
    ASSERT_TRUE(OpenFlightLogs(storage.Path().string(), LocalTime{2026, 3, 23, 14, 5, 9}, false));
  }
  // Plays `stream` through a loop to its end; the track log after its A record and date line.
  std::string Fly(const std::string& stream) {
    MemoryByteSource source(stream);
    AcquisitionLoop(source, window).AcquisitionThreadProc();
    const std::string track = ReadFileBytes(g_fileTrack.Path());
    return track.substr(track.find('\n', track.find('\n') + 1) + 1);
  }

  TempDir storage;
  RecordingWindow window;
};

TEST_F(AcquisitionLoopTest, EachAcceptedFixIsShownThenLoggedWithBarometerAndGSensor) {
  ScriptedSensors sensors;
  sensors.altitude = -12;
  sensors.g[0] = 0.12f, sensors.g[1] = -0.03f, sensors.g[2] = -12.5f;
  SetSensorBackend(&sensors);
  OpenSensors(nullptr);
  std::vector<long long> writtenAtShow;
  window.onShow = [&] { writtenAtShow.push_back(g_fileTrack.RecordsWritten() - 1); };
  // Barometric, then GPS altitude: 00000 before any GPGGA, 545 after one.
  EXPECT_EQ(Fly(Rmc("123519") + "$GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,,,,*47" +
                Rmc("123520")),
            "B1235194807038N01131000EA-001200000\nB1235204807038N01131000EA-001200545\n");
  EXPECT_EQ(writtenAtShow, (std::vector<long long>{0, 1}));  // the display comes first
  // The G-sensor is read after the records: each carries the values of the fix before.
  EXPECT_EQ(ReadFileBytes(g_fileAccel.Path()),
            ";x;y;z\n123519; 0.00; 0.00; 0.00\n123520; 0.12;-0.03;-12.50\n");
}

TEST_F(AcquisitionLoopTest, SentencesRunFromADollarToAStar) {
  const std::string rmc = "GPRMC,123519,A,4807.038,N,01131.000,E,022.4,084.4,230394,,,A*";
  const std::tuple<const char*, std::string, std::size_t> cases[] = {
      {"nothing before the first $ is examined, other kinds change nothing",
       "x" + rmc + "6A\r\n$GPGSA,A,3,04,05,,09,12,,,24,,,,,2.5,1.3,2.1*39\r\n", 0},
      {"a second * examines the sentence again", "$" + rmc + "*6A\r\n", 2},
      {"the name counts anywhere after the $", "$XX" + rmc + "6A\r\n", 1},
      {"line noise longer than any sentence is dropped, the next $ starts cleanly",
       "$GPRMC,123519,A," + std::string(200, '7') + "*\r\n" + Rmc("123520"), 1},
      {"a high-precision receiver's long sentence is read",
       "$GPRMC,132820.60,A,4134.49821229,N,09345.03351845,W,3.252,92.308,180320,11.5985,E,D*", 1}};
  for (const auto& [legend, stream, cycles] : cases) {
    const std::size_t before = window.shown.size();
    Fly(stream);
    EXPECT_EQ(window.shown.size() - before, cycles) << legend;
  }
}

TEST_F(AcquisitionLoopTest, RejectedFixesAreShownButNotLogged) {
  // Midnight exactly, no position and no status are not logged; "V" is.
  EXPECT_EQ(Fly(Rmc("000000") + "$GPRMC,123519,A,,N,,E,022.4,084.4,230394,,,A*6A" +
                Rmc("123520", "") + Rmc("123521", "V")),
            "B1235214807038N01131000EV0000000000\n");
  EXPECT_EQ(window.shown.size(), 4u);
  EXPECT_DOUBLE_EQ(g_dTimeBase, 12 * 3600 + 35 * 60 + 19);  // first non-zero time, logged or not
}

TEST_F(AcquisitionLoopTest, RepaintAfterEveryFourthAcceptedFix) {
  std::string stream;
  for (int i = 0; i < 13; ++i)  // rejected fixes in between do not count
    stream += Rmc("1235" + std::to_string(10 + i)) + (i % 3 == 0 ? Rmc("000000") : "");
  std::vector<long long> writtenAtRepaint;
  window.onRepaint = [&] { writtenAtRepaint.push_back(g_fileTrack.RecordsWritten() - 1); };
  Fly(stream);
  EXPECT_EQ(writtenAtRepaint, (std::vector<long long>{4, 8, 12}));
}

TEST_F(AcquisitionLoopTest, TimeOutsAreNoBytesAndAFailedReadReopensThePort) {
  ScriptedByteSource port;
  port.AddBytes("$GPRMC,123519,A,4807.038,N,01131.000,E,022.4,084.4,230394,,,A*");
  port.Add(ReadStatus::kNoByte);  // right after the "*": it must not be taken twice
  port.Add(ReadStatus::kNoByte);
  port.AddBytes("6A\r\n$GPRMC,123520,A,48");
  port.Add(ReadStatus::kFailed);
  port.AddBytes(Rmc("123521"));
  AcquisitionLoop(port, window).AcquisitionThreadProc();
  EXPECT_EQ(window.shown.size(), 2u);  // 123519 once, and 123521 after the reopen
}

// An unplugged receiver: every read fails, and so does every reopen.
struct UnpluggedPort : ByteSource {
  ReadStatus ReadByte(char&) override { return ReadStatus::kFailed; }
  bool Reopen() override { tried.set_value(); return false; }  // a second try throws
  std::promise<void> tried;
};

TEST_F(AcquisitionLoopTest, AfterAFailedReopenTheLoopPausesUntilStopped) {
  UnpluggedPort port;
  AcquisitionLoop loop(port, window, {.reopenPause = std::chrono::hours(1)});
  std::thread worker([&] { loop.AcquisitionThreadProc(); });
  port.tried.get_future().wait();  // one attempt, then the pause: no spinning
  loop.RequestStop();
  worker.join();  // hangs (and the test times out) if the stop does not end the pause
}

}  // namespace
