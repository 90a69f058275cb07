// The audio vario: its own thread renders the fast vertical speed's tone
// and plays it through ALSA (the "default" device reaches PulseAudio or
// PipeWire where a desktop runs one, the sound card where none does), with
// at most 80 ms of latency. It follows the "Sound" setting at once and falls
// silent when the vertical speed stops coming. A traffic collision alarm
// (its level published in base/traffic.h) takes the speaker from the vario
// while it lasts, with a pattern of its own per level (audio/alarm_tone.h),
// and gives it back after; the airspace warning's three low beeps (asked
// for in base/airspace_beeps.h) take it while they play, unless a traffic
// alarm has it (audio/alarm_choice.h). Both are heard with or without a
// barometer.
//
// Silence costs nothing: once the tone has fallen silent and its last
// sound has played out, nothing is written; the stream is stopped, and
// after a few seconds the device is let go. The thread then sleeps until a
// value that sounds arrives, and the tone starts at once. On a device that
// does not pace its writes (ALSA's "null"), the thread paces itself by the
// clock.
//
// It never holds up the acquisition or the window: without a device, or
// when the device fails in flight, the instrument runs on silently, says
// so once on standard error and tries the device again every few seconds.
// Without a barometer there is no tone (a vertical speed from the GPS
// altitude, metres off from second to second, would beep false lift), and
// it says that once too.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

class AudioVario {
 public:
  // [Hz] ample for a tone of at most 1500 Hz, and half the work of 44100.
  static constexpr int kSampleRate = 22050;
  using Report = std::function<void(const std::string&)>;
  explicit AudioVario(std::string device = "default", Report report = nullptr);
  ~AudioVario();
  AudioVario(const AudioVario&) = delete;
  AudioVario& operator=(const AudioVario&) = delete;

  void Start();
  void Stop();   // returns within a tenth of a second

  // Frames handed to the device so far, silence included.
  long long FramesWritten() const { return m_nFrames.load(); }

 private:
  void Run();
  bool WaitOrStop(std::chrono::microseconds pause);  // true when asked to stop

  std::string m_strDevice;
  Report m_report;
  std::thread m_thread;
  std::mutex m_mutex;
  std::condition_variable m_wake;
  bool m_bStop = false;
  std::atomic<long long> m_nFrames{0};
};
