// A real NMEA client at the far end of the stream: Debian's gpsd, reading
// the server as it reads a networked receiver, must report the fixes of
// the recording the acquisition loop passed on.
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cmath>
#include <map>
#include <string>
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

constexpr const char* kGpsd = "/usr/sbin/gpsd";

using Fixes = std::map<std::string, std::pair<double, double>>;   // ISO time -> latitude, longitude

// The number after "name": in a JSON report, NAN without one.
double JsonNumber(const std::string& report, const std::string& name) {
  const std::size_t at = report.find("\"" + name + "\":");
  return at == std::string::npos ? NAN : std::strtod(report.c_str() + at + name.size() + 3, nullptr);
}
// ddmm.mmmm as degrees.
double Degrees(const std::string& field) {
  const double value = std::stod(field);
  return std::floor(value / 100) + std::fmod(value, 100) / 60;
}

Fixes RecordedFixes(const std::string& stream) {
  Fixes fixes;
  for (std::size_t at = stream.find("$GPRMC"); at != std::string::npos; at = stream.find("$GPRMC", at + 1)) {
    const std::string rmc = stream.substr(at, stream.find('\n', at) - at);
    const std::string t = NmeaField(rmc, 2);
    fixes["2021-04-17T" + t.substr(0, 2) + ":" + t.substr(2, 2) + ":" + t.substr(4, 2)] = {
        Degrees(NmeaField(rmc, 4)), Degrees(NmeaField(rmc, 6))};
  }
  return fixes;
}

Fixes ReportedFixes(const std::string& reports) {
  Fixes fixes;
  for (std::size_t from = 0, end = reports.find('\n'); end != std::string::npos; from = end + 1, end = reports.find('\n', from)) {
    const std::string report = reports.substr(from, end - from);
    const std::size_t time = report.find("\"time\":\"");
    if (report.find("\"class\":\"TPV\"") == std::string::npos || time == std::string::npos) continue;
    fixes[report.substr(time + 8, 19)] = {JsonNumber(report, "lat"), JsonNumber(report, "lon")};
  }
  return fixes;
}

TEST(GpsdTest, GpsdReadingTheStreamReportsTheFixesOfTheRecording) {
  SKIP_WITHOUT_RECORDINGS();
  if (::access(kGpsd, X_OK) != 0) GTEST_SKIP() << "gpsd is not installed (scripts/test.sh installs Debian's gpsd)";
  NmeaOutput output;
  OutputSettings settings;
  settings.tcpPort = 0;
  settings.tcpAddress = "127.0.0.1";
  output.Start(settings, nullptr);

  // In the foreground, reading at once, never writing to its source.
  const std::string port = std::to_string(FreeTcpPort());
  const std::string source = "tcp://127.0.0.1:" + std::to_string(output.TcpPort());
  std::vector<const char*> args = {kGpsd, "-N", "-n", "-b", "-S", port.c_str(), source.c_str(), nullptr};
  pid_t gpsd = -1;
  ASSERT_EQ(::posix_spawn(&gpsd, kGpsd, nullptr, nullptr, const_cast<char**>(args.data()), environ), 0);
  std::unique_ptr<StreamClient> watcher;
  const bool watching = WaitFor([&] {
    watcher = std::make_unique<StreamClient>(std::stoi(port));
    return watcher->Connected() && output.TcpClients() == 1;
  });
  if (watching) {
    watcher->Send("?WATCH={\"enable\":true,\"json\":true};\n");
    watcher->ReadLines(3);   // its version, devices and watch
    // Two minutes of the thermal flight, RMC and GGA each second.
    std::string flight = ReadFileBytes(RecordingPath("paraglider-thermals.nmea"));
    std::size_t end = 0;
    for (int line = 0; line < 240; ++line) end = flight.find('\n', end) + 1;
    flight.resize(end);
    MemoryByteSource receiver(flight);
    RecordingWindow window;
    AcquisitionLoop loop(receiver, window);
    loop.PassSentencesTo(&output);
    loop.AcquisitionThreadProc();

    const Fixes recorded = RecordedFixes(flight);
    ASSERT_EQ(recorded.size(), 120u);
    WaitFor([&] { return watcher->ReadAvailable() && ReportedFixes(watcher->Received()).size() == recorded.size(); });
    const Fixes reported = ReportedFixes(watcher->Received());
    EXPECT_EQ(reported.size(), recorded.size()) << watcher->Received().substr(0, 1000);
    for (const auto& [time, position] : reported) {
      ASSERT_EQ(recorded.count(time), 1u) << time;
      EXPECT_NEAR(position.first, recorded.at(time).first, 1e-7) << time;
      EXPECT_NEAR(position.second, recorded.at(time).second, 1e-7) << time;
    }
  }
  ::kill(gpsd, SIGTERM);
  ::waitpid(gpsd, nullptr, 0);
  EXPECT_TRUE(watching) << "gpsd did not start reading the stream";
}

}  // namespace
