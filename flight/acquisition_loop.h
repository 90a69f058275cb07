// The acquisition loop: reads the GPS stream as it arrives, cuts it into
// NMEA sentences and runs one cycle per GPRMC sentence. The arrival of
// GPRMC sentences (normally one a second) paces everything:
//
//   navigation (on the previous fix) -> read GPRMC -> time base -> barometer
//   -> acceptance -> airspace check (accepted fixes) -> display texts
//   -> B record, acceleration record (accepted fixes, and what follows)
//   -> vario -> wind (four sectors, then circles) -> air data
//   -> repaint request every fourth fix (with the map's airspace borders)
//
// GPGGA sentences only refresh the GPS altitude. The traffic sentences of a
// collision-warning device on the same port ($PFLAU, $PFLAA) keep the
// traffic table; an alarm that starts, changes or ends goes to the window
// and the speaker at once, without waiting for the next fix, and the rest
// of the traffic is handed over with the next fix. Every other sentence is
// ignored. The pilot's airspace, once it is loaded, is checked before the
// texts are built, so that its warning and entry show with the fix that
// caused them; a warning's start and entry ask for the beeps. The loop runs
// on its own thread until it is asked to stop or its byte source ends.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>

#include "base/acquisition_state.h"
#include "base/byte_source.h"
#include "base/sentence_sink.h"
#include "base/time_of_day.h"
#include "display/display_texts.h"
#include "flight/airspace_watch.h"
#include "flight/circle_wind.h"
#include "flight/traffic_table.h"

// Seconds on the steady clock, which no change of the time of day moves.
double MonotonicSeconds();

// What the loop needs of the main window. Both calls come from the
// acquisition thread; the window hands them over to its own thread.
class InstrumentWindow {
 public:
  virtual ~InstrumentWindow() = default;
  // The three display texts of one GPRMC sentence.
  virtual void ShowFieldTexts(const FieldTexts& texts) = 0;
  // The texts again between two fixes, because an alarm has started,
  // changed or ended on the top line: shown at once, like any texts. A
  // stand-in that shows one line per fix may leave them for the next fix.
  virtual void ShowAlarmChange(const FieldTexts& texts) { ShowFieldTexts(texts); }
  // Repaint the whole instrument panel, background erased.
  virtual void RequestRepaint() = 0;
  // An airspace warning's start, entry or end, as flight-replay prints it
  // ("12:35:19 airspace ahead 12s: R LF-R45").
  virtual void TellAirspaceEvent(const std::string& /*line*/) {}
  // False for a stand-in with nothing to show the texts on (a replay that
  // prints nothing): then they are not built at all.
  virtual bool ShowsFieldTexts() const { return true; }
};

struct AcquisitionOptions {
  // How long to wait after a reopen of the GPS port failed before trying
  // again, so that an unplugged receiver does not spin a core.
  std::chrono::milliseconds reopenPause{500};
  // The clock traffic ages by [s]: the instrument's monotonic clock in
  // flight. Empty: the stream's own time, the UTC time of its fixes, so a
  // replay ages its targets as the flight did.
  std::function<double()> trafficClock = MonotonicSeconds;
};

class AcquisitionLoop {
 public:
  // A sentence is at most 82 characters by the standard, but real
  // high-precision receivers send longer ones (90 and more); a text that
  // grows past this without a new "$" is not NMEA and is dropped.
  static constexpr std::size_t kMaxSentenceChars = 160;
  // How long a read waits for bytes while there is traffic: a device that
  // falls silent must not leave its targets and its alarm on the screen.
  static constexpr std::chrono::milliseconds kTrafficReadTimeout{500};

  AcquisitionLoop(ByteSource& port, InstrumentWindow& window,
                  AcquisitionOptions options = {});

  // The thread procedure: reads and processes bytes until RequestStop() is
  // called or the byte source ends.
  void AcquisitionThreadProc();

  // Asks the loop to stop between two reads; wakes a blocked read and a
  // pause between reopen attempts. Safe to call from any thread, and before
  // the loop has started.
  void RequestStop();

  // Asks the loop to close the GPS port and open it again with the current
  // g_strComPort and g_nBaudRate (a port or rate the pilot has just
  // confirmed), on the loop's own thread and without losing the flight's
  // state. Wakes a blocked read. Safe to call from any thread.
  void RequestReopen();

  // The pilot's airspace, checked from the next fix on (nullptr: none).
  // Safe to call from any thread.
  void SetAirspace(std::shared_ptr<const AirspaceSet> airspaces) { m_airspace.Offer(std::move(airspaces)); }

  // The pilot tapped the top line: an airspace warning that has it is
  // acknowledged, at once. Wakes a blocked read. Safe from any thread.
  void TopLineTapped();

  // Hands every whole sentence whose checksum matches, "$" to checksum, to
  // `sink` as it comes (nullptr: to nobody). Set before the thread starts.
  void PassSentencesTo(SentenceSink* sink) { m_pSentenceSink = sink; }

  const AcquisitionState& State() const { return m_state; }
  long long AcceptedFixes() const { return m_nAcceptedFixes; }
  // GGA sentences read so far whose altitude field held a number, and the
  // last such altitude [m]: a receiver without a fix sends the field empty.
  long long GpsAltitudes() const { return m_nGpsAltitudes; }
  double GpsAltitude() const { return m_dGpsAltitude; }
  const TrafficPicture& Traffic() const { return m_traffic.Picture(); }

 private:
  void ProcessBytes(std::string_view bytes);
  void ExamineSentence(std::string_view sentence);
  void RunRmcCycle(std::string_view sentence);
  void TakeTimeBase();
  void ReadBarometer();
  void RecordAcceptedFix(int elapsed);
  void PauseBeforeNextReopen();
  double TrafficNow() const;
  void AdvanceStreamClock(const std::string& hhmmss);
  void TakeTrafficStatus(std::string_view sentence);
  void AgeTrafficBetweenFixes();
  void ShowAlarmChange(const TrafficAlarm& before);
  void ShowTopLineAtOnce();
  void CheckAirspace(int elapsed);
  void AnswerTopLineTap();
  void HandTrafficOverWithFix();
  void FollowTrafficWithReadTimeout();

  ByteSource& m_port;
  InstrumentWindow& m_window;
  SentenceSink* m_pSentenceSink = nullptr;
  AcquisitionOptions m_options;
  AcquisitionState m_state;
  FieldTexts m_texts;
  ElapsedClock m_elapsed;
  CircleWindEstimator m_circleWind;
  bool m_bInSentence = false;   // a "$" has opened the text being assembled
  std::size_t m_nStar = std::string::npos;   // where its "*" stands, once it has come
  std::string m_strLastRmcTime;   // hhmmss of the last GPRMC cycle
  TrafficTable m_traffic;
  bool m_bTrafficChanged = false;   // since it was last handed over
  bool m_bTrafficTimeout = false;   // reads wait at most kTrafficReadTimeout
  ElapsedClock m_streamClock;       // the stream's own time, across midnight
  int m_nStreamBase = -1;           // its first fix [s since midnight], once one came
  double m_dStreamSeconds = 0;      // since then
  long long m_nAcceptedFixes = 0;
  bool m_bBaroRead = false;   // the barometer has been read in this loop
  long long m_nGpsAltitudes = 0;
  double m_dGpsAltitude = 0;   // [m]
  AirspaceWatch m_airspace;
  AirspaceTexts m_airspaceTexts;

  std::atomic<bool> m_bStop{false};
  std::atomic<bool> m_bReopen{false};
  std::atomic<bool> m_bTopLineTap{false};
  std::mutex m_stopMutex;
  std::condition_variable m_stopWake;
};
