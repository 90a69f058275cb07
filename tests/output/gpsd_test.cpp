// A real NMEA client at the far end of the stream: Debian's gpsd, reading
// the server as it reads a networked receiver, must report the fixes of
// the recording the acquisition loop passed on.
#include <unistd.h>

#include <string>

#include <gtest/gtest.h>

#include "flight/acquisition_loop.h"
#include "flight/recorded_byte_source.h"
#include "output/nmea_output.h"
#include "tests/support/flight_test.h"
#include "tests/support/gpsd_watch.h"
#include "tests/support/stream_client.h"
#include "tests/support/temp_dir.h"

namespace {

TEST(GpsdTest, GpsdReadingTheStreamReportsTheFixesOfTheRecording) {
  SKIP_WITHOUT_RECORDINGS();
  if (::access(kGpsdProgram, X_OK) != 0) GTEST_SKIP() << "gpsd is not installed (scripts/test.sh installs Debian's gpsd)";
  NmeaOutput output;
  OutputSettings settings;
  settings.tcpPort = 0;
  settings.tcpAddress = "127.0.0.1";
  output.Start(settings, nullptr);

  GpsdWatch gpsd("tcp://127.0.0.1:" + std::to_string(output.TcpPort()));
  ASSERT_TRUE(gpsd.Watching() && WaitFor([&] { return output.TcpClients() == 1; }))
      << "gpsd did not start reading the stream";
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

  const Fixes recorded = RmcFixes(flight);
  ASSERT_EQ(recorded.size(), 120u);
  WaitFor([&] { return gpsd.Reported().size() == recorded.size(); });
  const Fixes reported = gpsd.Reported();
  EXPECT_EQ(reported.size(), recorded.size()) << gpsd.Reports().substr(0, 1000);
  for (const auto& [time, position] : reported) {
    ASSERT_EQ(recorded.count(time), 1u) << time;
    EXPECT_NEAR(position.first, recorded.at(time).first, 1e-7) << time;
    EXPECT_NEAR(position.second, recorded.at(time).second, 1e-7) << time;
  }
}

}  // namespace
