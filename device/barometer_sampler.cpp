#include "device/barometer_sampler.h"

#include <algorithm>
#include <cmath>
#include <utility>

double PressureAltitude(double pressure_hPa) {
  return 44330.77 * (1.0 - std::pow(pressure_hPa / 1013.25, 0.190263));
}

BarometerSampler::BarometerSampler(Read read, Sink sink, std::chrono::microseconds period,
                                   std::optional<BarometerSample> first)
    : m_read(std::move(read)),
      m_sink(std::move(sink)),
      m_period(period),
      m_latest(first),
      m_thread([this] { Run(); }) {}

BarometerSampler::~BarometerSampler() {
  m_bStop = true;
  m_thread.join();
}

std::optional<BarometerSample> BarometerSampler::Latest() const {
  std::lock_guard<std::mutex> lock(m_mutex);
  return m_latest;
}

std::optional<BarometerSample> BarometerSampler::Take(const Read& read) {
  using Clock = std::chrono::steady_clock;
  // A real sensor converts while it is read (an MS5611 for about 18 ms):
  // the middle of the reading is the best guess of when the air was
  // measured.
  const Clock::time_point before = Clock::now();
  const std::optional<BarometerReading> reading = read();
  const Clock::time_point after = Clock::now();
  if (!reading) return std::nullopt;
  return BarometerSample{before + (after - before) / 2, PressureAltitude(reading->pressure_hPa),
                         reading->pressure_hPa, reading->temperature_C};
}

void BarometerSampler::Run() {
  using Clock = std::chrono::steady_clock;
  Clock::time_point next = Clock::now();
  while (!m_bStop) {
    const std::optional<BarometerSample> sample = Take(m_read);
    if (sample) {
      if (m_sink) m_sink(*sample);
      std::lock_guard<std::mutex> lock(m_mutex);
      m_latest = sample;
    }
    // On schedule; a sensor slower than the rate is read again at once, and
    // a late reading does not make the next ones hurry to catch up. A plain
    // sleep: the cheapest wake there is, fifty times a second.
    next = std::max(next + m_period, Clock::now());
    std::this_thread::sleep_until(next);
  }
}
