#include "flight/nmea_reader.h"

#include <string>
#include <tuple>

#include <gtest/gtest.h>

namespace {

// The textbook GPRMC, as the loop hands it over: from "$" to "*".
const char* const kRmc = "$GPRMC,123519,A,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W*";

TEST(ReadRmc, VariationWestNeedsAFieldAfterIt) {
  AcquisitionState s;
  ReadRmc(kRmc, s);
  EXPECT_EQ(s.strDate, "230394");    // the UTC date as received
  EXPECT_DOUBLE_EQ(s.dMagVar, 3.0);  // the W is the last field and reads empty: east
  ReadRmc("$GPRMC,123519,A,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W,A*", s);
  EXPECT_DOUBLE_EQ(s.dMagVar, -3.0);
}

TEST(ReadRmc, PositionsInEveryHemisphereAndTheirIgcDigits) {
  const std::tuple<const char*, const char*, double, double> cases[] = {
      {"2712.345,S,15303.210,E", "2712345S15303210E", -(27 + 12.345 / 60), 153 + 3.21 / 60},
      // Every digit is read; a hemisphere that is not one letter keeps the last one.
      {"4134.4982,N,09345.0335,W", "4134498N09345033W", 41 + 34.4982 / 60, -(93 + 45.0335 / 60)},
      {"4134.4990,,09345.0340,WW", "4134499N09345034W", 41 + 34.499 / 60, -(93 + 45.034 / 60)},
      // Next to Greenwich and to the equator: small, but a position.
      {"5130.0286,N,00000.0039,E", "5130028N00000003E", 51 + 30.0286 / 60, 0.0039 / 60},
      {"0000.0042,S,01131.000,E", "0000004S01131000E", -0.0042 / 60, 11 + 31.0 / 60},
      {"4807.1,N,01131.5,E", "4807100N01131500E", 48 + 7.1 / 60, 11 + 31.5 / 60},
      {"48..07,N,011..31,E", "0000000N00000000E", 0, 0}};  // garbage counts as no position
  AcquisitionState s;  // one sentence after another, as the loop reads them
  for (const auto& [fields, igc, lat, lon] : cases) {
    ReadRmc(std::string("$GPRMC,123519,A,") + fields + ",5.0,270.0,010126,,,A*", s);
    EXPECT_EQ(s.strLat + s.strLon, igc) << fields;
    EXPECT_NEAR(s.dLat, lat, 1e-9) << fields;
    EXPECT_NEAR(s.dLon, lon, 1e-9) << fields;
  }
}

TEST(ReadRmc, TimeAndSpeedFields) {
  const std::tuple<const char*, const char*, const char*, double, const char*> cases[] = {
      {"123519.00", "21.62", "123519", 21.62 * 1.85, " 40"},  // knots to km/h the instrument's way
      {"1235", "", "123500", 21.62 * 1.85, " 40"},            // a missing speed keeps the last one
      {"", "200.0", "000000", 21.62 * 1.85, " 40"},           // so does one of 200 knots or more
      {"123522", "199.9", "123522", 199.9 * 1.85, "370"}};
  AcquisitionState s;
  for (const auto& [time, speed, timeText, kmh, speedText] : cases) {
    ReadRmc(std::string("$GPRMC,") + time + ",A,4807.038,N,01131.000,E," + speed + ",0,,,*", s);
    EXPECT_EQ(s.strTime, timeText) << time;
    EXPECT_DOUBLE_EQ(s.dSpeed, kmh) << speed;
    EXPECT_EQ(s.strSpeed, speedText) << speed;
  }
}

TEST(ReadGga, AltitudeTexts) {
  // The field, its record text, its metres, and whether it held an altitude
  // at all (a receiver without a fix sends it empty).
  const std::tuple<const char*, const char*, double, bool> cases[] = {
      {"545.4", "00545", 545.4, true}, {"-12.5", "-0012", -12.5, true},
      {"1234567.0", "34567", 1234567, true}, {"0.0", "00000", 0, true},
      {"545", "00000", 545, true},  // no "." gives no digits
      {"", "00000", 0, false}, {"M", "00000", 0, false}, {"-.", "-0000", 0, false}};
  for (const auto& [field, text, metres, held] : cases) {
    AcquisitionState s;
    s.strAltGps = "99999";
    EXPECT_EQ(ReadGga(std::string("$GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,") + field + ",M,,,,*", s),
              held) << field;
    EXPECT_EQ(s.strAltGps, text) << field;
    EXPECT_DOUBLE_EQ(s.dAltGps, metres) << field;
  }
}

}  // namespace
