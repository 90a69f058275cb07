#include "app/main_dlg.h"

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <sys/eventfd.h>
#include <unistd.h>
#include <utility>
#include <vector>

#include <QFont>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QSocketNotifier>
#include <QStringList>
#include <QTimer>

#include "airspace/airspace_file.h"
#include "app/screen_choice.h"
#include "app/signal_closer.h"
#include "base/flight_values.h"
#include "base/settings_values.h"
#include "device/sensor_backend.h"
#include "device/sensors.h"
#include "display/panel_widget.h"
#include "display/top_line.h"
#include "logs/flight_logs.h"
#include "logs/log_file.h"
#include "settings/settings_file.h"
#include "settings/storage_path.h"

namespace {

// The window's layout in the handheld's dialog units: 30 wide, 37 high.
constexpr double kUnitsWide = 30, kUnitsHigh = 37;
struct UnitRect {
  double x, y, w, h;
};
constexpr UnitRect kField1{0, 1, 30, 8};
constexpr UnitRect kField2{0, 11, 30, 8};
constexpr UnitRect kField3{0, 21, 30, 8};
constexpr UnitRect kSetButton{20, 30, 10, 7};
// The panel takes the band below the fields, beside the button.
constexpr UnitRect kPanel{0, 29, 20, 8};

// A sensor missing at start-up is looked for again this often.
constexpr int kSensorSearchMs = 1000;
// Without a screen, whether one has come is looked at this often; the
// flight is handed over to a run on it after the next fix, or after this
// long without one.
constexpr int kScreenWatchMs = 5000;
constexpr int kFixWaitMs = 2000;

QLabel* MakeField(QWidget* parent) {
  auto* label = new QLabel(parent);
  label->setFrameShape(QFrame::Box);
  label->setLineWidth(2);
  label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  label->setTextFormat(Qt::PlainText);
  return label;
}

bool IsBlank(const std::string& text) {
  return std::all_of(text.begin(), text.end(), [](unsigned char c) { return c == ' '; });
}

}  // namespace

StartupEnvironment StartupEnvironment::Default() {
  StartupEnvironment env;
  env.modulePath = [] { return GetModulePath(); };
  env.clock = CurrentLocalTime;
  env.showMessage = [](QWidget* owner, const QString& text) {
    // Also on standard error, so that a run without a screen (offscreen,
    // or a display that has failed) still tells what it would have shown.
    std::fprintf(stderr, "flight-instrument: %s\n", text.toLocal8Bit().constData());
    if (SignalCloser::EndRequested()) return;
    QMessageBox::information(owner, QGuiApplication::applicationDisplayName(), text,
                             QMessageBox::Ok);
  };
  const Launch& launch = ThisLaunch();
  if (launch.headless) {
    env.screenAppeared = [wanted = launch.wantedPlatform] { return !ChooseScreen(wanted).headless; };
  }
  env.takeover = launch.takeover;
  env.handOver = ExecTakeover;
  return env;
}

CMainDlg::CMainDlg(QWidget* parent, StartupEnvironment environment)
    : QDialog(parent, Qt::Window),
      m_audio(environment.audioDevice),
      m_hIcon(":/icon.png"),
      m_env(std::move(environment)) {
  m_hIcon.addFile(":/icon-16.png", QSize(16, 16));
  m_pField1 = MakeField(this);
  m_pField2 = MakeField(this);
  m_pField3 = MakeField(this);
  m_pPanel = new InstrumentPanelWidget(this);
  m_pSetButton = new QPushButton("set", this);
  m_pSetButton->setAutoDefault(false);
  connect(m_pSetButton, &QPushButton::clicked, this, &CMainDlg::OnSetButton);
  // The line's owner answers a tap: the loop knows who has it.
  m_onTopLineTap = [this] {
    if (m_pLoop) m_pLoop->TopLineTapped();
  };
  // The handheld's fields say "Static" and "Stat" until the start-up
  // shows the (empty) texts.
  m_pField1->installEventFilter(this);
  m_pField1->setText("Static");
  m_pField2->setText("Stat");
  m_pField3->setText("Stat");

  m_handOverBell = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
  if (m_handOverBell >= 0) {
    m_pHandOverNotifier = new QSocketNotifier(m_handOverBell, QSocketNotifier::Read, this);
    connect(m_pHandOverNotifier, &QSocketNotifier::activated, this, &CMainDlg::TakeHandOver);
  }
}

CMainDlg::~CMainDlg() {
  if (m_airspaceReader.joinable()) m_airspaceReader.join();   // it hands over under the mutex below
  StopAcquisition();
  SetLogErrorHandler(nullptr);
  if (m_pSensors) {
    SetSensorBackend(nullptr);
    m_pSensors.reset();   // stops the barometer's sampling before the feed goes
  }
  m_output.Stop();
  SetSettingsMessageHook(nullptr);
  delete m_pHandOverNotifier;
  if (m_handOverBell >= 0) ::close(m_handOverBell);
}

int CMainDlg::DoModal() {
  OnInitDialog();
  if (SignalCloser::EndRequested()) {
    done(QDialog::Rejected);
    return QDialog::Rejected;
  }
  return exec();
}

void CMainDlg::OnInitDialog() {
  ShowStoredTexts();
  setWindowIcon(m_hIcon);
  const LocalTime start = m_env.clock();

  // Before the settings are read: a damaged settings file is the first
  // thing the pilot may need to hear of.
  SetSettingsMessageHook([this](const std::string& message) {
    m_env.showMessage(m_dlgSettings.isVisible() ? static_cast<QWidget*>(&m_dlgSettings) : this,
                      QString::fromStdString(message));
  });

  // Logs that cannot be created or written are told on the screen, from
  // whichever thread finds it out.
  SetLogErrorHandler([this](const std::string& message) {
    std::lock_guard<std::mutex> lock(m_handOverMutex);
    m_pendingLogProblems.push_back(message);
    RingHandOver();
  });

  const std::string modulePath = m_env.modulePath();
  g_strStorageFolder = GetPathComponent(modulePath, 2);
  if (g_strStorageFolder.empty()) {
    // Without its own folder the instrument would write its settings and
    // logs into the file system's root: it keeps none this run instead.
    m_env.showMessage(this, "Can't find the program's folder: no settings and no logs are kept");
    g_strSettingsPath.clear();
    g_strComPort = "";
  } else {
    g_strSettingsPath = "\\" + g_strStorageFolder + "\\TermIni.INI";
    LoadSettings();
    ReadAirspace();
  }

  if (const QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen()) {
    setGeometry(screen->availableGeometry());
  }

  // The output first: the apps get the stream from the first sentence on.
  QStringList outputFileProblems;
  StartOutput(m_env.takeover ? std::exchange(m_env.takeover->output, {}) : ServerSockets{}, outputFileProblems);
  if (!g_strStorageFolder.empty()) {
    const std::filesystem::path root = SensorRoot(g_strStorageFolder);
    m_pBarometerFeed = std::make_unique<BarometerFeed>(&m_output, [root] { return SystemBatteryPercent(root); });
    m_pSensors = std::make_unique<SysfsSensors>(
        root, [feed = m_pBarometerFeed.get()](const BarometerSample& sample) { feed->Add(sample); });
    SetSensorBackend(m_pSensors.get());
  }
  QStringList sensorMessages;
  OpenSensors([&sensorMessages](std::string_view message) {
    sensorMessages.push_back(QString::fromUtf8(message.data(), static_cast<int>(message.size())));
  });

  // The logs open once the barometer is known, whose name the track's
  // header carries, and before the first fix can come.
  if (!g_strStorageFolder.empty()) OpenLogs(start);

  StartAcquisition();
  m_audio.Start();
  if (m_pSensors && !(g_bBaroOpen && g_bCompassOpen)) {
    m_pSensorSearch = new QTimer(this);
    connect(m_pSensorSearch, &QTimer::timeout, this, &CMainDlg::SearchForLateSensors);
    m_pSensorSearch->start(kSensorSearchMs);
  }
  if (m_env.screenAppeared) {
    m_pScreenWatch = new QTimer(this);
    connect(m_pScreenWatch, &QTimer::timeout, this, &CMainDlg::WatchForScreen);
    m_pScreenWatch->start(kScreenWatchMs);
  }
  // A missing sensor is told once the GPS is being read and recorded: an
  // instrument started at power-on may have nobody to tap OK before
  // take-off (a board without a compass would otherwise record nothing).
  // Logs that could not be created are told the same way, by the message
  // their opening has queued, and so are the outputs that did not open.
  for (const QString& message : sensorMessages + outputFileProblems) m_env.showMessage(this, message);
}

// Output.txt's outputs, opened; what is wrong with the file goes into
// `messages`. The outputs that cannot be opened, now or later on the
// output's thread, are handed over to be shown.
void CMainDlg::StartOutput(const ServerSockets& handed, QStringList& messages) {
  if (g_strStorageFolder.empty()) return CloseSockets(handed);
  const OutputFile file = LoadOutputFile(std::filesystem::path(g_strStorageFolder) / kOutputFileName);
  for (const std::string& problem : file.problems) messages.push_back(QString::fromStdString(problem));
  m_outputSettings = file.settings;
  RestartOutput(handed);
  if (!m_outputSettings.SendsAnywhere()) return;
  m_pOutputTick = new QTimer(this);
  connect(m_pOutputTick, &QTimer::timeout, this, [this] {
    if (m_pBarometerFeed) m_pBarometerFeed->Tick(std::chrono::steady_clock::now());
  });
  m_pOutputTick->start(1000);
}

void CMainDlg::RestartOutput(const ServerSockets& handed) {
  m_output.Start(m_outputSettings, [this](std::string_view message) {
    std::lock_guard<std::mutex> lock(m_handOverMutex);
    m_pendingOutputMessages.emplace_back(message);
    RingHandOver();
  }, handed);
}

// Each output's message once in the run, also when the output is opened
// again after a hand-over that did not take place.
void CMainDlg::ShowOutputMessage(const std::string& message) {
  if (m_shownOutputMessages.insert(message).second) m_env.showMessage(this, QString::fromStdString(message));
}

// A national file of 50 MB takes a few tenths of a second to read: it is
// read beside the start-up, so that the GPS is read and recorded at once,
// and its airspaces are checked from the fix after they have come.
void CMainDlg::ReadAirspace() {
  const std::filesystem::path path = std::filesystem::path(g_strStorageFolder) / kAirspaceFileName;
  m_airspaceReader = std::thread([this, path] {
    AirspaceFile file = ReadAirspaceFile(path);
    if (!file.found) return;   // no file: no airspace, and nothing to say
    AirspaceRead read;
    read.report = AirspaceReportLines(file, kAirspaceFileName);
    read.tell = !file.readable || file.report.skipped > 0;
    if (!file.airspaces.empty()) read.airspaces = std::make_shared<const AirspaceSet>(std::move(file.airspaces));
    std::lock_guard<std::mutex> lock(m_handOverMutex);
    m_pendingAirspace = std::move(read);
    RingHandOver();
  });
}

// On this window's thread, once the file has been read: the loop checks
// the airspaces from its next fix; the problems go to standard error, and
// the summary to the screen too when something was skipped or the file
// could not be read, as the other start-up messages are told.
void CMainDlg::TakeAirspace() {
  AirspaceRead read;
  {
    std::lock_guard<std::mutex> lock(m_handOverMutex);
    read = std::move(*m_pendingAirspace);
    m_pendingAirspace.reset();
  }
  m_pAirspace = read.airspaces;
  if (m_pLoop && m_pAirspace) m_pLoop->SetAirspace(m_pAirspace);
  QStringList screen;
  for (std::size_t i = 0; i < read.report.size(); ++i) {
    if (read.tell && i + 1 == read.report.size()) {
      screen.push_back(QString::fromStdString(read.report[i]));
    } else {
      std::fprintf(stderr, "flight-instrument: %s\n", read.report[i].c_str());
    }
  }
  if (m_pAirspace && !g_bBaroOpen) {
    screen.push_back("airspace: no barometer: flight levels are judged by the GPS altitude until one comes");
  }
  if (!screen.isEmpty()) m_env.showMessage(this, screen.join("\n"));
}

void CMainDlg::OpenLogs(const LocalTime& start) {
  if (m_env.takeover && ContinueFlightLogs(m_env.takeover->track, m_env.takeover->accel)) return;
  if (!OpenFlightLogs(g_strStorageFolder, start, TrackHeaderFor(g_strStorageFolder))) {
    // Told once the GPS is being read, like a missing sensor.
    ReportLogProblem(FlightLogsProblem());
    return;
  }
  // A program started again and again before a fix (a restart loop, a
  // cockpit's flickering power) leaves one pair without a fix, not one
  // per start.
  if (const int removed = RemoveFixlessLogs()) {
    std::fprintf(stderr, "flight-instrument: %d pair(s) of logs without a fix, left by earlier runs, removed\n",
                 removed);
  }
}

void CMainDlg::ShowLogProblem(const std::string& message) {
  // One message about the logs on the screen at a time: the track and the
  // acceleration log fail together.
  if (m_bLogProblemShown) {
    std::fprintf(stderr, "flight-instrument: %s\n", message.c_str());
    return;
  }
  m_bLogProblemShown = true;
  m_env.showMessage(this, QString::fromStdString(message));
  m_bLogProblemShown = false;
}

void CMainDlg::SearchForLateSensors() {
  const bool all = OpenLateSensors([](std::string_view device) {
    std::fprintf(stderr, "flight-instrument: %.*s has come, and is read from now on\n",
                 static_cast<int>(device.size()), device.data());
  });
  if (all) m_pSensorSearch->stop();
}

void CMainDlg::WatchForScreen() {
  if (m_bFlightToHandOver || !m_env.screenAppeared()) return;
  m_bFlightToHandOver = true;
  m_pScreenWatch->stop();
  std::fprintf(stderr, "flight-instrument: a screen has come: the flight goes on there after the next fix\n");
  if (!m_pThread) return HandOverFlight();
  // Right after a fix (see TakeHandOver), or now, when none comes.
  QTimer::singleShot(kFixWaitMs, this, &CMainDlg::HandOverFlight);
}

void CMainDlg::HandOverFlight() {
  if (m_bFlightHandedOver) return;
  m_bFlightHandedOver = true;
  StopAcquisition();   // between two fixes: both logs end with whole records
  m_audio.Stop();
  Takeover next;
  if (g_fileTrack.IsOpen() && g_fileAccel.IsOpen()) next = {g_fileTrack.Path(), g_fileAccel.Path(), -1, {}};
  next.gpsPort = m_port.Release();
  next.output = m_output.Release();
  CloseFlightLogs();
  const int error = m_env.handOver(next);
  // Still here: this run goes on without the screen.
  std::fprintf(stderr, "flight-instrument: cannot start anew on the screen (%s): flying on without it\n",
               std::strerror(error));
  m_env.takeover = next;
  if (!next.track.empty()) ContinueFlightLogs(next.track, next.accel);
  RestartOutput(std::exchange(m_env.takeover->output, {}));
  StartAcquisition();
  m_audio.Start();
}

void CMainDlg::StartAcquisition() {
  const std::string port = g_strComPort.Get();
  // No port chosen yet (a first start without a settings file): nothing
  // to read until the pilot picks one.
  if (IsBlank(port)) return;
  const int baud = g_nBaudRate;
  // A receiver that is not plugged in yet is no reason to lose the flight:
  // the loop keeps reopening the port until it answers. A port handed over
  // by the run before is open already.
  const int handedOver = m_env.takeover ? std::exchange(m_env.takeover->gpsPort, -1) : -1;
  if (handedOver < 0 || !m_port.Adopt(handedOver)) OpenGpsPortAtStartUp(m_port);
  m_strPortInUse = port;
  m_nBaudInUse = baud;
  m_pLoop = std::make_unique<AcquisitionLoop>(m_port, *this, m_env.acquisition);
  if (m_pAirspace) m_pLoop->SetAirspace(m_pAirspace);
  m_pLoop->PassSentencesTo(&m_output);
  AcquisitionLoop* loop = m_pLoop.get();
  m_pThread = std::make_unique<std::thread>([loop] { loop->AcquisitionThreadProc(); });
}

void CMainDlg::StopAcquisition() {
  if (!m_pThread) return;
  m_pLoop->RequestStop();
  m_pThread->join();
  m_pThread.reset();
  m_pLoop.reset();
}

void CMainDlg::OnSetButton() {
  m_dlgSettings.setGeometry(geometry());
  if (m_dlgSettings.DoModal() != QDialog::Accepted) return;
  const std::string port = g_strComPort.Get();
  const int baud = g_nBaudRate;
  if (!m_pThread) {
    StartAcquisition();
  } else if (port != m_strPortInUse || baud != m_nBaudInUse) {
    m_strPortInUse = port;
    m_nBaudInUse = baud;
    m_pLoop->RequestReopen();
  }
}

void CMainDlg::done(int result) {
  StopAcquisition();
  m_audio.Stop();
  QDialog::done(result);
}

void CMainDlg::ShowFieldTexts(const FieldTexts& texts) {
  std::lock_guard<std::mutex> lock(m_handOverMutex);
  m_pendingTexts = texts;   // texts not taken yet are replaced by the newer ones
  m_bTextsPending = true;
  RingHandOver();
}

void CMainDlg::RequestRepaint() {
  std::lock_guard<std::mutex> lock(m_handOverMutex);
  m_bRepaintPending = true;
  RingHandOver();
}

void CMainDlg::RingHandOver() {
  // The counter only ever grows by one per hand-over, so the write cannot
  // block or fail short of an overflow no flight reaches.
  const std::uint64_t one = 1;
  if (m_handOverBell < 0) return;
  const ssize_t written = ::write(m_handOverBell, &one, sizeof one);
  static_cast<void>(written);
}

void CMainDlg::TakeHandOver() {
  std::uint64_t rings = 0;
  const ssize_t taken = ::read(m_handOverBell, &rings, sizeof rings);
  static_cast<void>(taken);
  bool texts = false, repaint = false, airspace = false;
  std::vector<std::string> logProblems, outputMessages;
  {
    std::lock_guard<std::mutex> lock(m_handOverMutex);
    logProblems.swap(m_pendingLogProblems);
    outputMessages.swap(m_pendingOutputMessages);
    airspace = m_pendingAirspace.has_value();
    if (m_bTextsPending) {
      m_strField1 = std::move(m_pendingTexts.strField1);
      m_strField2 = std::move(m_pendingTexts.strField2);
      m_strField3 = std::move(m_pendingTexts.strField3);
      m_bTopInverse = m_pendingTexts.bTopInverse;
    }
    texts = std::exchange(m_bTextsPending, false);
    repaint = std::exchange(m_bRepaintPending, false);
  }
  if (texts) ShowStoredTexts();
  if (repaint) m_pPanel->update();
  if (texts && m_bFlightToHandOver) HandOverFlight();   // a fix has just been recorded
  if (airspace) TakeAirspace();
  for (const std::string& problem : logProblems) ShowLogProblem(problem);
  for (const std::string& message : outputMessages) ShowOutputMessage(message);
}

void CMainDlg::ShowStoredTexts() {
  // A style sheet of its own: the application's style sheet would win
  // over a palette.
  // Changing it makes Qt resolve the label's font anew, which with the
  // application's style sheet falls back to the window's small one: the
  // line's own big letters are set again after it.
  const QString look = m_bTopInverse ? "QLabel { background: white; color: black; }" : "";
  if (m_pField1->styleSheet() != look) {
    m_pField1->setStyleSheet(look);
    m_pField1->setFont(m_fieldFont);
  }
  m_pField1->setText(QString::fromStdString(m_strField1));
  m_pField2->setText(QString::fromStdString(m_strField2));
  m_pField3->setText(QString::fromStdString(m_strField3));
}

QLabel* CMainDlg::FieldLabel(int line) const {
  return line == 1 ? m_pField1 : line == 2 ? m_pField2 : m_pField3;
}

bool CMainDlg::eventFilter(QObject* watched, QEvent* event) {
  if (watched == m_pField1 && event->type() == QEvent::MouseButtonPress && m_onTopLineTap) {
    m_onTopLineTap();
    return true;
  }
  return QDialog::eventFilter(watched, event);
}

void CMainDlg::resizeEvent(QResizeEvent* event) {
  QDialog::resizeEvent(event);
  LayOut();
}

void CMainDlg::LayOut() {
  const double ux = width() / kUnitsWide, uy = height() / kUnitsHigh;
  const auto place = [&](QWidget* w, const UnitRect& r) {
    w->setGeometry(static_cast<int>(r.x * ux), static_cast<int>(r.y * uy),
                   static_cast<int>(r.w * ux), static_cast<int>(r.h * uy));
  };
  place(m_pField1, kField1);
  place(m_pField2, kField2);
  place(m_pField3, kField3);
  place(m_pSetButton, kSetButton);
  place(m_pPanel, kPanel);

  // Large text that scales with the window: as tall as the field allows,
  // yet "E01131.000" (ten characters) still fits its width.
  QFont font = this->font();
  font.setFamilies({"Verdana", "DejaVu Sans"});
  font.setBold(true);
  const int fieldHeight = static_cast<int>(kField1.h * uy);
  const int fieldWidth = static_cast<int>(kField1.w * ux);
  font.setPixelSize(std::max(8, std::min(fieldHeight * 3 / 4, fieldWidth / 7)));
  for (QLabel* field : {m_pField1, m_pField2, m_pField3}) field->setFont(font);
  m_fieldFont = font;
  QFont buttonFont = font;
  buttonFont.setPixelSize(std::max(8, static_cast<int>(kSetButton.h * uy) / 2));
  m_pSetButton->setFont(buttonFont);

  // How many characters of an alarm the top line holds, counted in
  // capitals N (wider than digits and most letters) after the label's
  // indent of half an "x", for the loop that cuts an airspace's name to fit.
  const int wide = std::max(1, QFontMetrics(font).horizontalAdvance('N'));
  const int room = m_pField1->contentsRect().width() - wide / 2;
  SetTopLineCharacters(static_cast<std::size_t>(std::max(1, room / wide)));
}
