// Debian's gpsd as a real NMEA client of the instrument's stream: started
// in the foreground on a source ("tcp://127.0.0.1:10110"), with a watcher
// on its own port taking its JSON reports; and the fixes those reports and
// a stream's RMC sentences give, to compare.
#pragma once

#include <sys/types.h>

#include <map>
#include <memory>
#include <string>
#include <utility>

#include "tests/support/stream_client.h"

inline constexpr const char* kGpsdProgram = "/usr/sbin/gpsd";

// ISO time "2021-04-17T12:00:01" -> latitude, longitude [deg]
using Fixes = std::map<std::string, std::pair<double, double>>;

class GpsdWatch {
 public:
  // gpsd reading `source`; Watching() once it is up and its watcher on.
  explicit GpsdWatch(const std::string& source);
  ~GpsdWatch();   // gpsd ended
  GpsdWatch(const GpsdWatch&) = delete;
  GpsdWatch& operator=(const GpsdWatch&) = delete;

  bool Watching() const { return m_pWatcher != nullptr; }
  // The fixes reported so far.
  Fixes Reported();
  const std::string& Reports() const;

 private:
  pid_t m_pid = -1;
  std::unique_ptr<StreamClient> m_pWatcher;
};

// The fixes of the RMC sentences (any talker) of `stream`.
Fixes RmcFixes(const std::string& stream);
