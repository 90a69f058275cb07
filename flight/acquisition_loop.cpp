#include "flight/acquisition_loop.h"

#include <algorithm>
#include <cstring>
#include <string_view>

#include "base/airspace_beeps.h"
#include "base/flight_values.h"
#include "base/number_text.h"
#include "base/text_format.h"
#include "base/traffic.h"
#include "device/gm130api.h"
#include "device/sensors.h"
#include "display/top_line.h"
#include "flight/air_data.h"
#include "flight/circle_wind.h"
#include "flight/fix_acceptance.h"
#include "flight/navigation.h"
#include "flight/nmea_reader.h"
#include "flight/traffic_reader.h"
#include "flight/vario.h"
#include "flight/wind.h"
#include "logs/flight_logs.h"

double MonotonicSeconds() {
  return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

AcquisitionLoop::AcquisitionLoop(ByteSource& port, InstrumentWindow& window,
                                 AcquisitionOptions options)
    : m_port(port), m_window(window), m_options(options) {
  m_state.strSentence.reserve(kMaxSentenceChars);
}

void AcquisitionLoop::AcquisitionThreadProc() {
  while (!m_bStop.load()) {
    // A plain look first: an exchange on every read costs more than the read.
    if (m_bReopen.load(std::memory_order_relaxed) && m_bReopen.exchange(false)) {
      // A sentence begun on the old port must not be finished with bytes
      // of the new one.
      m_bInSentence = false;
      m_state.strSentence.clear();
      if (!m_port.Reopen()) PauseBeforeNextReopen();
      continue;
    }
    if (m_bTopLineTap.load(std::memory_order_relaxed) && m_bTopLineTap.exchange(false)) AnswerTopLineTap();
    std::string_view bytes;
    switch (m_port.Read(bytes)) {
      case ReadStatus::kBytes:
        ProcessBytes(bytes);
        break;
      case ReadStatus::kNoByte:
        // A read that delivered nothing is not a byte: the last byte must
        // not be taken twice. A silent traffic device ages all the same.
        AgeTrafficBetweenFixes();
        break;
      case ReadStatus::kFailed:
        if (!m_port.Reopen()) PauseBeforeNextReopen();
        break;
      case ReadStatus::kEnded:
        return;
    }
  }
}

void AcquisitionLoop::RequestStop() {
  {
    std::lock_guard<std::mutex> lock(m_stopMutex);
    m_bStop = true;
  }
  m_stopWake.notify_all();
  m_port.Interrupt();
}

void AcquisitionLoop::RequestReopen() {
  m_bReopen = true;
  m_port.Interrupt();
}

void AcquisitionLoop::TopLineTapped() {
  m_bTopLineTap = true;
  m_port.Interrupt();
}

void AcquisitionLoop::PauseBeforeNextReopen() {
  std::unique_lock<std::mutex> lock(m_stopMutex);
  m_stopWake.wait_for(lock, m_options.reopenPause, [this] { return m_bStop.load(); });
}

// Byte by byte, the sentence machine is: a "$" opens a new sentence
// (whatever came before it is dropped, and so is a sentence it cuts
// short); nothing counts before the first "$"; a byte that would make the
// text longer than kMaxSentenceChars drops it; the first "*" marks where
// the checksum begins, and when its two digits have come the sentence is
// examined once, and only when the line brought it undamaged (the line
// end, a second "*" or anything else up to the next "$" is dropped); such a
// sentence is passed on, as it stands, first.
// Here whole runs of bytes are taken at a time, with the same outcome
// wherever the stream was cut into reads.
void AcquisitionLoop::ProcessBytes(std::string_view bytes) {
  std::string& sentence = m_state.strSentence;
  const char* p = bytes.data();
  const char* const end = p + bytes.size();
  while (p != end) {
    if (!m_bInSentence) {
      p = static_cast<const char*>(std::memchr(p, '$', static_cast<std::size_t>(end - p)));
      if (p == nullptr) return;
    }
    if (*p == '$') {
      sentence.assign(1, '$');
      m_bInSentence = true;
      m_nStar = std::string::npos;
      ++p;
      continue;
    }
    // The bytes this sentence can take from here: up to the next "$", and
    // before the "*" has come, up to and including it.
    const auto* dollar = static_cast<const char*>(std::memchr(p, '$', static_cast<std::size_t>(end - p)));
    const char* take = dollar != nullptr ? dollar : end;
    const bool starStillToCome = m_nStar == std::string::npos;
    const char* star = nullptr;
    if (starStillToCome) {
      star = static_cast<const char*>(std::memchr(p, '*', static_cast<std::size_t>(take - p)));
      if (star != nullptr) take = star + 1;
    } else {
      take = std::min(take, p + static_cast<std::ptrdiff_t>(m_nStar + 3 - sentence.size()));
    }
    const std::size_t count = static_cast<std::size_t>(take - p);
    const std::size_t room = kMaxSentenceChars - sentence.size();
    if (count > room) {  // the byte after the room runs out drops the sentence
      sentence.clear();
      m_bInSentence = false;
      p += room + 1;
      continue;
    }
    sentence.append(p, count);
    p = take;
    if (starStillToCome) {
      if (star != nullptr) m_nStar = sentence.size() - 1;
    } else if (sentence.size() == m_nStar + 3) {
      m_bInSentence = false;
      if (NmeaChecksumMatches(sentence)) {
        if (m_pSentenceSink != nullptr) m_pSentenceSink->PassOn(sentence);
        ExamineSentence(std::string_view(sentence).substr(0, m_nStar + 1));
      }
    }
  }
}

void AcquisitionLoop::ExamineSentence(std::string_view sentence) {
  switch (NmeaSentenceKind(sentence)) {
    case NmeaKind::kGga:
      if (ReadGga(sentence, m_state)) {
        ++m_nGpsAltitudes;
        m_dGpsAltitude = m_state.dAltGps;
      }
      break;
    case NmeaKind::kRmc: {
      // One cycle a second, the track log's and the vertical speed's step:
      // a receiver that reports one fix under two talkers (GP and GN), or
      // several fixes a second, gets the first of them. The second is
      // compared as the B record holds it ("1235" is 123500). A receiver
      // without time sends the field empty: each of those still shows.
      const std::string field = NmeaField(sentence, 2);
      std::string time = field.empty() ? std::string() : RmcTimeText(field);
      if (!time.empty() && time == m_strLastRmcTime) return;
      m_strLastRmcTime = std::move(time);
      AdvanceStreamClock(m_strLastRmcTime);
      RunRmcCycle(sentence);
      break;
    }
    case NmeaKind::kTrafficStatus:
      TakeTrafficStatus(sentence);
      break;
    case NmeaKind::kTrafficTarget:
      m_bTrafficChanged |= m_traffic.TakeTarget(ReadTrafficTarget(sentence), TrafficNow());
      break;
    case NmeaKind::kOther:
      break;
  }
}

double AcquisitionLoop::TrafficNow() const {
  return m_options.trafficClock ? m_options.trafficClock() : m_dStreamSeconds;
}

void AcquisitionLoop::AdvanceStreamClock(const std::string& hhmmss) {
  // In flight the instrument's clock is the traffic's; a fix without time
  // moves no clock.
  if (m_options.trafficClock || hhmmss.empty()) return;
  const int seconds = SecondsOfDay(ReadNumber(hhmmss, 6));
  if (m_nStreamBase < 0) m_nStreamBase = seconds;
  m_dStreamSeconds = m_streamClock.Elapsed(m_nStreamBase, seconds);
}

void AcquisitionLoop::TakeTrafficStatus(std::string_view sentence) {
  const TrafficAlarm before = m_traffic.Picture().alarm;
  m_bTrafficChanged |= m_traffic.TakeStatus(ReadTrafficStatus(sentence), TrafficNow());
  ShowAlarmChange(before);
  FollowTrafficWithReadTimeout();
}

void AcquisitionLoop::AgeTrafficBetweenFixes() {
  if (m_traffic.Idle()) return;
  const TrafficAlarm before = m_traffic.Picture().alarm;
  m_bTrafficChanged |= m_traffic.Age(TrafficNow());
  ShowAlarmChange(before);
  FollowTrafficWithReadTimeout();
}

// An alarm must not wait for the next fix: the top line and the speaker
// (through the published level) take a change of it at once.
void AcquisitionLoop::ShowAlarmChange(const TrafficAlarm& before) {
  if (m_traffic.Picture().alarm == before) return;
  PublishTraffic(m_traffic.Picture());
  m_bTrafficChanged = false;
  ShowTopLineAtOnce();
  m_window.RequestRepaint();
}

void AcquisitionLoop::ShowTopLineAtOnce() {
  if (!m_window.ShowsFieldTexts()) return;
  ApplyTopLine(m_texts, m_traffic.Picture().alarm, m_airspaceTexts.strWarning);
  m_window.ShowAlarmChange(m_texts);
}

// Only the warning the pilot sees is acknowledged by his tap: a tap on a
// traffic alarm or on a field does nothing.
void AcquisitionLoop::AnswerTopLineTap() {
  if (m_texts.topOwner != TopLineOwner::kAirspaceWarning || !m_airspace.Acknowledge()) return;
  m_airspaceTexts = m_airspace.Texts(TopLineCharacters());
  ShowTopLineAtOnce();
}

// The map follows the traffic once a fix; with no traffic this costs one test.
void AcquisitionLoop::HandTrafficOverWithFix() {
  if (!m_traffic.Idle()) m_bTrafficChanged |= m_traffic.Age(TrafficNow());
  if (!m_bTrafficChanged) return;
  m_bTrafficChanged = false;
  PublishTraffic(m_traffic.Picture());
  m_window.RequestRepaint();
  FollowTrafficWithReadTimeout();
}

// While there is a traffic device, reads wake now and then, so that its
// targets and alarm age even when the port falls silent; without one they
// wait for bytes as long as it takes.
void AcquisitionLoop::FollowTrafficWithReadTimeout() {
  const bool wanted = !m_traffic.Idle() && m_options.trafficClock != nullptr;
  if (wanted == m_bTrafficTimeout) return;
  m_bTrafficTimeout = wanted;
  m_port.SetReadTimeout(wanted ? kTrafficReadTimeout : std::chrono::milliseconds::zero());
}

void AcquisitionLoop::RunRmcCycle(std::string_view sentence) {
  // The navigation works on the previous fix: it runs before this sentence
  // is read.
  UpdateNavigation(m_state);
  ReadRmc(sentence, m_state);
  TakeTimeBase();
  ReadBarometer();
  HandTrafficOverWithFix();

  const bool accepted = IsFixAccepted(m_state);
  const int elapsed =
      accepted ? m_elapsed.Elapsed(static_cast<int>(g_dTimeBase), SecondsOfDay(m_state.dTime)) : 0;
  if (accepted) CheckAirspace(elapsed);

  if (m_window.ShowsFieldTexts()) {
    UpdateDisplayTexts(m_state, m_traffic.Picture(), m_airspaceTexts, m_texts);
    m_window.ShowFieldTexts(m_texts);
  }

  if (accepted) RecordAcceptedFix(elapsed);
}

// With the vertical speed the pilot reads at this fix (the last accepted
// fix's), before the texts are built.
void AcquisitionLoop::CheckAirspace(int elapsed) {
  if (!m_airspace.Watching()) return;
  bool beeps = false;
  for (const AirspaceEvent& event : m_airspace.Check(m_state, elapsed, m_nGpsAltitudes > 0)) {
    m_window.TellAirspaceEvent(m_airspace.EventLine(event, m_state.strTime));
    beeps |= event.kind != AirspaceEventKind::kClear && !event.silenced;
  }
  if (beeps) RequestAirspaceBeeps();
  if (m_window.ShowsFieldTexts()) m_airspaceTexts = m_airspace.Texts(TopLineCharacters());
}

void AcquisitionLoop::TakeTimeBase() {
  // The first non-zero GPRMC time, valid fix or not, once per process.
  if (m_state.dTime != 0 && g_bTimeBasePending) {
    g_bTimeBasePending = false;
    g_dTimeBase = SecondsOfDay(m_state.dTime);
  }
}

void AcquisitionLoop::ReadBarometer() {
  if (!g_bBaroOpen) return;
  if (!m_bBaroRead) {
    // A barometer found in flight: the step from the 0 m of the fixes flown
    // without it to its first altitude is no climb, so the vertical speed
    // starts afresh.
    m_bBaroRead = true;
    if (m_nAcceptedFixes > 0) ResetVario();
  }
  const int altitude = barGetAltitude();
  m_state.dAltBaro = altitude;
  // The track log has five columns for it; the display keeps the real figure.
  m_state.strAltBaro = FormatInt(std::clamp(altitude, kMinRecordedAltitude, kMaxRecordedAltitude), 5, true);
}

void AcquisitionLoop::RecordAcceptedFix(int elapsed) {
  ++m_nAcceptedFixes;
  WriteTrackRecord(m_state);
  WriteAccelRecord(m_state.strTime, g_fAccelX, g_fAccelY, g_fAccelZ);

  g_dVario = ComputeVario(m_state.dAltBaro, elapsed);
  EstimateWind(m_state.dCourse, m_state.dSpeed);
  m_circleWind.AddFix(m_state.dCourse, m_state.dSpeed, elapsed);
  g_circleWind = m_circleWind.Result();
  UpdateAirData(m_state.dSpeed, m_state.dCourse, g_dWindDir, g_dWindSpeed);

  if (++g_nRedrawCount > 3) {
    g_nRedrawCount = 0;
    if (m_airspace.Watching()) PublishMapBorders(m_airspace.BordersAround(m_state));
    m_window.RequestRepaint();
  }
}
