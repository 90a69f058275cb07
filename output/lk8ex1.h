// The vario sentence that phone flight apps and glide computers read from
// a barometric vario (LK8000's $LK8EX1), ten times a second:
//
//   $LK8EX1,101325,99999,-123,21,1075,*3A
//           |      |     |    |  battery: 1000 + percent, 999 unknown
//           |      |     |    temperature [whole deg C], 99 none
//           |      |     vertical speed [whole cm/s], 9999 none
//           |      altitude: 99999, the pressure stands for it
//           static pressure [whole Pa], 999999 without a barometer
//
// The comma before the "*" belongs to the sentence as it is published and
// counts in the checksum.
#pragma once

#include <optional>
#include <string>

struct Lk8ex1Values {
  std::optional<double> pressure_Pa;   // static pressure
  std::optional<double> vario_mps;     // the fast vertical speed, positive climbing
  std::optional<double> temperature_C; // the barometer's own temperature
  std::optional<int> battery_percent;
};

// The sentence from "$" to its two upper-case checksum digits, without the
// line end. A value that would read as the "none" marker is held one short
// of it; a value that is not a number is none.
std::string Lk8ex1Sentence(const Lk8ex1Values& values);
