// The simulators' random numbers, the same on every standard library
// (std::normal_distribution is not): drawn from a std::mt19937 of their own.
#pragma once

#include <cmath>
#include <numbers>
#include <random>

// Uniform in [low, high).
inline double SimUniform(std::mt19937& random, double low, double high) {
  return low + (high - low) * (static_cast<double>(random()) / 4294967296.0);
}

// Mean 0, RMS 1: Box and Muller's transform of two uniform numbers in (0, 1].
inline double StandardGaussian(std::mt19937& random) {
  const auto uniform = [&random] { return (static_cast<double>(random()) + 1) / 4294967296.0; };
  const double radius = std::sqrt(-2 * std::log(uniform()));
  return radius * std::cos(2 * std::numbers::pi * uniform());
}
