// Where the barometer's samples go, on its sampling thread: each into the
// fast vario, whose vertical speed is published for the audio vario's tone
// (base/flight_values.h), and ten times a second of the samples' own time
// the $LK8EX1 sentence with that very speed, the static pressure, the
// sensor's temperature and the battery, for the pilot's apps. The
// sentence goes with the sample that falls due, at once: its pressure is
// the one just read.
//
// Without a barometer (none, or one whose readings have failed for a
// second) Tick, called once a second, sends the sentence without pressure
// and vertical speed (999999 and 9999): an app sees the instrument and its
// battery, and keeps to its own vario.
#pragma once

#include <atomic>
#include <chrono>
#include <functional>
#include <mutex>
#include <optional>

#include "base/sentence_sink.h"
#include "device/barometer_sampler.h"
#include "flight/fast_vario.h"
#include "output/lk8ex1.h"

class BarometerFeed {
 public:
  using Clock = std::chrono::steady_clock;
  using BatteryReader = std::function<std::optional<int>()>;   // [%], nullopt: unknown
  static constexpr std::chrono::milliseconds kSentencePeriod{100};
  // The battery's charge moves by a percent in minutes.
  static constexpr std::chrono::seconds kBatteryPeriod{10};
  // Samples missing this long: the vario is without its barometer.
  static constexpr std::chrono::seconds kBarometerSilence{1};

  // The sentences go to `sink` (none: only the tone is fed); the battery is
  // read through `battery`, at most once a kBatteryPeriod.
  explicit BarometerFeed(SentenceSink* sink = nullptr, BatteryReader battery = nullptr);

  // One sample, on the sampling thread.
  void Add(const BarometerSample& sample);
  // Once a second, on any one other thread.
  void Tick(Clock::time_point now);

 private:
  void Send(Lk8ex1Values values, Clock::time_point now);
  void ReadBattery(Clock::time_point now);   // with m_batteryMutex held

  SentenceSink* m_pSink;
  BatteryReader m_readBattery;
  FastVario m_vario;                    // the sampling thread's
  Clock::time_point m_nextSentence{};   // the sampling thread's
  std::atomic<Clock::rep> m_lastSample{0};
  std::mutex m_batteryMutex;            // guards the two below
  std::optional<int> m_battery;
  Clock::time_point m_nextBatteryRead{};
};
