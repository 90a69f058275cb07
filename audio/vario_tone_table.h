// The audio vario's constants in one place. They follow the tone soaring
// pilots know from the open glide computers and varios, so that a pilot
// who flew with one of them hears what he expects.
#pragma once

namespace vario_tone {

inline constexpr double kClimbOn = 0.1;       // [m/s] the climb tone starts: weak lift is heard
inline constexpr double kClimbOff = 0.05;     // [m/s] ... and stops: level flight is silent, no stutter at the edge
inline constexpr double kSinkOn = -2.0;       // [m/s] the sink tone starts: more than a glider's own sink
inline constexpr double kSinkOff = -1.5;      // [m/s] ... and stops: hysteresis against flicker
inline constexpr double kBaseHz = 500;        // [Hz] the tone at 0 m/s, from both sides
inline constexpr double kClimbHzPerMs = 200;  // [Hz per m/s] pitch rises with the climb
inline constexpr double kMaxHz = 1500;        // [Hz] past this the ear gains nothing
inline constexpr double kSinkHzPerMs = 60;    // [Hz per m/s] pitch falls with the sink
inline constexpr double kMinHz = 200;         // [Hz] lower is lost in the wind noise
inline constexpr double kPeriodMs = 600;      // [ms] beep period at 0 m/s
inline constexpr double kPeriodMsPerMs = 90;  // [ms per m/s] stronger lift beeps faster
inline constexpr double kMinPeriodMs = 150;   // [ms] faster beeps blur into one tone
inline constexpr double kDuty = 2.0 / 3;      // the tone sounds two thirds of each period
inline constexpr double kGlideSeconds = 0.01; // [s] smooths the pitch's steps at 50 values a second, no more
inline constexpr double kFadeSeconds = 0.005; // every beep fades in and out: no clicks
inline constexpr double kAmplitude = 0.5;     // of full scale: loud, with room left
inline constexpr double kStaleSeconds = 0.5;  // [s] without a new value for this long (25 samples lost): silence

}  // namespace vario_tone
