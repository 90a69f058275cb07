#include "flight/acquisition_loop.h"

#include <algorithm>
#include <cctype>
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

std::string RmcBody(const std::string& time, const std::string& status = "A",
                    const std::string& talker = "GP") {
  return talker + "RMC," + time + "," + status + ",4807.038,N,01131.000,E,022.4,084.4,230394,,,A";
}
std::string Rmc(const std::string& time, const std::string& status = "A") {
  return Sentence(RmcBody(time, status));
}

// A stream handed out in reads of the given sizes, round and round, as a
// serial line delivers whatever has arrived.
class ChunkedByteSource final : public ByteSource {
 public:
  ChunkedByteSource(std::string bytes, std::vector<std::size_t> sizes)
      : m_bytes(std::move(bytes)), m_sizes(std::move(sizes)) {}
  ReadStatus Read(std::string_view& bytes) override {
    if (m_nPos >= m_bytes.size()) return ReadStatus::kEnded;
    bytes = std::string_view(m_bytes).substr(m_nPos, m_sizes[m_nRead++ % m_sizes.size()]);
    m_nPos += bytes.size();
    return ReadStatus::kBytes;
  }
  bool Reopen() override { return false; }

 private:
  std::string m_bytes;
  std::vector<std::size_t> m_sizes;
  std::size_t m_nPos = 0, m_nRead = 0;
};

class AcquisitionLoopTest : public FlightTest {
 protected:
  void SetUp() override {
    FlightTest::SetUp();
    ASSERT_TRUE(OpenFlightLogs(storage.Path().string(), LocalTime{2026, 3, 23, 14, 5, 9}, {}, false));
  }
  // Plays `stream` through a new loop to its end, in one read or in reads
  // of `sizes`; the records it added to the track log.
  std::string Fly(const std::string& stream, std::vector<std::size_t> sizes = {}) {
    const std::size_t before = ReadFileBytes(g_fileTrack.Path()).size();
    const bool inOneRead = sizes.empty();
    MemoryByteSource whole(stream);
    ChunkedByteSource chunked(stream, std::move(sizes));
    AcquisitionLoop(inOneRead ? static_cast<ByteSource&>(whole) : chunked, window).AcquisitionThreadProc();
    return ReadFileBytes(g_fileTrack.Path()).substr(before);
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
  EXPECT_EQ(Fly(Rmc("123519") + Sentence("GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,,,,") +
                Rmc("123520")),
            "B1235194807038N01131000EA-001200000\nB1235204807038N01131000EA-001200545\n");
  EXPECT_EQ(writtenAtShow, (std::vector<long long>{0, 1}));  // the display comes first
  // The G-sensor is read after the records: each carries the values of the fix before.
  EXPECT_EQ(ReadFileBytes(g_fileAccel.Path()),
            ";x;y;z\n123519; 0.00; 0.00; 0.00\n123520; 0.12;-0.03;-12.50\n");
  // Any barometric altitude fits the record's five columns.
  for (const auto& [altitude, column] : {std::pair{1234567, "99999"}, {99999, "99999"}, {-9999, "-9999"},
                                         {-20000, "-9999"}}) {
    sensors.altitude = altitude;
    EXPECT_EQ(Fly(Rmc("123521")), std::string("B1235214807038N01131000EA") + column + "00000\n");
  }
}

// A barometer found in flight (its driver bound late): the fixes before
// it have no pressure altitude, those after it have, and the step from 0 m
// to its first altitude is no climb.
TEST_F(AcquisitionLoopTest, ABarometerFoundInFlightStartsTheVarioAfresh) {
  ScriptedSensors sensors;
  sensors.altitude = 1500;
  SetSensorBackend(&sensors);
  std::vector<double> varios;
  window.onShow = [&] {
    varios.push_back(g_dVario);
    if (window.shown.size() == 4) g_bBaroOpen = true;
  };
  std::string stream;
  for (int second = 10; second < 30; ++second) stream += Rmc("1235" + std::to_string(second));
  const std::string records = Fly(stream);
  EXPECT_EQ(records.substr(25, 5), "00000");
  EXPECT_EQ(records.substr(4 * 36 + 25, 5), "01500");
  EXPECT_EQ(records.substr(19 * 36 + 25, 5), "01500");
  for (const double vario : varios) EXPECT_NEAR(vario, 0.0, 1e-9);
}

TEST_F(AcquisitionLoopTest, ASentenceIsExaminedOnceWhenItsChecksumHasComeAndMatches) {
  const std::string rmc = Rmc("123519");  // "$GPRMC,...,A*6A\r\n"
  const std::size_t star = rmc.find('*');
  const std::string body = rmc.substr(0, star + 1), sum = rmc.substr(star + 1, 2);
  std::string lowerCase = rmc;
  for (std::size_t i = star + 1; i < star + 3; ++i) lowerCase[i] = static_cast<char>(std::tolower(lowerCase[i]));
  ASSERT_NE(lowerCase, rmc) << "this checksum has no hex letter to write in lower case";
  // "$" + body + "*hh": 160 characters, the most a sentence may have.
  const std::string longestBody = RmcBody("123519") + "," + std::string(155 - RmcBody("123519").size(), '0');
  const std::string longest = Sentence(longestBody);
  ASSERT_EQ(longest.size(), AcquisitionLoop::kMaxSentenceChars + 2);  // and the line end
  const std::tuple<const char*, std::string, std::size_t> cases[] = {
      {"nothing before the first $ is examined, other kinds change nothing",
       "x" + rmc.substr(1) + Sentence("GPGSA,A,3,04,05,,09,12,,,24,,,,,2.5,1.3,2.1"), 0},
      {"the checksum right", rmc, 1},
      {"in lower case", lowerCase, 1},
      {"wrong", body + "6B\r\n", 0},
      {"missing", body + "\r\n" + body, 0},
      {"one digit, then the next sentence", body + "6" + rmc, 1},
      {"a line break inside the sentence", rmc.substr(0, 30) + "\r\n" + rmc.substr(30), 0},
      {"cut short by a $", rmc.substr(0, 30) + rmc, 1},
      {"a second * is line noise, not a second fix", body + sum + "*" + sum + "\r\n", 1},
      {"the name in the wrong place", Sentence("XX" + RmcBody("123519")), 0},
      {"line noise longer than any sentence is dropped, the next $ starts cleanly",
       "$GPRMC,123519,A," + std::string(200, '7') + "*\r\n" + Rmc("123520"), 1},
      {"a high-precision receiver's long sentence is read",
       Sentence("GPRMC,132820.60,A,4134.49821229,N,09345.03351845,W,3.252,92.308,180320,11.5985,E,D"), 1},
      {"the longest sentence taken", longest, 1},
      {"one character longer", Sentence(longestBody + "0"), 0}};
  // However the line cuts the stream into reads.
  for (const std::vector<std::size_t>& sizes : {std::vector<std::size_t>{}, {1}, {2, 7, 1, 30, 3}, {64}}) {
    for (const auto& [legend, stream, cycles] : cases) {
      const std::size_t before = window.shown.size();
      Fly(stream, sizes);
      EXPECT_EQ(window.shown.size() - before, cycles) << legend << ", reads of " << sizes.size() << " sizes";
    }
  }
}

TEST_F(AcquisitionLoopTest, EveryReceiversTalkerGivesTheSameRecordsAndOneFixOneCycle) {
  const std::string gp = Fly(Rmc("123519"));
  ASSERT_EQ(gp, "B1235194807038N01131000EA0000000000\n");
  for (const char* talker : {"GN", "GL", "GA", "GB", "BD", "GQ"}) {
    EXPECT_EQ(Fly(Sentence(RmcBody("123519", "A", talker))), gp) << talker;
  }
  EXPECT_EQ(Fly(Sentence(RmcBody("123519", "A", "XY"))), "") << "an unknown talker";
  // The same fix under two talkers, as combined receivers send it, and a
  // receiver sending fixes twice a second: one cycle a second.
  window.shown.clear();
  // A short time field is the second the record would hold ("1235" is
  // 123500), not other characters.
  EXPECT_EQ(Fly(Rmc("123520") + Sentence(RmcBody("123520", "A", "GN")) + Rmc("123521.00") +
                Rmc("123521.50") + Rmc("123500.00") + Rmc("1235")),
            "B1235204807038N01131000EA0000000000\nB1235214807038N01131000EA0000000000\n"
            "B1235004807038N01131000EA0000000000\n");
  EXPECT_EQ(window.shown.size(), 3u);
}

TEST_F(AcquisitionLoopTest, RejectedFixesAreShownButNotLogged) {
  // Midnight exactly, no position, no status or a status of two letters are
  // not logged; "V" is, and so are fixes a few metres from Greenwich and
  // from the equator.
  EXPECT_EQ(Fly(Rmc("000000") + Sentence("GPRMC,123519,A,,N,,E,022.4,084.4,230394,,,A") +
                Rmc("123520", "") + Rmc("123521", "AV") + Rmc("123522", "V") +
                Sentence("GPRMC,120141.00,A,5130.0286,N,00000.0039,E,5.0,90.0,230394,,,A") +
                Sentence("GPRMC,120142.00,A,0000.0042,S,01131.000,E,5.0,90.0,230394,,,A")),
            "B1235224807038N01131000EV0000000000\nB1201415130028N00000003EA0000000000\n"
            "B1201420000004S01131000EA0000000000\n");
  EXPECT_EQ(window.shown.size(), 7u);
  // A fix whose B record cannot be formed (a status X, a second 60, a
  // letter inside the latitude) is no fix: neither log takes it, so both
  // keep one line per accepted fix.
  EXPECT_EQ(Fly(Rmc("123523", "X") + Rmc("123560") +
                Sentence("GPRMC,123524,A,48x7.038,N,01131.000,E,022.4,084.4,230394,,,A") + Rmc("123525")),
            "B1235254807038N01131000EA0000000000\n");
  const std::string accel = ReadFileBytes(g_fileAccel.Path());
  EXPECT_EQ(std::count(accel.begin(), accel.end(), '\n'), 1 + 4) << accel;
  EXPECT_DOUBLE_EQ(g_dTimeBase, 12 * 3600 + 35 * 60 + 19);  // first non-zero time, logged or not
}

// The track's date line is the UTC date of the first accepted fix, from its
// GPRMC date; the log names keep the local time of the start.
TEST_F(AcquisitionLoopTest, TheTrackIsDatedByItsFirstFixInUtc) {
  const auto rmc = [](const std::string& time, const std::string& date) {
    return Sentence("GPRMC," + time + ",A,4807.038,N,01131.000,E,022.4,084.4," + date + ",,,A");
  };
  constexpr int kHour = 3600;
  const std::tuple<const char*, LocalTime, std::string, const char*, const char*> cases[] = {
      // legend, local start, stream, log name stamp, date line
      {"California evening: the UTC day after the local one", {2026, 3, 23, 17, 30, 0, -7 * kHour},
       rmc("003001", "240326") + rmc("003002", "240326"), "230326173000", "HFDTE240326"},
      {"eastern Australia in the morning: the UTC day before", {2026, 3, 24, 8, 0, 0, 10 * kHour},
       rmc("220001", "230326"), "240326080000", "HFDTE230326"},
      {"across UTC midnight: the first fix's date stays", {2026, 7, 15, 23, 59, 0},
       rmc("235958", "150726") + rmc("235959", "150726") + rmc("000000", "160726") +
           rmc("000001", "160726"), "150726235900", "HFDTE150726"},
      {"a clock never set: the fix's date", {1970, 1, 1, 0, 0, 42},
       rmc("120000", "150726"), "010170000042", "HFDTE150726"},
      {"a first fix without a date: the clock's UTC date", {2026, 3, 23, 17, 30, 0, -7 * kHour},
       rmc("003001", "") + rmc("003002", "250326"), "230326173000", "HFDTE240326"},
      {"a broken date", {2026, 3, 23, 17, 30, 0, -7 * kHour},
       rmc("003001", "310426") + rmc("003002", "2403x6"), "230326173000", "HFDTE240326"},
      {"a fix that is not accepted does not date the track", {2026, 3, 23, 17, 30, 0, -7 * kHour},
       rmc("000000", "010101") + rmc("003001", "240326"), "230326173000", "HFDTE240326"},
      {"no fix at all: the clock's UTC date", {2026, 3, 24, 8, 0, 0, 10 * kHour},
       Sentence("GPRMC,,V,,,,,,,,,,N"), "240326080000", "HFDTE230326"}};
  for (const auto& [legend, start, stream, stamp, dateLine] : cases) {
    SCOPED_TRACE(legend);
    CloseFlightLogs();
    std::filesystem::remove_all(storage / "FlyData");
    ASSERT_TRUE(OpenFlightLogs(storage.Path().string(), start, {}, true));
    const std::size_t headerSize = ReadFileBytes(g_fileTrack.Path()).size();
    Fly(stream);
    EXPECT_EQ(g_fileTrack.Path().filename(), "trk_" + std::string(stamp) + ".IGC");
    const std::string track = ReadFileBytes(g_fileTrack.Path());
    EXPECT_EQ(track.substr(0, 20), "AHOL001\n" + std::string(dateLine) + "\n");
    // The header keeps its size: the date was written over in place.
    const std::size_t firstRecord = track.find("\nB");
    EXPECT_EQ(firstRecord == std::string::npos ? track.size() : firstRecord + 1, headerSize);
  }
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
  const std::string rmc = Rmc("123519");
  port.AddBytes(rmc.substr(0, rmc.size() - 3));
  port.Add(ReadStatus::kNoByte);  // before the last checksum digit: it must not be taken twice
  port.Add(ReadStatus::kNoByte);
  port.AddBytes(rmc.substr(rmc.size() - 3) + "$GPRMC,123520,A,48");
  port.Add(ReadStatus::kFailed);
  port.AddBytes(Rmc("123521"));
  AcquisitionLoop(port, window).AcquisitionThreadProc();
  EXPECT_EQ(window.shown.size(), 2u);  // 123519 once, and 123521 after the reopen
}

// An unplugged receiver: every read fails, and so does every reopen.
struct UnpluggedPort : ByteSource {
  ReadStatus Read(std::string_view&) override { return ReadStatus::kFailed; }
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
