// The barometer read on a thread of its own, at its own rate: 50 samples a
// second, or as many as the sensor gives when one reading takes longer.
// Each good reading is stamped from the steady (monotonic) clock, kept as
// the latest sample and handed to the sink (the fast vario) on this
// thread. A reading that fails gives no sample: nothing old is passed on
// as new.
#pragma once

#include <atomic>
#include <chrono>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>

// Pressure altitude in the standard atmosphere (1013.25 hPa at 0 m) [m].
double PressureAltitude(double pressure_hPa);

// One reading of the barometer.
struct BarometerReading {
  double pressure_hPa = 0;              // static pressure
  std::optional<double> temperature_C;  // the sensor's own, where it gives one
};

struct BarometerSample {
  std::chrono::steady_clock::time_point time;  // the middle of the reading
  double altitude = 0;  // [m] pressure altitude, at the sensor's full resolution
  double pressure_hPa = 0;
  std::optional<double> temperature_C;
};

class BarometerSampler {
 public:
  using Read = std::function<std::optional<BarometerReading>()>;
  using Sink = std::function<void(const BarometerSample&)>;
  static constexpr std::chrono::microseconds kPeriod{20000};  // 50 Hz

  // Starts sampling at once; `first`, a reading just taken, is the latest
  // sample until the thread's own come.
  BarometerSampler(Read read, Sink sink, std::chrono::microseconds period = kPeriod,
                   std::optional<BarometerSample> first = std::nullopt);
  ~BarometerSampler();  // stops and joins the thread (within a period): no sink call after it
  BarometerSampler(const BarometerSampler&) = delete;
  BarometerSampler& operator=(const BarometerSampler&) = delete;

  std::optional<BarometerSample> Latest() const;

  // One reading of `read` as a sample, stamped; nullopt when it failed.
  static std::optional<BarometerSample> Take(const Read& read);

 private:
  void Run();

  Read m_read;
  Sink m_sink;
  std::chrono::microseconds m_period;
  std::atomic<bool> m_bStop{false};
  mutable std::mutex m_mutex;  // guards m_latest
  std::optional<BarometerSample> m_latest;
  std::thread m_thread;  // last: starts once everything above is in place
};
