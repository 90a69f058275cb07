// The audio vario's tone: the vertical speed as the sound soaring pilots
// know, rendered as 16-bit mono samples. Climb: beeps that rise in pitch and
// come faster the stronger the lift. Sink beyond a threshold: one low,
// continuous tone. In between, silence, with hysteresis at both edges.
// Plain computation: no clock, no device; the caller feeds it values and
// asks for samples.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>

class VarioTone {
 public:
  explicit VarioTone(int sampleRate = 44100);

  // The newest vertical speed [m/s]; nullopt (no valid value: a stale
  // reading) silences the tone.
  void SetVario(std::optional<double> vario);

  // The next `count` samples; the phase and the beep run on across calls.
  void Render(std::int16_t* samples, std::size_t count);

  // Nothing to play: silent, and a beep begun has finished and faded out.
  // Rendering on gives only zeros until the next SetVario that sounds.
  bool Quiet() const;

  int SampleRate() const { return m_nRate; }

 private:
  enum class Mode { kSilent, kClimb, kSink };
  void StartPeriod();
  double TargetFrequency() const;

  int m_nRate;
  Mode m_mode = Mode::kSilent;
  double m_vario = 0;
  double m_frequency = 0;     // [Hz], gliding toward the target
  double m_phase = 0;         // [rad]
  double m_gain = 0;          // envelope 0..1
  std::size_t m_nPeriod = 0;  // samples of the beep period in progress (climb)
  std::size_t m_nOn = 0;      // of which the tone sounds
  std::size_t m_nPosition = 0;
};
