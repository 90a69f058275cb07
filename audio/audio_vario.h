// The audio vario: its own thread renders the vertical speed's tone and
// plays it through ALSA (the "default" device reaches PulseAudio or
// PipeWire where a desktop runs one, the sound card where none does), with
// about 75 ms of latency. It follows the "Sound" setting at once, falls
// silent when the vertical speed is more than three seconds old, and never
// holds up the acquisition or the window: without a device, or when the
// device fails in flight, the instrument runs on silently, says so once on
// standard error and tries the device again every few seconds.
#pragma once

#include <atomic>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

class AudioVario {
 public:
  using Report = std::function<void(const std::string&)>;
  explicit AudioVario(std::string device = "default", Report report = nullptr);
  ~AudioVario();
  AudioVario(const AudioVario&) = delete;
  AudioVario& operator=(const AudioVario&) = delete;

  void Start();
  void Stop();   // returns within a few tens of milliseconds

  long long FramesPlayed() const { return m_nFrames.load(); }

 private:
  void Run();
  bool WaitOrStop(std::chrono::milliseconds pause);  // true when asked to stop

  std::string m_strDevice;
  Report m_report;
  std::thread m_thread;
  std::mutex m_mutex;
  std::condition_variable m_wake;
  bool m_bStop = false;
  std::atomic<long long> m_nFrames{0};
};
