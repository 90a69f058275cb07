#include "flight/acquisition_loop.h"

#include <condition_variable>
#include <future>
#include <mutex>
#include <sstream>
#include <thread>

#include <gtest/gtest.h>

#include "base/flight_values.h"
#include "device/sensors.h"
#include "flight/recorded_byte_source.h"
#include "logs/flight_logs.h"
#include "tests/support/flight_test.h"
#include "tests/support/temp_dir.h"

namespace {

std::string Rmc(const std::string& time, const std::string& status = "A",
                const std::string& lat = "4807.038", const std::string& lon = "01131.000") {
  return "$GPRMC," + time + "," + status + "," + lat + ",N," + lon + ",E,022.4,084.4,230394,,,A*6A\r\n";
}

std::string Gga(const std::string& time, const std::string& altitude) {
  return "$GPGGA," + time + ",4807.038,N,01131.000,E,1,08,0.9," + altitude + ",M,46.9,M,,*47\r\n";
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

class AcquisitionLoopTest : public FlightTest {
 protected:
  void SetUp() override {
    FlightTest::SetUp();
    ASSERT_TRUE(OpenFlightLogs(storage.Path().string(), LocalTime{2026, 3, 23, 14, 5, 9}, false));
  }

  // Plays `stream` through a loop to its end.
  void Fly(const std::string& stream) {
    MemoryByteSource source(stream);
    AcquisitionLoop loop(source, window);
    loop.AcquisitionThreadProc();
    acceptedFixes = loop.AcceptedFixes();
  }

  // The B records written so far.
  std::vector<std::string> TrackRecords() const {
    auto lines = Lines(ReadFileBytes(g_fileTrack.Path()));
    lines.erase(lines.begin(), lines.begin() + 2);  // A record and date line
    return lines;
  }

  TempDir storage;
  RecordingWindow window;
  long long acceptedFixes = 0;
};

TEST_F(AcquisitionLoopTest, RecordsOneBRecordPerAcceptedFix) {
  Fly(Rmc("123519") + Gga("123519", "545.4") + Rmc("123520"));
  EXPECT_EQ(window.shown.size(), 2u);
  EXPECT_EQ(acceptedFixes, 2);
  // A GPRMC before any GPGGA logs GPS altitude 00000; the next carries 545.
  EXPECT_EQ(TrackRecords(), (std::vector<std::string>{"B1235194807038N01131000EA0000000000",
                                                      "B1235204807038N01131000EA0000000545"}));
  EXPECT_EQ(Lines(ReadFileBytes(g_fileAccel.Path())),
            (std::vector<std::string>{";x;y;z", "123519; 0.00; 0.00; 0.00",
                                      "123520; 0.00; 0.00; 0.00"}));
}

TEST_F(AcquisitionLoopTest, OnlyTextFromADollarOnIsExamined) {
  // Bytes before the first "$" (a receiver switched on mid-sentence) and
  // sentences of other kinds change nothing.
  Fly("xGPRMC,123519,A,4807.038,N,01131.000,E,022.4,084.4,230394,,,A*6A\r\n"
      "$GPGSA,A,3,04,05,,09,12,,,24,,,,,2.5,1.3,2.1*39\r\n"
      "$GPZDA,123519,23,03,2026,00,00*4B\r\n"
      "$PFLAU,0,1,2,1,0,,0,,,*4B\r\n");
  EXPECT_TRUE(window.shown.empty());
  EXPECT_TRUE(TrackRecords().empty());
}

TEST_F(AcquisitionLoopTest, GgaRefreshesTheAltitudeWithoutACycle) {
  MemoryByteSource source(Gga("123519", "-12.5"));
  AcquisitionLoop loop(source, window);
  loop.AcquisitionThreadProc();
  EXPECT_TRUE(window.shown.empty());
  EXPECT_EQ(loop.State().strAltGps, "-0012");
}

TEST_F(AcquisitionLoopTest, ASecondStarExaminesTheSameSentenceAgain) {
  Fly("$GPRMC,123519,A,4807.038,N,01131.000,E,022.4,084.4,230394,,,A**6A\r\n");
  EXPECT_EQ(window.shown.size(), 2u);
  EXPECT_EQ(TrackRecords().size(), 2u);
  // The name counts anywhere after the "$".
  Fly("$XXGPRMC,123519,A,4807.038,N,01131.000,E,022.4,084.4,230394,,,A*6A\r\n");
  EXPECT_EQ(window.shown.size(), 3u);
}

TEST_F(AcquisitionLoopTest, RejectedFixesAreShownButNotLogged) {
  Fly(Rmc("000000") + Rmc("123519", "A", "", "") + Rmc("123520", "") + Rmc("123521", "V"));
  EXPECT_EQ(window.shown.size(), 4u);
  // Midnight exactly, no position and no status are not logged; "V" is.
  EXPECT_EQ(TrackRecords(), (std::vector<std::string>{"B1235214807038N01131000EV0000000000"}));
}

TEST_F(AcquisitionLoopTest, TimeBaseIsTheFirstNonZeroGprmcTimeValidOrNot) {
  Fly(Rmc("") + Rmc("083920", "V", "", ""));
  EXPECT_FALSE(g_bTimeBasePending);
  EXPECT_DOUBLE_EQ(g_dTimeBase, 8 * 3600 + 39 * 60 + 20);
  Fly(Rmc("101010"));
  EXPECT_DOUBLE_EQ(g_dTimeBase, 8 * 3600 + 39 * 60 + 20);  // taken once per process
}

TEST_F(AcquisitionLoopTest, RepaintAfterEveryFourthAcceptedFix) {
  std::string stream;
  for (int i = 0; i < 13; ++i) {
    stream += Rmc("1235" + std::to_string(10 + i));
    if (i % 3 == 0) stream += Rmc("000000");  // rejected fixes do not count
  }
  std::vector<long long> writtenAtRepaint;
  window.onRepaint = [&] { writtenAtRepaint.push_back(g_fileTrack.RecordsWritten() - 1); };
  Fly(stream);
  EXPECT_EQ(writtenAtRepaint, (std::vector<long long>{4, 8, 12}));
  EXPECT_EQ(g_nRedrawCount, 1);
}

TEST_F(AcquisitionLoopTest, DisplayComesBeforeTheLogRecords) {
  std::vector<long long> writtenAtShow;
  window.onShow = [&] { writtenAtShow.push_back(g_fileTrack.RecordsWritten() - 1); };
  Fly(Rmc("123519") + Rmc("123520"));
  EXPECT_EQ(writtenAtShow, (std::vector<long long>{0, 1}));
}

TEST_F(AcquisitionLoopTest, BarometerFeedsTheRecord) {
  ScriptedSensors sensors;
  sensors.altitude = -12;
  SetSensorBackend(&sensors);
  OpenSensors(nullptr);
  ASSERT_TRUE(g_bBaroOpen);
  sensors.g[0] = 0.12f;
  sensors.g[1] = -0.03f;
  sensors.g[2] = -12.5f;
  Fly(Rmc("123519"));
  sensors.altitude = 1234;
  Fly(Rmc("123520"));
  EXPECT_EQ(TrackRecords(), (std::vector<std::string>{"B1235194807038N01131000EA-001200000",
                                                      "B1235204807038N01131000EA0123400000"}));
  // The G-sensor is sampled after the records are written: each
  // acceleration record carries the values of the fix before.
  const auto accel = Lines(ReadFileBytes(g_fileAccel.Path()));
  EXPECT_EQ(accel.end()[-2], "123519; 0.00; 0.00; 0.00");
  EXPECT_EQ(accel.back(), "123520; 0.12;-0.03;-12.50");
}

TEST_F(AcquisitionLoopTest, OverlongTextWithoutDollarIsDropped) {
  // Line noise longer than any sentence, then a "*": nothing is examined,
  // and the next "$" starts cleanly.
  Fly("$GPRMC,123519,A,4807.038,N,01131.000,E," + std::string(200, '7') + "*\r\n" +
      Rmc("123520"));
  EXPECT_EQ(window.shown.size(), 1u);
  // A long sentence of a high-precision receiver is still read.
  Fly("$GPRMC,132820.60,A,4134.49821229,N,09345.03351845,W,3.252,92.308,180320,11.5985,E,D*1A\r\n");
  EXPECT_EQ(window.shown.size(), 2u);
}

// --- The byte loop and its port ---------------------------------------------

class ByteLoopTest : public FlightTest {
 protected:
  RecordingWindow window;
};

TEST_F(ByteLoopTest, AReadWithoutAByteIsNotTakenAsOne) {
  // A port time-out right after the "*" must not repeat the "*".
  ScriptedByteSource port;
  port.AddBytes("$GPRMC,123519,A,4807.038,N,01131.000,E,022.4,084.4,230394,,,A*");
  port.Add(ReadStatus::kNoByte);
  port.Add(ReadStatus::kNoByte);
  port.AddBytes("6A\r\n");
  AcquisitionLoop loop(port, window);
  loop.AcquisitionThreadProc();
  EXPECT_EQ(window.shown.size(), 1u);
  EXPECT_EQ(port.reopens, 0);
}

TEST_F(ByteLoopTest, AFailedReadReopensThePortAndReadingGoesOn) {
  ScriptedByteSource port;
  port.AddBytes("$GPRMC,123519,A,48");
  port.Add(ReadStatus::kFailed);
  port.AddBytes(Rmc("123520"));
  AcquisitionLoop loop(port, window);
  loop.AcquisitionThreadProc();
  EXPECT_EQ(port.reopens, 1);
  EXPECT_EQ(window.shown.size(), 1u);
  EXPECT_EQ(loop.State().strTime, "123520");
}

// A receiver that is silent (or unplugged) until the loop is told to stop.
class SilentPort : public ByteSource {
 public:
  ReadStatus ReadByte(char&) override {
    if (failReads) return ReadStatus::kFailed;
    std::unique_lock<std::mutex> lock(mutex);
    blocked.set_value();
    wake.wait(lock, [this] { return interrupted; });
    return ReadStatus::kNoByte;
  }
  bool Reopen() override {
    ++reopens;
    reopened.set_value();
    return false;  // still unplugged
  }
  void Interrupt() override {
    std::lock_guard<std::mutex> lock(mutex);
    interrupted = true;
    wake.notify_all();
  }

  bool failReads = false;
  int reopens = 0;
  std::promise<void> blocked;
  std::promise<void> reopened;
  std::mutex mutex;
  std::condition_variable wake;
  bool interrupted = false;
};

TEST_F(ByteLoopTest, StopWakesABlockedRead) {
  SilentPort port;
  AcquisitionLoop loop(port, window);
  std::thread worker([&] { loop.AcquisitionThreadProc(); });
  port.blocked.get_future().wait();
  loop.RequestStop();
  worker.join();  // hangs (and the test times out) if the read is not woken
  EXPECT_TRUE(port.interrupted);
}

TEST_F(ByteLoopTest, StopEndsThePauseAfterAFailedReopen) {
  SilentPort port;
  port.failReads = true;
  AcquisitionOptions options;
  options.reopenPause = std::chrono::hours(1);
  AcquisitionLoop loop(port, window, options);
  std::thread worker([&] { loop.AcquisitionThreadProc(); });
  port.reopened.get_future().wait();
  loop.RequestStop();
  worker.join();
  // One attempt, then the pause: an unplugged receiver does not spin.
  EXPECT_EQ(port.reopens, 1);
}

}  // namespace
