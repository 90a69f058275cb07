#include "flight/acquisition_loop.h"

#include <algorithm>
#include <string_view>

#include "base/flight_values.h"
#include "base/text_format.h"
#include "device/gm130api.h"
#include "device/sensors.h"
#include "flight/air_data.h"
#include "flight/fix_acceptance.h"
#include "flight/navigation.h"
#include "flight/nmea_reader.h"
#include "flight/vario.h"
#include "flight/wind.h"
#include "logs/flight_logs.h"

AcquisitionLoop::AcquisitionLoop(ByteSource& port, InstrumentWindow& window,
                                 AcquisitionOptions options)
    : m_port(port), m_window(window), m_options(options) {
  m_state.strSentence.reserve(kMaxSentenceChars);
}

void AcquisitionLoop::AcquisitionThreadProc() {
  while (!m_bStop.load()) {
    // A plain look first: an exchange on every byte costs more than the byte.
    if (m_bReopen.load(std::memory_order_relaxed) && m_bReopen.exchange(false)) {
      // A sentence begun on the old port must not be finished with bytes
      // of the new one.
      m_bInSentence = false;
      m_state.strSentence.clear();
      if (!m_port.Reopen()) PauseBeforeNextReopen();
      continue;
    }
    char byte = 0;
    switch (m_port.ReadByte(byte)) {
      case ReadStatus::kByte:
        ProcessByte(byte);
        break;
      case ReadStatus::kNoByte:
        // A read that delivered nothing is not a byte: the last byte must
        // not be taken twice.
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

void AcquisitionLoop::PauseBeforeNextReopen() {
  std::unique_lock<std::mutex> lock(m_stopMutex);
  m_stopWake.wait_for(lock, m_options.reopenPause, [this] { return m_bStop.load(); });
}

void AcquisitionLoop::ProcessByte(char byte) {
  std::string& sentence = m_state.strSentence;
  if (byte == '$') {
    // A "$" opens a new sentence; whatever came before it is dropped, and
    // so is a sentence it cuts short.
    sentence.assign(1, '$');
    m_bInSentence = true;
    m_nStar = std::string::npos;
    return;
  }
  if (!m_bInSentence) return;  // nothing is examined before the first "$"
  if (sentence.size() >= kMaxSentenceChars) {
    sentence.clear();
    m_bInSentence = false;
    return;
  }
  sentence.push_back(byte);
  if (m_nStar == std::string::npos) {
    if (byte == '*') m_nStar = sentence.size() - 1;
    return;
  }
  if (sentence.size() < m_nStar + 3) return;  // the second checksum digit is still to come
  // Examined once, and only when the line brought it undamaged: the line
  // end, a second "*" or anything else up to the next "$" is dropped.
  m_bInSentence = false;
  if (NmeaChecksumMatches(sentence)) ExamineSentence(std::string_view(sentence).substr(0, m_nStar + 1));
}

void AcquisitionLoop::ExamineSentence(std::string_view sentence) {
  switch (NmeaSentenceKind(sentence)) {
    case NmeaKind::kGga:
      ReadGga(sentence, m_state);
      ++m_nGgaSentences;
      break;
    case NmeaKind::kRmc: {
      // One cycle a second, the track log's and the vertical speed's step:
      // a receiver that reports one fix under two talkers (GP and GN), or
      // several fixes a second, gets the first of them.
      std::string time = NmeaField(sentence, 2).substr(0, 6);
      if (!time.empty() && time == m_strLastRmcTime) return;
      m_strLastRmcTime = std::move(time);
      RunRmcCycle(sentence);
      break;
    }
    case NmeaKind::kOther:
      break;
  }
}

void AcquisitionLoop::RunRmcCycle(std::string_view sentence) {
  // The navigation works on the previous fix: it runs before this sentence
  // is read.
  UpdateNavigation(m_state);
  ReadRmc(sentence, m_state);
  TakeTimeBase();
  ReadBarometer();

  UpdateDisplayTexts(m_state, m_texts);
  m_window.ShowFieldTexts(m_texts);

  if (IsFixAccepted(m_state)) RecordAcceptedFix();
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
  const int altitude = barGetAltitude();
  m_state.dAltBaro = altitude;
  // The track log has five columns for it; the display keeps the real figure.
  m_state.strAltBaro = FormatInt(std::clamp(altitude, kMinRecordedAltitude, kMaxRecordedAltitude), 5, true);
}

void AcquisitionLoop::RecordAcceptedFix() {
  ++m_nAcceptedFixes;
  WriteTrackRecord(m_state);
  WriteAccelRecord(m_state.strTime, g_fAccelX, g_fAccelY, g_fAccelZ);

  const int elapsed =
      m_elapsed.Elapsed(static_cast<int>(g_dTimeBase), SecondsOfDay(m_state.dTime));
  g_dVario = ComputeVario(m_state.dAltBaro, elapsed);
  PublishVario(g_dVario);
  EstimateWind(m_state.dCourse, m_state.dSpeed);
  UpdateAirData(m_state.dSpeed, m_state.dCourse, g_dWindDir, g_dWindSpeed);

  if (++g_nRedrawCount > 3) {
    g_nRedrawCount = 0;
    m_window.RequestRepaint();
  }
}
