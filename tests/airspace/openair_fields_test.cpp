#include "airspace/openair_fields.h"

#include <cmath>
#include <optional>
#include <string>

#include <gtest/gtest.h>

namespace {

constexpr double kFoot = 0.3048;

TEST(OpenAirFieldsTest, PositionsAsNationalFilesWriteThem) {
  struct Case {
    const char* text;
    double lat, lon;  // [deg]; NaN: not a position
  };
  const double kNo = std::nan("");
  const Case cases[] = {
      {"47:12:30 N 008:05:00 E", 47 + 12 / 60.0 + 30 / 3600.0, 8 + 5 / 60.0},
      {"47:12:30N 8:05:00E", 47 + 12 / 60.0 + 30 / 3600.0, 8 + 5 / 60.0},
      {"47:12:30N008:05:00E", 47 + 12 / 60.0 + 30 / 3600.0, 8 + 5 / 60.0},
      {"047:12:30 n   008:05:00 e", 47 + 12 / 60.0 + 30 / 3600.0, 8 + 5 / 60.0},
      {"47:12.5N, 8:05.25E", 47 + 12.5 / 60, 8 + 5.25 / 60},
      {"47:12:30.6 N 008:05:00 E", 47 + 12 / 60.0 + 30.6 / 3600.0, 8 + 5 / 60.0},
      {"5:30 S 120:00:00 W", -5.5, -120},
      {"33:52:07S\t151:12:33E", -(33 + 52 / 60.0 + 7 / 3600.0), 151 + 12 / 60.0 + 33 / 3600.0},
      {"90:00:00 N 180:00:00 W", 90, -180},
      {"47:60:00 N 008:00:00 E", kNo, kNo},     // minutes of 60
      {"47:12:60 N 008:00:00 E", kNo, kNo},     // seconds of 60
      {"90:00:01 N 008:00:00 E", kNo, kNo},     // beyond the pole
      {"47:12:30 E 008:05:00 N", kNo, kNo},     // hemispheres swapped
      {"47:12:30 008:05:00 E", kNo, kNo},       // no hemisphere
      {"4712:30 N 008:05:00 E", kNo, kNo},      // four degree digits
      {"47:12.5:30 N 008:05:00 E", kNo, kNo},   // decimal minutes with seconds
      {"47.2 N 8.1 E", kNo, kNo},               // decimal degrees
      {"47:12:30 N", kNo, kNo},                 // no longitude
  };
  for (const Case& c : cases) {
    std::string_view text = c.text;
    const std::optional<GeoPoint> point = ReadPosition(text);
    if (std::isnan(c.lat)) {
      EXPECT_FALSE(point) << c.text;
      continue;
    }
    ASSERT_TRUE(point) << c.text;
    EXPECT_NEAR(LatDeg(*point), c.lat, 1e-7) << c.text;
    EXPECT_NEAR(LonDeg(*point), c.lon, 1e-7) << c.text;
  }
}

TEST(OpenAirFieldsTest, LimitsInEverySpelling) {
  using R = AltitudeReference;
  struct Case {
    const char* text;
    bool ceiling;
    std::optional<AltitudeLimit> limit;
  };
  const Case cases[] = {
      {"GND", false, AltitudeLimit{R::kGround, 0}},
      {"sfc", false, AltitudeLimit{R::kGround, 0}},
      {"GND", true, AltitudeLimit{R::kAgl, 0}},
      {"0ft AGL", false, AltitudeLimit{R::kGround, 0}},
      {"UNL", true, AltitudeLimit{R::kUnlimited, 0}},
      {"UNLIM", true, AltitudeLimit{R::kUnlimited, 0}},
      {"UNL", false, std::nullopt},  // no floor is unlimited
      {"FL95", true, AltitudeLimit{R::kPressure, 9500 * kFoot}},
      {"FL 95", true, AltitudeLimit{R::kPressure, 9500 * kFoot}},
      {"95FL", true, AltitudeLimit{R::kPressure, 9500 * kFoot}},
      {"fl65", false, AltitudeLimit{R::kPressure, 6500 * kFoot}},
      {"6500ft STD", true, AltitudeLimit{R::kPressure, 6500 * kFoot}},
      {"4500ft MSL", true, AltitudeLimit{R::kMsl, 4500 * kFoot}},
      {"4500 ft AMSL", true, AltitudeLimit{R::kMsl, 4500 * kFoot}},
      {"4500F ALT", true, AltitudeLimit{R::kMsl, 4500 * kFoot}},
      {"4500", true, AltitudeLimit{R::kMsl, 4500 * kFoot}},  // feet, above sea level
      {"1500m AMSL", true, AltitudeLimit{R::kMsl, 1500}},
      {"1500 M", true, AltitudeLimit{R::kMsl, 1500}},
      {"1000ft AGL", false, AltitudeLimit{R::kAgl, 1000 * kFoot}},
      {"1000ft GND", false, AltitudeLimit{R::kAgl, 1000 * kFoot}},  // above the ground, not sea level
      {"1000 AGND", false, AltitudeLimit{R::kAgl, 1000 * kFoot}},
      {"300m ASFC", true, AltitudeLimit{R::kAgl, 300}},
      {"1000ft SFC", false, AltitudeLimit{R::kAgl, 1000 * kFoot}},
      {"", true, std::nullopt},
      {"FL", true, std::nullopt},
      {"ft MSL", true, std::nullopt},
      {"1000ft AGL/3500ft MSL", true, std::nullopt},  // two limits in one
      {"1000ft MSL GND", true, std::nullopt},
      {"1000 km", true, std::nullopt},
      {"-500ft MSL", false, std::nullopt},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ReadLimit(c.text, c.ceiling), c.limit) << c.text << (c.ceiling ? " (ceiling)" : " (floor)");
  }
}

}  // namespace
