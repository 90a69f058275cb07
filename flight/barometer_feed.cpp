#include "flight/barometer_feed.h"

#include <utility>

#include "base/flight_values.h"

BarometerFeed::BarometerFeed(SentenceSink* sink, BatteryReader battery)
    : m_pSink(sink), m_readBattery(std::move(battery)) {}

void BarometerFeed::Add(const BarometerSample& sample) {
  const double seconds = std::chrono::duration<double>(sample.time.time_since_epoch()).count();
  const double vario = m_vario.Add(seconds, sample.altitude);
  PublishFastVario(vario);
  m_lastSample.store(sample.time.time_since_epoch().count(), std::memory_order_relaxed);
  if (!m_pSink || sample.time < m_nextSentence) return;
  // Ten a second however fast the sensor is read: each a period after the
  // one before, and after a gap a period after this one.
  m_nextSentence = sample.time - m_nextSentence >= kSentencePeriod ? sample.time + kSentencePeriod
                                                                   : m_nextSentence + kSentencePeriod;
  Send({sample.pressure_hPa * 100.0, vario, sample.temperature_C, std::nullopt}, sample.time);
}

void BarometerFeed::Tick(Clock::time_point now) {
  const Clock::time_point last{Clock::duration(m_lastSample.load(std::memory_order_relaxed))};
  if (!m_pSink || now - last < kBarometerSilence) return;
  Send({}, now);
}

void BarometerFeed::Send(Lk8ex1Values values, Clock::time_point now) {
  std::unique_lock<std::mutex> lock(m_batteryMutex);
  if (m_nextBatteryRead == Clock::time_point{}) ReadBattery(now);   // the first sentence waits for it
  values.battery_percent = m_battery;
  lock.unlock();
  m_pSink->PassOn(Lk8ex1Sentence(values));
  // After the sentence has gone: a gauge slow to answer delays none.
  lock.lock();
  if (now >= m_nextBatteryRead) ReadBattery(now);
}

void BarometerFeed::ReadBattery(Clock::time_point now) {
  m_nextBatteryRead = now + kBatteryPeriod;
  if (m_readBattery) m_battery = m_readBattery();
}
