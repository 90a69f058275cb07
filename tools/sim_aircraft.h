// One aircraft of the simulated traffic at one second: where it is, and how
// it moves through the coming second, as its traffic device broadcasts it.
#pragma once

#include <cstdint>
#include <random>

#include "tools/sim_geometry.h"

struct SimAircraft {
  std::uint32_t id = 0;    // its device's 24-bit address
  int type = 1;            // as the traffic port writes it: 1 glider, 7 paraglider
  SimPoint position;       // on the sky's map
  double altitude = 0;     // [m] above sea level
  double track = 0;        // over ground [deg 0..360)
  double groundSpeed = 0;  // [m/s]
  double turnRate = 0;     // [deg/s], to the right above 0
  double climb = 0;        // [m/s]
};

inline constexpr int kSimGliderType = 1;
inline constexpr int kSimParagliderType = 7;

// Gliders' devices have addresses of their own maker's block: `block` in
// the top byte, the rest drawn.
inline std::uint32_t SimDeviceId(std::uint32_t block, std::mt19937& random) {
  return block << 16 | (random() & 0xFFFF);
}
