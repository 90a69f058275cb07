#include "audio/audio_vario.h"

#include <alsa/asoundlib.h>

#include <array>
#include <cstdio>
#include <optional>

#include "audio/vario_tone.h"
#include "audio/vario_tone_table.h"
#include "base/flight_values.h"
#include "base/settings_values.h"

namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::duration;
using std::chrono::microseconds;
using std::chrono::milliseconds;

constexpr int kRate = 44100;
constexpr unsigned kLatencyMicroseconds = 75000;
constexpr long long kBufferFrames = kRate * static_cast<long long>(kLatencyMicroseconds) / 1000000;
constexpr std::size_t kChunk = kRate / 100;       // 10 ms a write
constexpr auto kRetry = std::chrono::seconds(5);  // after a device failed
constexpr auto kIdlePoll = milliseconds(10);      // while quiet: how soon a new tone starts
constexpr auto kOffPoll = milliseconds(20);       // while "Sound" is off
constexpr auto kRelease = std::chrono::seconds(5);  // quiet this long: the device is let go
constexpr auto kNoValues = std::chrono::seconds(2); // sound on, no vertical speed: no barometer

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

bool AudioVario::WaitOrStop(microseconds pause) {
  std::unique_lock<std::mutex> lock(m_mutex);
  return m_wake.wait_for(lock, pause, [this] { return m_bStop; });
}

void AudioVario::Run() {
  snd_lib_error_set_handler(QuietAlsa);
  VarioTone tone(kRate);
  std::array<std::int16_t, kChunk> samples{};
  snd_pcm_t* pcm = nullptr;
  bool probed = false;          // the device was tried since "Sound" came on
  bool playing = false;         // prepared and written to since the last stop
  bool selfPaced = false;       // the device takes whatever it is given
  long long paced = 0;          // frames written since playing began
  long long silence = 0;        // frames of silence written since the tone fell quiet
  Clock::time_point playingSince, quietSince = Clock::now(), nextTry = Clock::now();
  bool reportedDevice = false, reportedNoValues = false;
  // Only a value that comes after the start is heard.
  unsigned long seen = LatestFastVario().updates;
  Clock::time_point fresh = Clock::now();  // the last new value, or "Sound" switched on
  const auto stale = duration<double>(vario_tone::kStaleSeconds);

  const auto release = [&] {
    if (pcm) snd_pcm_drop(pcm), snd_pcm_close(pcm);
    pcm = nullptr;
    playing = false;
  };
  const auto failed = [&](const std::string& message) {
    if (!reportedDevice) m_report(message + "; trying again");
    reportedDevice = true;
    release();
    nextTry = Clock::now() + kRetry;
  };

  while (true) {
    {
      std::lock_guard<std::mutex> lock(m_mutex);
      if (m_bStop) break;
    }
    const Clock::time_point now = Clock::now();
    if (g_bSound != 1) {
      // Off: the device is let go at once; the tone starts afresh later,
      // from a value that comes after it is switched on again.
      release();
      probed = false;
      tone = VarioTone(kRate);
      seen = LatestFastVario().updates;
      fresh = now;
      if (WaitOrStop(kOffPoll)) break;
      continue;
    }

    const VarioReading reading = LatestFastVario();
    if (reading.updates != seen) {
      seen = reading.updates;
      fresh = now;
      tone.SetVario(reading.vario);
    } else if (now - fresh > stale) {
      tone.SetVario(std::nullopt);  // no sound is better than an old one
      if (!reportedNoValues && now - fresh > kNoValues) {
        m_report("audio vario: no vertical speed from the barometer, so no tone");
        reportedNoValues = true;
      }
    }

    // The device is tried as soon as "Sound" is on, so that a missing one
    // is told at once, and again whenever there is a tone to play.
    if (!pcm && now >= nextTry && (!probed || !tone.Quiet())) {
      probed = true;
      quietSince = now;
      std::string why;
      pcm = OpenDevice(m_strDevice, why);
      selfPaced = false;
      if (!pcm) failed("audio vario: no sound from '" + m_strDevice + "' (" + why + ")");
    }

    // Quiet, and the last sound has played out: nothing is written. The
    // stream stops, and after a while the device is let go.
    if (tone.Quiet() && (!playing || silence >= kBufferFrames)) {
      if (playing) {
        snd_pcm_drop(pcm);
        playing = false;
        quietSince = now;
      }
      if (pcm && now - quietSince > kRelease) release();
      if (WaitOrStop(kIdlePoll)) break;
      continue;
    }
    if (!pcm) {  // waiting to try a failed device again
      if (WaitOrStop(kOffPoll)) break;
      continue;
    }
    if (!playing) {
      if (const int error = snd_pcm_prepare(pcm); error < 0) {
        failed("audio vario: the sound device failed (" + std::string(snd_strerror(error)) + ")");
        continue;
      }
      playing = true;
      paced = 0;
      playingSince = now;
    }

    tone.Render(samples.data(), samples.size());
    silence = tone.Quiet() ? silence + static_cast<long long>(kChunk) : 0;
    // A device that takes whatever it is given (ALSA's "null") would let
    // this loop spin. A real one holds every write once its buffer is
    // full, and so is never a second ahead of the clock; one that gets
    // there is paced by the clock from then on, a buffer ahead of it.
    const long long due = static_cast<long long>(duration<double>(now - playingSince).count() * kRate);
    if (paced - due > kRate) selfPaced = true;
    if (selfPaced && paced - due > kBufferFrames) {
      if (WaitOrStop(microseconds((paced - due - kBufferFrames) * 1000000 / kRate))) break;
    }
    snd_pcm_sframes_t written = snd_pcm_writei(pcm, samples.data(), samples.size());
    if (written < 0) {
      // An underrun (this thread was late) is recovered from: the clock
      // starts afresh with the stream.
      const int error = snd_pcm_recover(pcm, static_cast<int>(written), 1);
      if (error < 0) {
        failed("audio vario: the sound device failed (" + std::string(snd_strerror(error)) + ")");
        continue;
      }
      playing = false;
      continue;
    }
    m_nFrames += written;
    paced += written;
  }
  release();
}
