#include "tools/replay_options.h"

#include <gtest/gtest.h>

namespace {

using Args = std::vector<std::string>;

// The parsed options in one line, to compare a whole row at once.
std::string Summary(const ReplayOptions& o) {
  return o.outDir + " " + std::to_string(o.fields[0]) + "," + std::to_string(o.fields[1]) + "," +
         std::to_string(o.fields[2]) + (o.baroFromGps ? " gps" : "") + (o.print ? " print" : "") +
         " " + o.file;
}

TEST(ReplayOptionsTest, CommandLinesParseOrSayWhatIsWrong) {
  const std::pair<Args, std::string> cases[] = {  // args, summary or message
      {{"f.nmea"}, ". 0,1,3 f.nmea"},  // the defaults
      {{"--out=/tmp/card", "f.nmea", "--fields", "-1,0,1000000"}, "/tmp/card -1,0,1000000 f.nmea"},
      {{"--baro=gps", "--print", "f.nmea"}, ". 0,1,3 gps print f.nmea"},
      {{"--", "--print"}, ". 0,1,3 --print"},  // a file named like an option
      {{}, "no FILE"},
      {{"a.nmea", "b.nmea"}, "more than one FILE: 'a.nmea' and 'b.nmea'"},
      {{"--fields", "1,2", "f.nmea"}, "--fields needs three codes"},
      {{"--fields", "1,,3x", "f.nmea"}, "--fields needs three codes"},
      {{"--baro=GPS", "f.nmea"}, "--baro is none or gps"},
      {{"--clock", "yesterday", "f.nmea"}, "--clock 'yesterday' is not a time"}};
  for (const auto& [args, expected] : cases) {
    ReplayOptions options;
    const std::string message = ParseReplayOptions(args, options);
    const std::string got = message.empty() ? Summary(options) : message;
    EXPECT_EQ(got.substr(0, expected.size()), expected) << ::testing::PrintToString(args);
  }
  ReplayOptions options;
  ASSERT_EQ(ParseReplayOptions({"f.nmea", "--clock=2026-03-23T14:05:09"}, options), "");
  EXPECT_EQ(options.clock, (LocalTime{2026, 3, 23, 14, 5, 9}));
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
