// Alarm sounds, unmistakable beside the vario: patterns of tones and
// pauses, each step one pitch for a time, played round and round while the
// alarm lasts (the traffic alarm) or through once (the airspace warning's
// beeps). The traffic alarm's pitches lie above the vario's highest
// (1500 Hz) and alternate high and low; the airspace warning's are low, at
// a pitch the vario never beeps at nor holds its sink tone on, three and
// done. Plain computation, like the vario's tone.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

struct ToneStep {
  double hz;   // 0: a pause
  double ms;
};

struct TonePattern {
  std::span<const ToneStep> steps;
  bool repeats;   // round and round until stopped, or once
};

// The traffic collision alarm of level 1 to 3 (see alarm_tone.cpp): a high
// and a low beep, in pairs that come faster with each level, until level 3
// warbles without a pause. nullptr for any other level.
const TonePattern* TrafficAlarmPattern(int level);

// The airspace warning (see alarm_tone.cpp): three short low beeps, once.
const TonePattern* AirspaceWarningPattern();

class AlarmTone {
 public:
  explicit AlarmTone(int sampleRate);

  // Plays `pattern` from its start; the pattern already playing goes on
  // where it is. nullptr stops it, fading out.
  void Play(const TonePattern* pattern);
  // The same, but from its start even when it is the one playing.
  void PlayFromStart(const TonePattern* pattern);
  const TonePattern* Pattern() const { return m_pattern; }
  // A pattern is playing (in a pause too): the alarm has the speaker.
  bool Playing() const { return m_pattern != nullptr; }
  // Not playing, and faded out.
  bool Quiet() const { return m_pattern == nullptr && m_gain == 0; }

  // The next samples; the pattern and the phase run on across calls.
  void Render(std::int16_t* samples, std::size_t count);

 private:
  void Step();

  int m_nRate;
  const TonePattern* m_pattern = nullptr;
  std::size_t m_nStep = 0;        // the step playing
  std::size_t m_nLeft = 0;        // its samples still to come
  double m_frequency = 0;         // [Hz] of the last tone, kept through pauses for the fade
  double m_phase = 0;             // [rad], continuous from step to step: no click between pitches
  double m_gain = 0;              // envelope 0..1
};
