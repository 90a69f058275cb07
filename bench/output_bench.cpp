// What the NMEA output costs the threads that make the sentences (the
// acquisition thread, the barometer's): handing one sentence over with no
// Output.txt, and with one app on the loopback that keeps reading; and
// making one $LK8EX1. Ten $LK8EX1 and a few GPS sentences a second times
// these is the output's share of a core on those threads.
#include <benchmark/benchmark.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <cstring>
#include <thread>

#include "output/lk8ex1.h"
#include "output/nmea_output.h"

namespace {

constexpr const char* kGga = "$GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,,,,*6C";

void BM_PassOnWithoutOutput(benchmark::State& state) {
  NmeaOutput output;
  for (auto _ : state) output.PassOn(kGga);
}
BENCHMARK(BM_PassOnWithoutOutput);

void BM_PassOnToOneApp(benchmark::State& state) {
  NmeaOutput output;
  OutputSettings settings;
  settings.tcpPort = 0;
  settings.tcpAddress = "127.0.0.1";
  output.Start(settings, nullptr);
  const int app = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in to{};
  to.sin_family = AF_INET;
  to.sin_port = htons(static_cast<uint16_t>(output.TcpPort()));
  to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (::connect(app, reinterpret_cast<const sockaddr*>(&to), sizeof to) != 0) state.SkipWithError("no connection");
  std::atomic<std::size_t> received{0};
  std::thread reading([app, &received] {
    char bytes[65536];
    ssize_t count = 0;
    while ((count = ::recv(app, bytes, sizeof bytes, 0)) > 0) received += static_cast<std::size_t>(count);
  });
  while (output.TcpClients() == 0) std::this_thread::yield();
  std::size_t sent = 0;
  for (auto _ : state) {
    output.PassOn(kGga);
    // An app reads a few sentences a second; here it is given the time to
    // keep up, outside the time measured.
    if (++sent % 64 == 0) {
      state.PauseTiming();
      while (received < (sent - 64) * (std::strlen(kGga) + 2)) std::this_thread::yield();
      state.ResumeTiming();
    }
  }
  if (output.DroppedClients() != 0) state.SkipWithError("the app could not keep up and was dropped");
  output.Stop();   // the app's reading ends with the connection
  reading.join();
  ::close(app);
}
BENCHMARK(BM_PassOnToOneApp);

void BM_Lk8ex1Sentence(benchmark::State& state) {
  const Lk8ex1Values values{94512.3, -1.23, 21.4, 87};
  for (auto _ : state) benchmark::DoNotOptimize(Lk8ex1Sentence(values));
}
BENCHMARK(BM_Lk8ex1Sentence);

}  // namespace

BENCHMARK_MAIN();
