#include "flight/acquisition_loop.h"

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

namespace {

// A sentence name counts when it stands after the sentence's first
// character (the "$").
bool Names(std::string_view sentence, std::string_view name) {
  const auto pos = sentence.find(name);
  return pos != std::string_view::npos && pos > 0;
}

}  // namespace

AcquisitionLoop::AcquisitionLoop(ByteSource& port, InstrumentWindow& window,
                                 AcquisitionOptions options)
    : m_port(port), m_window(window), m_options(options) {
  m_state.strSentence.reserve(kMaxSentenceChars);
}

void AcquisitionLoop::AcquisitionThreadProc() {
  while (!m_bStop.load()) {
    if (m_bReopen.exchange(false)) {
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
    // A "$" opens a new sentence; whatever came before it is dropped.
    sentence.assign(1, '$');
    m_bInSentence = true;
    return;
  }
  if (!m_bInSentence) return;  // nothing is examined before the first "$"
  if (sentence.size() >= kMaxSentenceChars) {
    sentence.clear();
    m_bInSentence = false;
    return;
  }
  sentence.push_back(byte);
  // The text is kept after the "*": the checksum and line end that follow
  // are dropped at the next "$", and a second "*" examines it again.
  if (byte == '*') ExamineSentence();
}

void AcquisitionLoop::ExamineSentence() {
  const std::string& sentence = m_state.strSentence;
  if (Names(sentence, "GPGGA")) ReadGga(sentence, m_state);
  if (Names(sentence, "GPRMC")) RunRmcCycle();
}

void AcquisitionLoop::RunRmcCycle() {
  // The navigation works on the previous fix: it runs before this sentence
  // is read.
  UpdateNavigation(m_state);
  ReadRmc(m_state.strSentence, m_state);
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
  m_state.strAltBaro = FormatInt(altitude, 5, true);
}

void AcquisitionLoop::RecordAcceptedFix() {
  ++m_nAcceptedFixes;
  WriteTrackRecord(m_state);
  WriteAccelRecord(m_state.strTime, g_fAccelX, g_fAccelY, g_fAccelZ);

  const int elapsed =
      m_elapsed.Elapsed(static_cast<int>(g_dTimeBase), SecondsOfDay(m_state.dTime));
  g_dVario = ComputeVario(m_state.dAltBaro, elapsed);
  EstimateWind(m_state.dCourse, m_state.dSpeed);
  UpdateAirData(m_state.dSpeed, m_state.dCourse, g_dWindDir, g_dWindSpeed);

  if (++g_nRedrawCount > 3) {
    g_nRedrawCount = 0;
    m_window.RequestRepaint();
  }
}
