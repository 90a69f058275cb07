#include "tests/support/gpsd_watch.h"

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <cmath>
#include <cstdlib>
#include <vector>

#include "flight/nmea_reader.h"

extern char** environ;

namespace {

// The number after "name": in a JSON report, NAN without one.
double JsonNumber(const std::string& report, const std::string& name) {
  const std::size_t at = report.find("\"" + name + "\":");
  return at == std::string::npos ? NAN : std::strtod(report.c_str() + at + name.size() + 3, nullptr);
}

// ddmm.mmmm as degrees, signed by its hemisphere.
double Degrees(const std::string& field, const std::string& hemisphere) {
  const double value = std::stod(field);
  const double degrees = std::floor(value / 100) + std::fmod(value, 100) / 60;
  return hemisphere == "S" || hemisphere == "W" ? -degrees : degrees;
}

}  // namespace

GpsdWatch::GpsdWatch(const std::string& source) {
  // In the foreground, reading at once, never writing to its source.
  const std::string port = std::to_string(FreeTcpPort());
  std::vector<const char*> args = {kGpsdProgram, "-N", "-n", "-b", "-S", port.c_str(), source.c_str(), nullptr};
  if (::posix_spawn(&m_pid, kGpsdProgram, nullptr, nullptr, const_cast<char**>(args.data()), environ) != 0) {
    m_pid = -1;
    return;
  }
  std::unique_ptr<StreamClient> watcher;
  if (!WaitFor([&] {
        watcher = std::make_unique<StreamClient>(std::stoi(port));
        return watcher->Connected();
      })) {
    return;
  }
  watcher->Send("?WATCH={\"enable\":true,\"json\":true};\n");
  watcher->ReadLines(3);   // its version, devices and watch
  m_pWatcher = std::move(watcher);
}

GpsdWatch::~GpsdWatch() {
  if (m_pid <= 0) return;
  ::kill(m_pid, SIGTERM);
  ::waitpid(m_pid, nullptr, 0);
}

const std::string& GpsdWatch::Reports() const {
  static const std::string none;
  return m_pWatcher ? m_pWatcher->Received() : none;
}

Fixes GpsdWatch::Reported() {
  Fixes fixes;
  if (!m_pWatcher) return fixes;
  m_pWatcher->ReadAvailable();
  const std::string& reports = m_pWatcher->Received();
  for (std::size_t from = 0, end = reports.find('\n'); end != std::string::npos;
       from = end + 1, end = reports.find('\n', from)) {
    const std::string report = reports.substr(from, end - from);
    const std::size_t time = report.find("\"time\":\"");
    if (report.find("\"class\":\"TPV\"") == std::string::npos || time == std::string::npos) continue;
    fixes[report.substr(time + 8, 19)] = {JsonNumber(report, "lat"), JsonNumber(report, "lon")};
  }
  return fixes;
}

Fixes RmcFixes(const std::string& stream) {
  Fixes fixes;
  for (std::size_t at = stream.find("RMC,"); at != std::string::npos; at = stream.find("RMC,", at + 1)) {
    const std::size_t dollar = stream.rfind('$', at);
    const std::string rmc = stream.substr(dollar, stream.find('\n', at) - dollar);
    // Fields from 1, the sentence's name.
    const std::string t = NmeaField(rmc, 2), date = NmeaField(rmc, 10);
    if (NmeaField(rmc, 3) != "A" || t.size() < 6 || date.size() != 6) continue;
    const std::string iso = "20" + date.substr(4, 2) + "-" + date.substr(2, 2) + "-" + date.substr(0, 2) + "T" +
                            t.substr(0, 2) + ":" + t.substr(2, 2) + ":" + t.substr(4, 2);
    fixes[iso] = {Degrees(NmeaField(rmc, 4), NmeaField(rmc, 5)), Degrees(NmeaField(rmc, 6), NmeaField(rmc, 7))};
  }
  return fixes;
}
