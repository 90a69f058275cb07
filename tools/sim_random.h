// The simulators' random numbers, the same on every standard library
// (std::normal_distribution is not): drawn from a std::mt19937 of their own.
#pragma once

#include <cmath>
#include <numbers>
#include <random>

// Mean 0, RMS 1: Box and Muller's transform of two uniform numbers in (0, 1].
inline double StandardGaussian(std::mt19937& random) {
  const auto uniform = [&random] { return (static_cast<double>(random()) + 1) / 4294967296.0; };
  const double radius = std::sqrt(-2 * std::log(uniform()));
  return radius * std::cos(2 * std::numbers::pi * uniform());
}
