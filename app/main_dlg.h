// The main window: three lines of large white-on-black text (top, middle,
// bottom), the instrument panel below them and the "set" button, full
// screen. Its initialisation is the instrument's start-up sequence:
//
//   icon -> local time, once -> storage folder -> settings path -> logs
//   -> settings -> the airspace file, read on a thread of its own
//   -> full-screen size -> NMEA output (Output.txt)
//   -> sensors (messages when missing) -> GPS port and the acquisition thread
//   -> messages: a missing sensor, the output's, logs that cannot be created
//   -> once the airspace is read: it is checked from the next fix on, and
//      what was skipped or could not be read is told, and a flight level
//      judged without a barometer
//
// A sensor missing at start-up is looked for again every second and used
// from the moment it comes. Logs that cannot be created or written are
// told on the screen (once, and again each time writing fails anew). A
// run without a screen watches for one and, when it comes, hands the
// flight over to a new run on it (takeover.h).
//
// The acquisition thread runs the flight core's loop over m_port and hands
// the display texts (the top one black on white while an alarm has it),
// the repaint requests and what goes wrong with the logs over to this
// window's thread:
// it leaves them under a mutex and rings an eventfd that this thread's
// event loop watches, so it never touches a Qt object itself. The airspace
// file's reader hands its airspaces over the same way. A tap on the top
// line goes to the loop (an airspace warning there is acknowledged).
// Closing the window (its close button, Escape, or a signal that ends the
// program) stops and joins that thread before the port and the logs go away.
// The barometer is sampled on a thread of its own, whose samples feed the
// fast vario that the audio vario plays on another, and the $LK8EX1
// sentence of the NMEA output, which also passes on every sentence of the
// GPS port (output/nmea_output.h). An output that cannot be opened is told
// once, after the sensor messages, through the same hand-over as the texts
// (a UDP host's name is looked up on the output's own thread).
#pragma once

#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include <QDialog>
#include <QFont>
#include <QIcon>
#include <QString>
#include <QStringList>

#include "airspace/airspace_set.h"
#include "app/takeover.h"
#include "audio/audio_vario.h"
#include "device/serial_port.h"
#include "device/sysfs_sensors.h"
#include "display/display_texts.h"
#include "flight/acquisition_loop.h"
#include "flight/barometer_feed.h"
#include "logs/local_time.h"
#include "output/nmea_output.h"
#include "settings/output_file.h"
#include "settings/settings_dlg.h"

class QLabel;
class QPushButton;
class QSocketNotifier;
class QTimer;
class InstrumentPanelWidget;

// What the start-up takes from the machine; tests replace it.
struct StartupEnvironment {
  // The program's own path in the handheld's form ("" when it cannot be read).
  std::function<std::string()> modulePath;
  std::function<LocalTime()> clock;
  // A message box owned by the window, with the application's title and an
  // OK button.
  std::function<void(QWidget* owner, const QString& text)> showMessage;
  AcquisitionOptions acquisition;
  std::string audioDevice = "default";   // the ALSA device of the audio vario
  // For a run started without a screen: whether one has come (nullptr: the
  // run has its screen, or never wanted one).
  std::function<bool()> screenAppeared;
  // The flight this run takes over from the run before it, and how it
  // hands the flight over to the next (returns only when that failed,
  // with the errno).
  std::optional<Takeover> takeover;
  std::function<int(const Takeover&)> handOver;

  static StartupEnvironment Default();
};

class CMainDlg : public QDialog, public InstrumentWindow {
 public:
  explicit CMainDlg(QWidget* parent = nullptr,
                    StartupEnvironment environment = StartupEnvironment::Default());
  ~CMainDlg() override;

  // The start-up sequence, then the window runs until it is closed.
  int DoModal();
  void OnInitDialog();

  // "set": the settings dialog; a port or rate confirmed with OK is used at
  // once.
  void OnSetButton();

  // Ending the dialog, in any way, stops the acquisition first.
  void done(int result) override;

  // Called on the acquisition thread.
  void ShowFieldTexts(const FieldTexts& texts) override;
  void RequestRepaint() override;

  bool IsAcquisitionRunning() const { return m_pThread != nullptr; }

  // A tap on the top line goes to `handler` (on this window's thread):
  // whoever owns the line (display/top_line.h) may answer it, as an alarm
  // that the pilot acknowledges.
  void SetTopLineTapHandler(std::function<void()> handler) { m_onTopLineTap = std::move(handler); }

  // For the window's tests.
  QLabel* FieldLabel(int line) const;   // 1 top, 2 middle, 3 bottom
  InstrumentPanelWidget* Panel() const { return m_pPanel; }
  QPushButton* SetButton() const { return m_pSetButton; }
  CSettingsDlg& SettingsDialog() { return m_dlgSettings; }

 protected:
  void resizeEvent(QResizeEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void StartOutput(const ServerSockets& handed, QStringList& messages);
  void RestartOutput(const ServerSockets& handed);
  void ShowOutputMessage(const std::string& message);
  void StartAcquisition();
  void StopAcquisition();
  void ReadAirspace();
  void TakeAirspace();
  void OpenLogs(const LocalTime& start);
  void ShowLogProblem(const std::string& message);
  void SearchForLateSensors();
  void WatchForScreen();
  void HandOverFlight();
  void TakeHandOver();
  void RingHandOver();   // with m_handOverMutex held
  void LayOut();
  void ShowStoredTexts();

  CSettingsDlg m_dlgSettings;
  CSerialPort m_port;
  AudioVario m_audio;   // heard while "Sound" is checked
  // The NMEA stream for the pilot's apps; it outlives everything that
  // passes sentences on to it (the loop, the barometer's thread).
  NmeaOutput m_output;
  OutputSettings m_outputSettings;
  QTimer* m_pOutputTick = nullptr;   // a second's tick: the vario sentence without a barometer
  // The barometer's samples to the tone and the output, on its thread.
  std::unique_ptr<BarometerFeed> m_pBarometerFeed;
  // The sensors of the run; they outlive the acquisition, which reads them.
  std::unique_ptr<SysfsSensors> m_pSensors;
  std::unique_ptr<AcquisitionLoop> m_pLoop;
  std::unique_ptr<std::thread> m_pThread;
  std::thread m_airspaceReader;
  std::shared_ptr<const AirspaceSet> m_pAirspace;   // checked by every loop this window starts
  std::string m_strField1;   // top line (control 1002)
  std::string m_strField2;   // middle line (control 1001)
  std::string m_strField3;   // bottom line (control 1003)
  bool m_bTopInverse = false;   // the top line black on white: an alarm
  QFont m_fieldFont;            // the three lines' big letters, as laid out for the window's size
  std::function<void()> m_onTopLineTap;
  QIcon m_hIcon;

  StartupEnvironment m_env;
  QLabel* m_pField1;
  QLabel* m_pField2;
  QLabel* m_pField3;
  InstrumentPanelWidget* m_pPanel;
  QPushButton* m_pSetButton;

  // The port and rate the acquisition was last given.
  std::string m_strPortInUse;
  int m_nBaudInUse = 0;

  // Hand-over from the acquisition thread: the newest texts wait here
  // until this window's thread takes them.
  std::mutex m_handOverMutex;
  FieldTexts m_pendingTexts;
  bool m_bTextsPending = false;
  bool m_bRepaintPending = false;
  std::vector<std::string> m_pendingLogProblems;   // from any thread, for the screen
  // The airspace file as its reader thread left it, once read.
  struct AirspaceRead {
    std::shared_ptr<const AirspaceSet> airspaces;   // nullptr when none was loaded
    std::vector<std::string> report;                 // the problems, then the summary
    bool tell = false;                               // on the screen: something was skipped or unreadable
  };
  std::optional<AirspaceRead> m_pendingAirspace;
  std::vector<std::string> m_pendingOutputMessages;   // from the output, on any thread
  int m_handOverBell = -1;
  QSocketNotifier* m_pHandOverNotifier = nullptr;

  QTimer* m_pSensorSearch = nullptr;   // while a sensor is missing
  QTimer* m_pScreenWatch = nullptr;    // while no screen is there
  bool m_bLogProblemShown = false;     // a message about the logs is on the screen
  std::set<std::string> m_shownOutputMessages;
  bool m_bFlightToHandOver = false;    // a screen has come: the next fix hands over
  bool m_bFlightHandedOver = false;
};
