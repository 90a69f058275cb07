#include "tools/replay_options.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace {

using Args = std::vector<std::string>;

TEST(ReplayOptionsTest, GoodCommandLines) {
  struct Case {
    Args args;
    std::string outDir;
    std::array<int, 3> fields;
    bool baroFromGps;
    bool print;
    std::string file;
  };
  const Case cases[] = {
      {{"f.nmea"}, ".", {0, 1, 3}, false, false, "f.nmea"},  // the defaults
      {{"--out=/tmp/card", "f.nmea"}, "/tmp/card", {0, 1, 3}, false, false, "f.nmea"},
      {{"f.nmea", "--fields", "-1,0,1000000"}, ".", {-1, 0, 1000000}, false, false, "f.nmea"},
      {{"--baro=gps", "--print", "f.nmea"}, ".", {0, 1, 3}, true, true, "f.nmea"},
      {{"--", "--print"}, ".", {0, 1, 3}, false, false, "--print"},  // a file named like an option
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(c.args));
    ReplayOptions options;
    EXPECT_EQ(ParseReplayOptions(c.args, options), "");
    EXPECT_EQ(options.file, c.file);
    EXPECT_EQ(options.outDir, c.outDir);
    EXPECT_EQ(options.fields, c.fields);
    EXPECT_EQ(options.baroFromGps, c.baroFromGps);
    EXPECT_EQ(options.print, c.print);
  }

  ReplayOptions options;
  ASSERT_EQ(ParseReplayOptions({"f.nmea", "--clock=2026-03-23T14:05:09"}, options), "");
  EXPECT_EQ(options.clock, (LocalTime{2026, 3, 23, 14, 5, 9}));
}

TEST(ReplayOptionsTest, BadCommandLinesSayWhatIsWrong) {
  const std::pair<Args, std::string> cases[] = {
      {{"--speed", "f.nmea"}, "unknown option '--speed'"},
      {{}, "no FILE"},
      {{"a.nmea", "b.nmea"}, "more than one FILE: 'a.nmea' and 'b.nmea'"},
      {{"--fields", "1,2", "f.nmea"}, "--fields needs three codes"},
      {{"--fields", "1,,3x", "f.nmea"}, "--fields needs three codes"},
      {{"--baro=GPS", "f.nmea"}, "--baro is none or gps"},
      {{"--clock", "yesterday", "f.nmea"}, "--clock 'yesterday' is not a time"},
  };
  for (const auto& [args, messageStart] : cases) {
    ReplayOptions options;
    const std::string message = ParseReplayOptions(args, options);
    EXPECT_EQ(message.rfind(messageStart, 0), 0u) << ::testing::PrintToString(args) << message;
  }
}

TEST(ParseClockTest, OnlyRealTimesInTheExactShape) {
  EXPECT_EQ(ParseClock("2024-02-29T00:00:00"), (LocalTime{2024, 2, 29, 0, 0, 0}));  // leap year
  for (const char* text : {"", "2026-03-23 14:05:09", "2026-03-23T14:05:09Z", "2026-3-23T14:05:09",
                           "2026-02-29T12:00:00", "1900-02-29T12:00:00", "2026-04-31T12:00:00",
                           "2026-13-01T12:00:00", "2026-03-23T24:00:00"}) {
    EXPECT_FALSE(ParseClock(text).has_value()) << text;
  }
}

}  // namespace
