// The fast vario's constants in one place, each with its reason. Altitudes
// in metres, times in seconds; the filters model the vertical speed as
// driven by random vertical acceleration of the given spectral density.
#pragma once

namespace fast_vario {

// [m RMS] the barometer's noise: an MS5611 at its finest oversampling (4096)
// has 0.012 hPa RMS, 0.1 m near sea level (a BMP280 at x16 about the same).
inline constexpr double kAltitudeNoise = 0.10;
// [s] the sampling interval (50 Hz) that a (re)start's covariance is set
// for; the filters themselves use the real interval of every sample.
inline constexpr double kSampleInterval = 0.02;
// [m^2/s^3] the quiet filter, heard in steady air: 0.024 m/s of noise at
// 50 Hz, so level flight stays silent; alone it would take 0.9 s to 63 %.
inline constexpr double kQuietAcceleration = 0.003;
// [m^2/s^3] the quick filter, heard when the air changes: 63 % of a step in
// under half a second, at 0.06 m/s of noise that steady air never hears.
inline constexpr double kQuickAcceleration = 0.04;
// [m/s] the two filters differ by 0.045 m/s RMS in steady air at 50 Hz:
// up to 0.15 (over 3 sigma) it is noise and the quiet filter is heard ...
inline constexpr double kBlendFrom = 0.15;
// [m/s] ... and from 0.3 the air has changed and the quick one is heard
// alone; in between the tone moves smoothly from one to the other.
inline constexpr double kBlendTo = 0.30;
// [s] after a longer gap the air may have changed in ways the filters
// cannot know: they start afresh rather than jump.
inline constexpr double kRestartGap = 1.0;
// [m] a sample this far from the prediction is no flight (a sensor fault
// or a reset); the filters start afresh on it rather than follow it.
inline constexpr double kMaxJump = 20.0;

}  // namespace fast_vario
