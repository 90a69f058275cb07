// The values inside OpenAir records: positions and altitude limits, in
// the many spellings that real national files use.
//
//   positions  47:12:30 N 008:05:00 E   47:12.5N 8:05.0E   047:12:30.5N,008:05:00E
//              (1 to 3 degree digits, seconds or decimal minutes, the
//              hemisphere letter after the number with or without a blank,
//              blanks or a comma between latitude and longitude)
//   limits     GND  SFC  UNL  UNLIM  FL95  FL 95  95FL  6500ft STD  1500m AMSL
//              2000 MSL  2000ft ALT  1000ft AGL  1000ft GND  300m ASFC
//              (feet when no unit is given, above mean sea level when no
//              reference is given)
//
// Letters in any case. Each reader takes the value from the front of the
// text and leaves the rest in it.
#pragma once

#include <optional>
#include <string_view>

#include "airspace/altitude.h"
#include "airspace/earth.h"

// A latitude and a longitude; nullopt when either cannot be read or is out
// of range (latitude beyond 90, longitude beyond 180, minutes or seconds of
// 60 and more).
std::optional<GeoPoint> ReadPosition(std::string_view& text);

// A plain decimal number, optionally signed.
std::optional<double> ReadDecimal(std::string_view& text);

// A floor or a ceiling (the whole text). GND and SFC alone are the ground,
// for a floor, and 0 m above it for a ceiling; UNL and UNLIM are allowed
// for a ceiling only.
std::optional<AltitudeLimit> ReadLimit(std::string_view text, bool ceiling);

// Blanks, tabs and commas at the front of the text skipped.
void SkipSeparators(std::string_view& text);
// True when nothing but blanks or a "*" comment is left.
bool OnlyCommentLeft(std::string_view text);
