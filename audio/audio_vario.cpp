#include "audio/audio_vario.h"

#include <alsa/asoundlib.h>

#include <cerrno>
#include <cstdio>
#include <optional>
#include <vector>

#include "audio/alarm_choice.h"
#include "audio/speaker.h"
#include "audio/vario_tone_table.h"
#include "base/airspace_beeps.h"
#include "base/flight_values.h"
#include "base/settings_values.h"
#include "base/traffic.h"

namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::duration;
using std::chrono::microseconds;
using std::chrono::milliseconds;

constexpr int kRate = AudioVario::kSampleRate;
// The device's buffer: what the pilot hears lags the value by at most this.
constexpr unsigned kBufferMicroseconds = 80000;
// Written in two periods of 40 ms: each wake of this thread (and of a
// sound server's client thread) costs more than the samples it renders, so
// they come 25 times a second rather than a hundred.
constexpr unsigned kPeriodMicroseconds = kBufferMicroseconds / 2;
constexpr auto kRetry = std::chrono::seconds(5);  // after a device failed
// While quiet the thread sleeps until a value that sounds arrives; it looks
// at the "Sound" setting and the clock this often all the same.
constexpr auto kQuietPoll = milliseconds(500);
constexpr auto kOffPoll = milliseconds(100);      // while "Sound" is off: heard this soon when on
constexpr auto kRelease = std::chrono::seconds(5);  // quiet this long: the device is let go
constexpr auto kNoValues = std::chrono::seconds(2); // sound on, no vertical speed: no barometer

// ALSA's library prints its own complaints at every failed open; this
// thread says once what it means instead.
void QuietAlsa(const char*, int, const char*, int, const char*, ...) {}

// An open device, its buffer and its period in frames.
struct Device {
  snd_pcm_t* pcm = nullptr;
  long long buffer = 0, period = 0;
};

// The device opened for 16-bit mono at kRate, or no pcm and why not.
Device OpenDevice(const std::string& name, std::string& why) {
  Device device;
  snd_pcm_t* pcm = nullptr;
  snd_pcm_hw_params_t* hw = nullptr;
  snd_pcm_sw_params_t* sw = nullptr;
  snd_pcm_hw_params_alloca(&hw);
  snd_pcm_sw_params_alloca(&sw);
  unsigned rate = kRate, bufferTime = kBufferMicroseconds, periodTime = kPeriodMicroseconds;
  snd_pcm_uframes_t buffer = 0, period = 0;
  // Opened without waiting (a busy device must not hold up this thread's
  // stop), then written with waiting, which paces the tone.
  int error = snd_pcm_open(&pcm, name.c_str(), SND_PCM_STREAM_PLAYBACK, SND_PCM_NONBLOCK);
  if (error == 0) error = snd_pcm_nonblock(pcm, 0);
  if (error == 0) error = snd_pcm_hw_params_any(pcm, hw);
  if (error >= 0) error = snd_pcm_hw_params_set_rate_resample(pcm, hw, 1);
  if (error == 0) error = snd_pcm_hw_params_set_access(pcm, hw, SND_PCM_ACCESS_RW_INTERLEAVED);
  if (error == 0) error = snd_pcm_hw_params_set_format(pcm, hw, SND_PCM_FORMAT_S16_LE);
  if (error == 0) error = snd_pcm_hw_params_set_channels(pcm, hw, 1);
  if (error == 0) error = snd_pcm_hw_params_set_rate_near(pcm, hw, &rate, nullptr);
  if (error == 0 && rate != kRate) error = -EINVAL;
  if (error == 0) error = snd_pcm_hw_params_set_buffer_time_near(pcm, hw, &bufferTime, nullptr);
  if (error == 0) error = snd_pcm_hw_params_set_period_time_near(pcm, hw, &periodTime, nullptr);
  if (error == 0) error = snd_pcm_hw_params(pcm, hw);
  if (error == 0) error = snd_pcm_hw_params_get_buffer_size(hw, &buffer);
  if (error == 0) error = snd_pcm_hw_params_get_period_size(hw, &period, nullptr);
  // Playback starts once the buffer is full, and a write waits for a
  // whole period of room.
  if (error == 0) error = snd_pcm_sw_params_current(pcm, sw);
  if (error == 0) error = snd_pcm_sw_params_set_start_threshold(pcm, sw, buffer);
  if (error == 0) error = snd_pcm_sw_params_set_avail_min(pcm, sw, period);
  if (error == 0) error = snd_pcm_sw_params(pcm, sw);
  if (error == 0 && (period == 0 || buffer < period)) error = -EINVAL;
  if (error == 0) {
    device.pcm = pcm;
    device.buffer = static_cast<long long>(buffer);
    device.period = static_cast<long long>(period);
    return device;
  }
  why = snd_strerror(error);
  if (pcm) snd_pcm_close(pcm);
  return device;
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
  WakeFastVarioWaiters();
  if (m_thread.joinable()) m_thread.join();
}

bool AudioVario::WaitOrStop(microseconds pause) {
  std::unique_lock<std::mutex> lock(m_mutex);
  return m_wake.wait_for(lock, pause, [this] { return m_bStop; });
}

void AudioVario::Run() {
  snd_lib_error_set_handler(QuietAlsa);
  Speaker speaker(kRate);
  VarioTone& tone = speaker.Vario();
  std::vector<std::int16_t> samples;
  Device device;
  snd_pcm_t*& pcm = device.pcm;
  bool probed = false;          // the device was tried since "Sound" came on
  bool playing = false;         // prepared and written to since the last stop
  bool selfPaced = false;       // the device takes whatever it is given
  long long paced = 0;          // frames written since playing began
  long long silence = 0;        // frames of silence written since the tone fell quiet
  Clock::time_point playingSince, quietSince = Clock::now(), nextTry = Clock::now();
  bool reportedDevice = false, reportedNoValues = false;
  AlarmChoice alarms(AirspaceBeepRequests());
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
    // Taken before the stop request is looked at: a Stop() after it wakes
    // the quiet wait below at once.
    const unsigned long wakes = FastVarioWakes();
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
      alarms.Silence(speaker.Alarm(), AirspaceBeepRequests());
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

    // A traffic alarm takes the speaker while it lasts, and the airspace
    // warning's beeps while they play, barometer or not. An alarm that
    // starts or changes is heard now: what the device (and a sound server
    // behind it) still holds of the sound before is dropped, rather than
    // played out first.
    if (alarms.Follow(speaker.Alarm(), TrafficAlarmLevel(), AirspaceBeepRequests()) && playing) {
      snd_pcm_drop(pcm);
      playing = false;
    }

    // The device is tried as soon as "Sound" is on, so that a missing one
    // is told at once, and again whenever there is a tone to play.
    if (!pcm && now >= nextTry && (!probed || !speaker.Quiet())) {
      probed = true;
      quietSince = now;
      std::string why;
      device = OpenDevice(m_strDevice, why);
      samples.assign(static_cast<std::size_t>(device.period), 0);
      selfPaced = false;
      if (!pcm) failed("audio vario: no sound from '" + m_strDevice + "' (" + why + ")");
    }

    // Quiet, and the last sound has played out: nothing is written. The
    // stream stops, and after a while the device is let go.
    if (speaker.Quiet() && (!playing || silence >= device.buffer)) {
      if (playing) {
        snd_pcm_drop(pcm);
        playing = false;
        quietSince = now;
      }
      if (pcm && now - quietSince > kRelease) release();
      WaitForFastVarioOutside(vario_tone::kSinkOn, vario_tone::kClimbOn, kQuietPoll, wakes);
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

    speaker.Render(samples.data(), samples.size());
    silence = speaker.Quiet() ? silence + device.period : 0;
    // A device that takes whatever it is given (ALSA's "null") would let
    // this loop spin. A real one holds every write once its buffer is
    // full, and so is never a second ahead of the clock; one that gets
    // there is paced by the clock from then on, a buffer ahead of it.
    const long long due = static_cast<long long>(duration<double>(now - playingSince).count() * kRate);
    if (paced - due > kRate) selfPaced = true;
    if (selfPaced && paced - due > device.buffer) {
      if (WaitOrStop(microseconds((paced - due - device.buffer) * 1000000 / kRate))) break;
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
