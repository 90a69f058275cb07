#include "tools/replay_options.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace {

using Args = std::vector<std::string>;

TEST(ReplayOptionsTest, DefaultsWithOnlyAFile) {
  ReplayOptions options;
  EXPECT_EQ(ParseReplayOptions({"flight.nmea"}, options), "");
  EXPECT_EQ(options.file, "flight.nmea");
  EXPECT_EQ(options.outDir, ".");
  EXPECT_EQ(options.fields, (std::array<int, 3>{0, 1, 3}));
  EXPECT_FALSE(options.baroFromGps);
  EXPECT_FALSE(options.print);
  EXPECT_FALSE(options.help);
  EXPECT_FALSE(options.clock.has_value());
}

// Every option with a value works both as "--opt VALUE" and "--opt=VALUE",
// before or after the file.
TEST(ReplayOptionsTest, AcceptsBothSpellingsOfEveryOption) {
  struct Case {
    Args args;
    std::string outDir;
    std::array<int, 3> fields;
    bool baroFromGps;
    bool print;
  };
  const Case cases[] = {
      {{"--out", "/tmp/card", "f.nmea"}, "/tmp/card", {0, 1, 3}, false, false},
      {{"--out=/tmp/card", "f.nmea"}, "/tmp/card", {0, 1, 3}, false, false},
      {{"f.nmea", "--fields", "4,5,6"}, ".", {4, 5, 6}, false, false},
      {{"--fields=7,-2,1000000", "f.nmea"}, ".", {7, -2, 1000000}, false, false},
      {{"--baro", "gps", "f.nmea"}, ".", {0, 1, 3}, true, false},
      {{"--baro=gps", "f.nmea"}, ".", {0, 1, 3}, true, false},
      {{"--baro=gps", "--baro", "none", "f.nmea"}, ".", {0, 1, 3}, false, false},
      {{"--print", "f.nmea"}, ".", {0, 1, 3}, false, true},
      {{"--out", "a", "--print", "--fields", "-1,0,-99", "--baro=gps", "f.nmea"},
       "a", {-1, 0, -99}, true, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(c.args));
    ReplayOptions options;
    EXPECT_EQ(ParseReplayOptions(c.args, options), "");
    EXPECT_EQ(options.file, "f.nmea");
    EXPECT_EQ(options.outDir, c.outDir);
    EXPECT_EQ(options.fields, c.fields);
    EXPECT_EQ(options.baroFromGps, c.baroFromGps);
    EXPECT_EQ(options.print, c.print);
  }
}

TEST(ReplayOptionsTest, ClockInBothSpellings) {
  for (const Args& args : {Args{"--clock", "2026-03-23T14:05:09", "f.nmea"},
                           Args{"f.nmea", "--clock=2026-03-23T14:05:09"}}) {
    ReplayOptions options;
    ASSERT_EQ(ParseReplayOptions(args, options), "");
    ASSERT_TRUE(options.clock.has_value());
    EXPECT_EQ(options.clock->year, 2026);
    EXPECT_EQ(options.clock->month, 3);
    EXPECT_EQ(options.clock->day, 23);
    EXPECT_EQ(options.clock->hour, 14);
    EXPECT_EQ(options.clock->minute, 5);
    EXPECT_EQ(options.clock->second, 9);
  }
}

TEST(ReplayOptionsTest, HelpNeedsNoFile) {
  for (const char* flag : {"--help", "-h"}) {
    ReplayOptions options;
    EXPECT_EQ(ParseReplayOptions({flag}, options), "");
    EXPECT_TRUE(options.help);
  }
}

// A file name that looks like an option is taken after "--"; "-" alone is a file.
TEST(ReplayOptionsTest, FileNamesThatLookLikeOptions) {
  ReplayOptions options;
  EXPECT_EQ(ParseReplayOptions({"--", "--print"}, options), "");
  EXPECT_EQ(options.file, "--print");
  EXPECT_FALSE(options.print);

  ReplayOptions dash;
  EXPECT_EQ(ParseReplayOptions({"-"}, dash), "");
  EXPECT_EQ(dash.file, "-");
}

TEST(ReplayOptionsTest, RejectsBadCommandLines) {
  struct Case {
    Args args;
    std::string messageStart;
  };
  const Case cases[] = {
      {{"--speed", "f.nmea"}, "unknown option '--speed'"},
      {{"-x", "f.nmea"}, "unknown option '-x'"},
      {{"--print=yes", "f.nmea"}, "unknown option '--print=yes'"},
      {{}, "no FILE"},
      {{"--print"}, "no FILE"},
      {{"a.nmea", "b.nmea"}, "more than one FILE: 'a.nmea' and 'b.nmea'"},
      {{"--out", "", "f.nmea"}, "--out needs a folder"},
      {{"f.nmea", "--out"}, "--out needs a folder"},
      {{"--fields", "1,2", "f.nmea"}, "--fields needs three codes"},
      {{"--fields=1,2,3,4", "f.nmea"}, "--fields needs three codes"},
      {{"--fields", "a,b,c", "f.nmea"}, "--fields needs three codes"},
      {{"--fields", "1,,3", "f.nmea"}, "--fields needs three codes"},
      {{"--fields", "1,2,3x", "f.nmea"}, "--fields needs three codes"},
      {{"--fields", "1,2,99999999999", "f.nmea"}, "--fields needs three codes"},
      {{"f.nmea", "--fields"}, "--fields needs three codes"},
      {{"--baro", "hardware", "f.nmea"}, "--baro is none or gps"},
      {{"--baro=GPS", "f.nmea"}, "--baro is none or gps"},
      {{"--clock", "yesterday", "f.nmea"}, "--clock 'yesterday' is not a time"},
      {{"f.nmea", "--clock"}, "--clock needs a time"},
      {{"--clock=2026-02-29T12:00:00", "f.nmea"}, "--clock '2026-02-29T12:00:00' is not"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(c.args));
    ReplayOptions options;
    const std::string message = ParseReplayOptions(c.args, options);
    EXPECT_EQ(message.rfind(c.messageStart, 0), 0u) << message;
  }
}

TEST(ParseClockTest, AcceptsRealTimes) {
  struct Case {
    const char* text;
    LocalTime expected;
  };
  const Case cases[] = {
      {"2026-03-23T14:05:09", {2026, 3, 23, 14, 5, 9}},
      {"2024-02-29T00:00:00", {2024, 2, 29, 0, 0, 0}},   // 2024 is a leap year
      {"2000-02-29T12:30:30", {2000, 2, 29, 12, 30, 30}}, // so is 2000
      {"1999-12-31T23:59:59", {1999, 12, 31, 23, 59, 59}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    const std::optional<LocalTime> t = ParseClock(c.text);
    ASSERT_TRUE(t.has_value());
    EXPECT_EQ(t->year, c.expected.year);
    EXPECT_EQ(t->month, c.expected.month);
    EXPECT_EQ(t->day, c.expected.day);
    EXPECT_EQ(t->hour, c.expected.hour);
    EXPECT_EQ(t->minute, c.expected.minute);
    EXPECT_EQ(t->second, c.expected.second);
  }
}

TEST(ParseClockTest, RejectsMalformedTimesAndImpossibleDates) {
  for (const char* text : {
           "",
           "2026-03-23",
           "2026-03-23 14:05:09",    // space instead of T
           "2026-03-23T14:05:09Z",   // one character too many
           "2026-3-23T14:05:09",     // month without its leading zero
           "2026-03-23T14:05:0x",
           "+026-03-23T14:05:09",
           "2026-02-29T12:00:00",    // 2026 is not a leap year
           "1900-02-29T12:00:00",    // nor is 1900
           "2026-04-31T12:00:00",
           "2026-13-01T12:00:00",
           "2026-00-10T12:00:00",
           "2026-03-00T12:00:00",
           "2026-03-23T24:00:00",
           "2026-03-23T14:60:00",
           "2026-03-23T14:05:60",
       }) {
    EXPECT_FALSE(ParseClock(text).has_value()) << text;
  }
}

}  // namespace
