#include "audio/audio_vario.h"

#include <alsa/asoundlib.h>

#include <array>
#include <chrono>
#include <cstdio>
#include <optional>

#include "audio/vario_tone.h"
#include "audio/vario_tone_table.h"
#include "base/flight_values.h"
#include "base/settings_values.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kRate = 44100;
constexpr unsigned kLatencyMicroseconds = 75000;
constexpr std::size_t kChunk = kRate / 100;   // 10 ms a write
constexpr auto kRetry = std::chrono::seconds(5);

// ALSA's library prints its own complaints at every failed open; this
// thread says once what it means instead.
void QuietAlsa(const char*, int, const char*, int, const char*, ...) {}

// The device opened for 16-bit mono at kRate, or nullptr and why not.
snd_pcm_t* OpenDevice(const std::string& device, std::string& why) {
  snd_pcm_t* pcm = nullptr;
  // Opened without waiting (a busy device must not hold up this thread's
  // stop), then written with waiting, which paces the tone.
  int error = snd_pcm_open(&pcm, device.c_str(), SND_PCM_STREAM_PLAYBACK, SND_PCM_NONBLOCK);
  if (error == 0) error = snd_pcm_nonblock(pcm, 0);
  if (error == 0) {
    error = snd_pcm_set_params(pcm, SND_PCM_FORMAT_S16_LE, SND_PCM_ACCESS_RW_INTERLEAVED, 1, kRate,
                               1, kLatencyMicroseconds);
  }
  if (error == 0) return pcm;
  why = snd_strerror(error);
  if (pcm) snd_pcm_close(pcm);
  return nullptr;
}

}  // namespace

AudioVario::AudioVario(std::string device, Report report)
    : m_strDevice(std::move(device)), m_report(std::move(report)) {
  if (!m_report) m_report = [](const std::string& message) { std::fprintf(stderr, "%s\n", message.c_str()); };
}

AudioVario::~AudioVario() { Stop(); }

void AudioVario::Start() {
  if (m_thread.joinable()) return;
  m_bStop = false;
  m_thread = std::thread([this] { Run(); });
}

void AudioVario::Stop() {
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_bStop = true;
  }
  m_wake.notify_all();
  if (m_thread.joinable()) m_thread.join();
}

bool AudioVario::WaitOrStop(std::chrono::milliseconds pause) {
  std::unique_lock<std::mutex> lock(m_mutex);
  return m_wake.wait_for(lock, pause, [this] { return m_bStop; });
}

void AudioVario::Run() {
  snd_lib_error_set_handler(QuietAlsa);
  VarioTone tone(kRate);
  std::array<std::int16_t, kChunk> samples{};
  snd_pcm_t* pcm = nullptr;
  Clock::time_point nextTry = Clock::now();
  bool reported = false;
  // Only a value that comes after the start is heard.
  unsigned long seen = LatestVario().updates;
  Clock::time_point fresh = Clock::now() - std::chrono::hours(1);
  const auto stale = std::chrono::duration<double>(vario_tone::kStaleSeconds);

  while (true) {
    if (g_bSound != 1 || Clock::now() < nextTry) {
      // Off: the device is let go at once; the tone starts afresh later.
      if (pcm) snd_pcm_drop(pcm), snd_pcm_close(pcm), pcm = nullptr;
      tone.SetVario(std::nullopt);
      seen = LatestVario().updates;  // switched on, it waits for the next value
      if (WaitOrStop(std::chrono::milliseconds(20))) break;
      continue;
    }
    {
      std::lock_guard<std::mutex> lock(m_mutex);
      if (m_bStop) break;
    }
    if (!pcm) {
      std::string why;
      pcm = OpenDevice(m_strDevice, why);
      if (!pcm) {
        if (!reported) m_report("audio vario: no sound from '" + m_strDevice + "' (" + why + "); trying again");
        reported = true;
        nextTry = Clock::now() + kRetry;
        continue;
      }
    }
    const VarioReading reading = LatestVario();
    if (reading.updates != seen) {
      seen = reading.updates;
      fresh = Clock::now();
      tone.SetVario(reading.vario);
    } else if (Clock::now() - fresh > stale) {
      tone.SetVario(std::nullopt);  // the receiver is lost: no sound is better than an old one
    }
    tone.Render(samples.data(), samples.size());
    snd_pcm_sframes_t written = snd_pcm_writei(pcm, samples.data(), samples.size());
    if (written < 0) written = snd_pcm_recover(pcm, static_cast<int>(written), 1);
    if (written < 0) {
      if (!reported) m_report("audio vario: the sound device failed (" + std::string(snd_strerror(static_cast<int>(written))) + "); trying again");
      reported = true;
      snd_pcm_close(pcm);
      pcm = nullptr;
      nextTry = Clock::now() + kRetry;
      continue;
    }
    m_nFrames += written;
  }
  if (pcm) snd_pcm_drop(pcm), snd_pcm_close(pcm);
}
