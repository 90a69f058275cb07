// alarm-feed: a traffic device on the instrument's GPS port, for the
// alarm's end-to-end test and its delay benchmark. It binds DIR/COM7 to a
// pseudo-terminal and puts a steady barometer and compass into DIR/sys (as
// flight-sim run does: no message about a missing sensor holds the window
// back, and the vario is silent), waits for the instrument to read, and
// sends a fix and a quiet $PFLAU each second. Every eighth second
// it starts an alarm: at a random moment 0.2 to 0.8 s after a fix, a $PFLAU
// of level 2 (then 3 a second later, then level 2 again), for three
// seconds, then a quiet $PFLAU ends it. For each it prints the wall-clock
// moment its line was in the port, in seconds since the epoch:
//
//   alarm 1765130000.1234    the alarm's first line
//   clear 1765130003.4567    the line that ends it
//
//   alarm-feed --storage DIR [--alarms N] [--no-fixes-in-alarms] [--climb M/S] [--seed N]
// --no-fixes-in-alarms holds the fixes back while an alarm lasts, so that
// what the instrument shows then can only have come from the alarm's lines.
// --climb makes the barometer climb steadily (written 50 times a second),
// so that the vario beeps when the alarm comes, as in a thermal.
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <thread>

#include "bench/epoch_seconds.h"
#include "tools/sim_gps_port.h"
#include "tools/sim_sensor_tree.h"

namespace {

using Clock = std::chrono::steady_clock;

std::string Sentence(const std::string& body) {
  unsigned char sum = 0;
  for (const char c : body) sum ^= static_cast<unsigned char>(c);
  char hex[3];
  std::snprintf(hex, sizeof hex, "%02X", sum);
  return "$" + body + "*" + hex + "\r\n";
}

std::string Fix(int second) {
  char time[16];
  std::snprintf(time, sizeof time, "12%02d%02d", second / 60 % 60, second % 60);
  return Sentence(std::string("GPRMC,") + time + ",A,4807.038,N,01131.000,E,022.4,084.4,150726,,,A") +
         Sentence(std::string("GPGGA,") + time + ",4807.038,N,01131.000,E,1,08,0.9,1545.4,M,46.9,M,,");
}

}  // namespace

int main(int argc, char** argv) {
  std::string storage;
  int alarms = 10;
  bool fixesInAlarms = true;
  double climb = 0;
  unsigned seed = 1;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--storage" && i + 1 < argc) storage = argv[++i];
    else if (arg == "--alarms" && i + 1 < argc) alarms = std::atoi(argv[++i]);
    else if (arg == "--seed" && i + 1 < argc) seed = static_cast<unsigned>(std::atoi(argv[++i]));
    else if (arg == "--climb" && i + 1 < argc) climb = std::atof(argv[++i]);
    else if (arg == "--no-fixes-in-alarms") fixesInAlarms = false;
    else return std::fprintf(stderr, "usage: alarm-feed --storage DIR [--alarms N] [--no-fixes-in-alarms] [--climb M/S] [--seed N]\n"), 2;
  }
  if (storage.empty()) return std::fprintf(stderr, "alarm-feed: --storage DIR is needed\n"), 2;
  SimSensorTree sensors(storage, 0);
  sensors.UpdatePressure(1545);
  sensors.UpdateAttitude(84, 0, 90);
  SimGpsPort port(storage, 7);
  port.Send("\r\n");  // the instrument's test read at its open
  port.WaitUntilRead([] { return false; });

  const std::string quiet = Sentence("PFLAU,1,1,2,1,0,,0,,");
  const std::string target = Sentence("PFLAA,2,180,-104,25,2,DD8F12,90,0,30,0.5,1");
  std::mt19937 random(seed);
  std::uniform_real_distribution<double> offset(0.2, 0.8);
  const Clock::time_point start = Clock::now();
  const auto second = [&](int s) { return start + std::chrono::milliseconds(1000 * s); };
  // Waits until `when`, the barometer following the climb meanwhile.
  const auto waitUntil = [&](Clock::time_point when) {
    while (climb != 0 && Clock::now() + std::chrono::milliseconds(20) < when) {
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
      sensors.UpdatePressure(1545 + climb * std::chrono::duration<double>(Clock::now() - start).count());
    }
    std::this_thread::sleep_until(when);
  };
  for (int s = 0; s < 8 * alarms + 3; ++s) {
    waitUntil(second(s));
    const int phase = s % 8;  // the alarm lasts from phase 3 to 6
    const bool alarmed = phase >= 3 && phase <= 6;
    if (!alarmed || fixesInAlarms) port.Send(Fix(s));
    if (s < 8 * alarms && phase == 3) {
      waitUntil(second(s) + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(offset(random))));
      port.Send(target + Sentence("PFLAU,1,1,2,1,2,-30,2,25,207,DD8F12"));
      std::printf("alarm %.4f\n", EpochSeconds());
    } else if (s < 8 * alarms && (phase == 4 || phase == 5)) {
      port.Send(target + Sentence(phase == 4 ? "PFLAU,1,1,2,1,3,-30,2,25,150,DD8F12"
                                             : "PFLAU,1,1,2,1,2,-30,2,25,207,DD8F12"));
    } else if (s < 8 * alarms && phase == 6) {
      waitUntil(second(s) + std::chrono::milliseconds(500));
      port.Send(quiet);
      std::printf("clear %.4f\n", EpochSeconds());
    } else {
      port.Send(quiet);
    }
    std::fflush(stdout);
  }
  return 0;
}
