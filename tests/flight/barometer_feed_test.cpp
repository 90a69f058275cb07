// The barometer's samples to the tone and to the pilot's apps: a climb
// sampled at the rates real sensors give, on simulated time, read back
// from the sentences' text alone.
#include "flight/barometer_feed.h"

#include <algorithm>
#include <cmath>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "base/flight_values.h"
#include "tests/support/flight_test.h"
#include "tests/support/lk8ex1_reading.h"

namespace {

using namespace std::chrono_literals;
using Clock = BarometerFeed::Clock;

// What the feed hands on, with the sample it came with and the value the
// tone follows at that moment.
struct RecordingSink : SentenceSink {
  void PassOn(std::string_view sentence) override {
    sent.push_back({std::string(sentence), current, LatestFastVario().vario});
  }
  struct Sent {
    std::string sentence;
    BarometerSample sample;
    double tone;
  };
  std::vector<Sent> sent;
  BarometerSample current;
};

// Level for 5 s, then a 2 m/s climb, with 0.1 m of wobble; the pressure of
// the standard atmosphere at that altitude.
BarometerSample SampleAt(Clock::time_point start, double seconds, std::optional<double> temperature = 21.4) {
  const double altitude = 1500 + 2 * std::max(0.0, seconds - 5) + 0.1 * std::sin(seconds * 7);
  const double pressure = 1013.25 * std::pow(1 - altitude / 44330.77, 1 / 0.190263);
  const auto time = start + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(seconds));
  return {time, PressureAltitude(pressure), pressure, temperature};
}

double Seconds(Clock::duration d) { return std::chrono::duration<double>(d).count(); }

class BarometerFeedTest : public FlightTest {
 protected:
  // Samples every `period` seconds from `from` to `to`.
  void Fly(BarometerFeed& feed, double period, double from, double to) {
    for (double t = from; t < to; t += period) {
      sink.current = SampleAt(start, t);
      feed.Add(sink.current);
    }
  }
  RecordingSink sink;
  Clock::time_point start = Clock::now();
};

// Ten sentences a second of the samples' own time, however fast the
// sensor is read (an MS5611 at 50 Hz, a BMP280 at 24 Hz, a slow one), each
// with the sample that falls due; after a gap in the samples the first
// one sends at once, and the gap brings no burst.
TEST_F(BarometerFeedTest, TenSentencesASecondOfTheSamplesTimeWhateverTheSensorsRate) {
  for (const double rate : {100.0, 50.0, 24.0, 11.0}) {
    SCOPED_TRACE(rate);
    sink.sent.clear();
    BarometerFeed feed(&sink);
    const double period = 1 / rate;
    Fly(feed, period, 0, 20);
    Fly(feed, period, 23, 33);   // three seconds without a reading
    std::size_t beforeGap = 0, afterGap = 0;
    for (const auto& sent : sink.sent) (Seconds(sent.sample.time - start) < 21 ? beforeGap : afterGap) += 1;
    EXPECT_NEAR(beforeGap, 200, 1);
    EXPECT_NEAR(afterGap, 100, 1);
    for (std::size_t i = 1; i < sink.sent.size(); ++i) {
      const double interval = Seconds(sink.sent[i].sample.time - sink.sent[i - 1].sample.time);
      if (interval > 2) continue;   // the gap
      EXPECT_GE(interval, 0.1 - period - 1e-9) << i;
      EXPECT_LE(interval, 0.1 + period + 1e-9) << i;
    }
    const auto firstAfterGap = std::find_if(sink.sent.begin(), sink.sent.end(),
                                            [&](const auto& s) { return s.sample.time > start + 21s; });
    ASSERT_NE(firstAfterGap, sink.sent.end());
    EXPECT_NEAR(Seconds(firstAfterGap->sample.time - start), 23, 1e-6) << "the first sample after it sends";
  }
}

// Each sentence, read from its text: the very vertical speed the tone
// follows at that moment (and an independent fast vario on the same
// samples), the pressure of the sample it goes with, the sensor's
// temperature and the battery as 1000 + percent.
TEST_F(BarometerFeedTest, EachSentenceCarriesTheVarioTheToneFollowsAndThePressureJustRead) {
  BarometerFeed feed(&sink, [] { return 83; });
  FastVario independent;
  std::vector<double> varios;
  for (double t = 0; t < 15; t += 0.02) {
    sink.current = SampleAt(start, t);
    varios.push_back(independent.Add(Seconds(sink.current.time.time_since_epoch()), sink.current.altitude));
    const std::size_t before = sink.sent.size();
    feed.Add(sink.current);
    if (sink.sent.size() == before) continue;
    Lk8ex1Fields fields{};
    ASSERT_TRUE(ReadLk8ex1(sink.sent.back().sentence, fields));
    EXPECT_EQ(fields.vario, std::lround(sink.sent.back().tone * 100)) << t;
    EXPECT_EQ(fields.vario, std::lround(varios.back() * 100)) << t;
    EXPECT_EQ(fields.pressure, std::lround(sink.current.pressure_hPa * 100)) << t;
    EXPECT_EQ(fields.altitude, 99999);
    EXPECT_EQ(fields.temperature, 21);
    EXPECT_EQ(fields.battery, 1083);
    if (t > 8) {
      EXPECT_NEAR(fields.vario, 200, 15) << "the climb, at " << t;
    } else if (t < 4 && t > 2) {
      EXPECT_NEAR(fields.vario, 0, 15) << "level, at " << t;
    }
  }
  EXPECT_EQ(sink.sent.size(), 150u);
}

// Without a barometer, or one whose readings have stopped for a second,
// the second's tick sends the sentence without pressure and vertical speed,
// so an app sees the instrument and its battery; the battery is read at
// most once in ten seconds, after the sentence, and is 999 when unknown.
TEST_F(BarometerFeedTest, WithoutABarometerASentenceASecondWithTheBatteryAlone) {
  int reads = 0;
  std::optional<int> battery = 57;
  BarometerFeed feed(&sink, [&] { return ++reads, battery; });
  feed.Tick(start);
  ASSERT_EQ(sink.sent.size(), 1u);
  Lk8ex1Fields fields{};
  ASSERT_TRUE(ReadLk8ex1(sink.sent.back().sentence, fields));
  EXPECT_EQ(std::vector<long>({fields.pressure, fields.altitude, fields.vario, fields.temperature, fields.battery}),
            std::vector<long>({999999, 99999, 9999, 99, 1057}));

  Fly(feed, 0.02, 1, 61);
  EXPECT_EQ(reads, 7) << "the start, then once in ten seconds";
  const std::size_t flown = sink.sent.size();
  feed.Tick(start + 30s);
  feed.Tick(start + 61s + 900ms);
  EXPECT_EQ(sink.sent.size(), flown) << "a barometer being read: no tick's sentence";
  battery.reset();
  feed.Tick(start + 75s);
  feed.Tick(start + 76s);
  ASSERT_EQ(sink.sent.size(), flown + 2);
  ASSERT_TRUE(ReadLk8ex1(sink.sent.back().sentence, fields));
  EXPECT_EQ(fields.pressure, 999999);
  EXPECT_EQ(fields.battery, 999) << "read at 75 s: unknown since";
}

}  // namespace
