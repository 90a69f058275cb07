#include "flight/nmea_reader.h"

#include <gtest/gtest.h>

namespace {

// The textbook GPRMC, as the loop hands it over: from "$" to "*".
const char* const kRmc =
    "$GPRMC,123519,A,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W*";

struct FieldCase {
  const char* sentence;
  int n;
  const char* expected;
};

class NmeaFieldTest : public ::testing::TestWithParam<FieldCase> {};

TEST_P(NmeaFieldTest, CutsByCommaNumber) {
  const FieldCase& c = GetParam();
  EXPECT_EQ(NmeaField(c.sentence, c.n), c.expected) << c.sentence << " #" << c.n;
}

INSTANTIATE_TEST_SUITE_P(
    Table, NmeaFieldTest,
    ::testing::Values(FieldCase{kRmc, 1, "GPRMC"},      // the name, without "$"
                      FieldCase{kRmc, 2, "123519"},
                      FieldCase{kRmc, 11, "003.1"},
                      FieldCase{kRmc, 12, ""},          // the last field ends at "*"
                      FieldCase{kRmc, 13, ""},          // beyond the last comma
                      FieldCase{kRmc, 0, ""},
                      FieldCase{"$GPRMC,,A*", 2, ""},   // an empty field
                      FieldCase{"$GPRMC,,A*", 3, ""},
                      FieldCase{"$GPZDA*", 1, ""},      // no comma at all
                      FieldCase{",x,y*", 1, ""},
                      FieldCase{",x,y*", 2, "x"}));

TEST(ReadRmc, TextbookSentence) {
  AcquisitionState s;
  ReadRmc(kRmc, s);
  EXPECT_EQ(s.strTime, "123519");
  EXPECT_DOUBLE_EQ(s.dTime, 123519);
  EXPECT_EQ(s.strLat, "4807038N");
  EXPECT_EQ(s.strLon, "01131000E");
  EXPECT_EQ(s.strLatText, "4807.038");
  EXPECT_EQ(s.strLonText, "01131.000");
  EXPECT_DOUBLE_EQ(s.dLat, 48 + 7.038 / 60);
  EXPECT_DOUBLE_EQ(s.dLon, 11 + 31.0 / 60);
  EXPECT_EQ(s.strStatus, "A");
  EXPECT_DOUBLE_EQ(s.dSpeed, 22.4 * 1.85);
  EXPECT_EQ(s.strSpeed, " 41");
  EXPECT_DOUBLE_EQ(s.dCourse, 84.4);
  // The W is the last field and reads empty: the variation stays east.
  EXPECT_DOUBLE_EQ(s.dMagVar, 3.0);
}

TEST(ReadRmc, VariationWestNeedsAFieldAfterIt) {
  AcquisitionState s;
  ReadRmc("$GPRMC,123519,A,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W,A*", s);
  EXPECT_DOUBLE_EQ(s.dMagVar, -3.0);
  ReadRmc("$GPRMC,123519,A,4807.038,N,01131.000,E,022.4,084.4,230394,3.5,E,A*", s);
  EXPECT_DOUBLE_EQ(s.dMagVar, 3.5);
}

TEST(ReadRmc, SouthAndWestGiveNegativePositionsAndKeepTheirLetters) {
  AcquisitionState s;
  ReadRmc("$GPRMC,001500,A,2712.345,S,15303.210,E,5.0,270.0,010126,,,A*", s);
  EXPECT_DOUBLE_EQ(s.dLat, -(27 + 12.345 / 60));
  EXPECT_DOUBLE_EQ(s.dLon, 153 + 3.21 / 60);
  EXPECT_EQ(s.strLat, "2712345S");
  EXPECT_EQ(s.strLon, "15303210E");

  ReadRmc("$GPRMC,132820,A,4134.4982,N,09345.0335,W,3.2,92.3,180320,,,D*", s);
  EXPECT_DOUBLE_EQ(s.dLat, 41 + 34.498 / 60);  // eight characters are read: 4134.498
  EXPECT_DOUBLE_EQ(s.dLon, -(93 + 45.03 / 60));
  EXPECT_EQ(s.strLat, "4134498N");
  EXPECT_EQ(s.strLon, "09345033W");

  // A hemisphere field that is not one letter keeps the last letter and its sign.
  ReadRmc("$GPRMC,132821,A,4134.4990,,09345.0340,WW,3.2,92.3,180320,,,D*", s);
  EXPECT_EQ(s.strLat, "4134499N");
  EXPECT_EQ(s.strLon, "09345034W");
  EXPECT_LT(s.dLon, 0);
}

TEST(ReadRmc, PositionTexts) {
  AcquisitionState s;
  ReadRmc("$GPRMC,123519,A,4807.1,N,01131.5,E,,,,,*", s);
  EXPECT_EQ(s.strLat, "4807100N");
  EXPECT_EQ(s.strLon, "01131500E");

  ReadRmc("$GPRMC,123519,A,,N,,E,,,,,*", s);  // no position
  EXPECT_EQ(s.strLat, "0000000N");
  EXPECT_EQ(s.strLon, "00000000E");
  EXPECT_DOUBLE_EQ(s.dLat, 0);
  EXPECT_DOUBLE_EQ(s.dLon, 0);

  ReadRmc("$GPRMC,123519,A,48..07,N,011..31,E,,,,,*", s);  // garbage counts as empty
  EXPECT_EQ(s.strLatText, "48..07");
  EXPECT_EQ(s.strLat, "0000000N");
  EXPECT_EQ(s.strLon, "00000000E");
  EXPECT_DOUBLE_EQ(s.dLat, 0);

  ReadRmc("$GPRMC,123519,A,4807.03891,N,01131.00012,E,,,,,*", s);  // extra decimals
  EXPECT_EQ(s.strLat, "4807038N");
  EXPECT_EQ(s.strLon, "01131000E");
}

TEST(ReadRmc, TimeTexts) {
  const struct {
    const char* field;
    const char* text;
  } cases[] = {{"123519.00", "123519"}, {"1235", "123500"}, {"", "000000"}};
  for (const auto& c : cases) {
    AcquisitionState s;
    ReadRmc(std::string("$GPRMC,") + c.field + ",A,4807.038,N,01131.000,E,1,2,3,,*", s);
    EXPECT_EQ(s.strTime, c.text) << c.field;
    EXPECT_DOUBLE_EQ(s.dTime, std::stod(c.text));
  }
}

TEST(ReadRmc, SpeedGuards) {
  AcquisitionState s;
  ReadRmc("$GPRMC,123519,A,4807.038,N,01131.000,E,21.62,0,,,*", s);
  EXPECT_DOUBLE_EQ(s.dSpeed, 21.62 * 1.85);
  EXPECT_EQ(s.strSpeed, " 40");
  // An empty speed field keeps the last ground speed...
  ReadRmc("$GPRMC,123520,A,4807.038,N,01131.000,E,,0,,,*", s);
  EXPECT_DOUBLE_EQ(s.dSpeed, 21.62 * 1.85);
  EXPECT_EQ(s.strSpeed, " 40");
  // ...and so does an implausible one of 200 knots or more.
  ReadRmc("$GPRMC,123521,A,4807.038,N,01131.000,E,200.0,0,,,*", s);
  EXPECT_DOUBLE_EQ(s.dSpeed, 21.62 * 1.85);
  ReadRmc("$GPRMC,123522,A,4807.038,N,01131.000,E,199.9,0,,,*", s);
  EXPECT_DOUBLE_EQ(s.dSpeed, 199.9 * 1.85);
}

TEST(ReadRmc, StatusIsTakenAsReceived) {
  AcquisitionState s;
  ReadRmc("$GPRMC,123519,V,4807.038,N,01131.000,E,,,,,*", s);
  EXPECT_EQ(s.strStatus, "V");
  ReadRmc("$GPRMC,123519,,4807.038,N,01131.000,E,,,,,*", s);
  EXPECT_EQ(s.strStatus, "");
}

TEST(ReadGga, AltitudeTexts) {
  const struct {
    const char* field;
    const char* text;
    double metres;
  } cases[] = {
      {"545.4", "00545", 545.4},   {"-12.5", "-0012", -12.5},
      {"1234567.0", "34567", 1234567}, {"2716.0", "02716", 2716},
      {"545", "00000", 545},       // no "." gives no IGC digits
      {"", "00000", 0},
  };
  for (const auto& c : cases) {
    AcquisitionState s;
    s.strAltGps = "99999";
    ReadGga(std::string("$GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,") + c.field +
                ",M,46.9,M,,*",
            s);
    EXPECT_EQ(s.strAltGps, c.text) << c.field;
    EXPECT_DOUBLE_EQ(s.dAltGps, c.metres) << c.field;
  }
}

}  // namespace
