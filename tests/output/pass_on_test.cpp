// The GPS port's sentences through the whole road out: the acquisition
// loop's hand-over, the server, and at the far end a byte-for-byte reader
// and a real NMEA client, Debian's gpsd.
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "flight/acquisition_loop.h"
#include "flight/nmea_reader.h"
#include "flight/recorded_byte_source.h"
#include "output/nmea_output.h"
#include "tests/output/stream_client.h"
#include "tests/support/flight_test.h"
#include "tests/support/temp_dir.h"

extern char** environ;

namespace {

// Hands each sentence to the output and keeps a copy.
class TeeSink final : public SentenceSink {
 public:
  explicit TeeSink(NmeaOutput& output) : m_output(output) {}
  void PassOn(std::string_view sentence) override {
    passedOn += std::string(sentence) + "\r\n";
    m_output.PassOn(sentence);
  }
  std::string passedOn;

 private:
  NmeaOutput& m_output;
};

// A recording as a receiver sends it: a line at a time, `pause` apart.
class PacedByteSource final : public ByteSource {
 public:
  PacedByteSource(std::string bytes, std::chrono::microseconds pause) : m_bytes(std::move(bytes)), m_pause(pause) {}
  ReadStatus Read(std::string_view& bytes) override {
    if (m_nPos >= m_bytes.size()) return ReadStatus::kEnded;
    const std::size_t end = std::min(m_bytes.find('\n', m_nPos), m_bytes.size() - 1) + 1;
    bytes = std::string_view(m_bytes).substr(m_nPos, end - m_nPos);
    m_nPos = end;
    std::this_thread::sleep_for(m_pause);
    return ReadStatus::kBytes;
  }
  bool Reopen() override { return false; }

 private:
  std::string m_bytes;
  std::chrono::microseconds m_pause;
  std::size_t m_nPos = 0;
};

class PassOnTest : public FlightTest {
 protected:
  void SetUp() override {
    FlightTest::SetUp();
    OutputSettings settings;
    settings.tcpPort = 0;
    settings.tcpAddress = "127.0.0.1";
    output.Start(settings, nullptr);
    ASSERT_NE(output.TcpPort(), 0);
  }
  // Flies `stream` through the loop, a line every `pause`; what it passed on.
  std::string Fly(std::string stream, std::chrono::microseconds pause) {
    TeeSink tee(output);
    PacedByteSource source(std::move(stream), pause);
    AcquisitionLoop loop(source, window);
    loop.PassSentencesTo(&tee);
    loop.AcquisitionThreadProc();
    return tee.passedOn;
  }

  NmeaOutput output;
  RecordingWindow window;
};

TEST_F(PassOnTest, AnAppGetsTheWholeValidSentencesOfADamagedStreamByteForByte) {
  SKIP_WITHOUT_RECORDINGS();
  StreamClient app(output.TcpPort());
  ASSERT_TRUE(WaitFor([&] { return output.TcpClients() == 1; }));
  const std::string passedOn = Fly(ReadFileBytes(RecordingPath("receiver-coldboot-torture.nmea")), 100us);
  const auto sentences = static_cast<std::size_t>(std::count(passedOn.begin(), passedOn.end(), '\n'));
  ASSERT_GT(sentences, 90u);
  EXPECT_EQ(app.ReadLines(sentences), passedOn);
}

// gpsd, reading the instrument's stream as it reads a networked receiver.
class Gpsd {
 public:
  static std::string Program() {
    for (const char* path : {"/usr/sbin/gpsd", "/usr/bin/gpsd"}) {
      if (::access(path, X_OK) == 0) return path;
    }
    return {};
  }
  Gpsd(int sourcePort, int port) : m_nPort(port) {
    const std::string program = Program();
    const std::string source = "tcp://127.0.0.1:" + std::to_string(sourcePort);
    const std::string portText = std::to_string(port);
    // In the foreground, reading at once, never writing to the source.
    std::vector<const char*> args = {program.c_str(), "-N", "-n", "-b", "-S", portText.c_str(), source.c_str(), nullptr};
    if (::posix_spawn(&m_pid, program.c_str(), nullptr, nullptr, const_cast<char**>(args.data()), environ) != 0) {
      m_pid = -1;
    }
  }
  ~Gpsd() {
    if (m_pid <= 0) return;
    ::kill(m_pid, SIGTERM);
    ::waitpid(m_pid, nullptr, 0);
  }
  // A client of gpsd's own, watching its reports as JSON.
  std::unique_ptr<StreamClient> Watch() const {
    std::unique_ptr<StreamClient> watcher;
    WaitFor([&] {
      watcher = std::make_unique<StreamClient>(m_nPort);
      return watcher->Connected();
    });
    watcher->Send("?WATCH={\"enable\":true,\"json\":true};\n");
    return watcher;
  }

 private:
  pid_t m_pid = -1;
  int m_nPort;
};

// The number after "name": in a JSON report, NAN without one.
double JsonNumber(const std::string& report, const std::string& name) {
  const std::size_t at = report.find("\"" + name + "\":");
  return at == std::string::npos ? NAN : std::strtod(report.c_str() + at + name.size() + 3, nullptr);
}
std::string JsonText(const std::string& report, const std::string& name) {
  const std::size_t at = report.find("\"" + name + "\":\"");
  if (at == std::string::npos) return {};
  const std::size_t from = at + name.size() + 4;
  return report.substr(from, report.find('"', from) - from);
}
// ddmm.mmmm as decimal degrees.
double Degrees(const std::string& field) {
  const double value = std::stod(field);
  return std::floor(value / 100) + std::fmod(value, 100) / 60;
}

TEST_F(PassOnTest, GpsdReadingTheStreamReportsTheFixesOfTheRecording) {
  SKIP_WITHOUT_RECORDINGS();
  if (Gpsd::Program().empty()) GTEST_SKIP() << "gpsd is not installed (scripts/test.sh installs Debian's gpsd)";
  Gpsd gpsd(output.TcpPort(), FreeTcpPort());
  ASSERT_TRUE(WaitFor([&] { return output.TcpClients() == 1; })) << "gpsd did not connect";
  const std::unique_ptr<StreamClient> watcher = gpsd.Watch();
  ASSERT_TRUE(watcher->Connected());
  ASSERT_NE(watcher->ReadLines(2).find("\"class\":\"WATCH\""), std::string::npos);

  // Two minutes of the thermal flight: 120 fixes, each RMC and GGA.
  const std::string flight = ReadFileBytes(RecordingPath("paraglider-thermals.nmea"));
  std::size_t end = 0;
  for (int line = 0; line < 240; ++line) end = flight.find('\n', end) + 1;
  Fly(flight.substr(0, end), 2ms);

  // time -> latitude, longitude as the recording's RMC sentences give them.
  std::map<std::string, std::pair<double, double>> recorded;
  for (std::size_t at = flight.find("$GPRMC"); at < end; at = flight.find("$GPRMC", at + 1)) {
    const std::string rmc = flight.substr(at, flight.find('\n', at) - at);
    const std::string hhmmss = NmeaField(rmc, 2).substr(0, 6);
    const std::string time = "2021-04-17T" + hhmmss.substr(0, 2) + ":" + hhmmss.substr(2, 2) + ":" + hhmmss.substr(4, 2);
    recorded[time] = {Degrees(NmeaField(rmc, 4)), Degrees(NmeaField(rmc, 6))};
  }
  ASSERT_EQ(recorded.size(), 120u);

  std::map<std::string, std::pair<double, double>> reported;
  WaitFor([&] {
    watcher->ReadAvailable();
    return watcher->Received().find(recorded.rbegin()->first) != std::string::npos;
  });
  std::size_t from = 0;
  for (std::size_t line = watcher->Received().find('\n'); line != std::string::npos;
       from = line + 1, line = watcher->Received().find('\n', from)) {
    const std::string report = watcher->Received().substr(from, line - from);
    if (report.find("\"class\":\"TPV\"") == std::string::npos || std::isnan(JsonNumber(report, "lat"))) continue;
    reported[JsonText(report, "time").substr(0, 19)] = {JsonNumber(report, "lat"), JsonNumber(report, "lon")};
  }
  // gpsd may need the first fixes to tell the kind of receiver.
  std::size_t matched = 0;
  for (const auto& [time, position] : recorded) {
    const auto found = reported.find(time);
    if (found == reported.end()) continue;
    ++matched;
    EXPECT_NEAR(found->second.first, position.first, 1e-7) << time;
    EXPECT_NEAR(found->second.second, position.second, 1e-7) << time;
  }
  EXPECT_GE(matched, recorded.size() - 2) << watcher->Received().substr(0, 2000);
  EXPECT_EQ(reported.size(), matched) << "fixes that are not in the recording";
}

}  // namespace
