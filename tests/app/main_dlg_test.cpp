#include "app/flight_app.h"
#include "app/main_dlg.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <filesystem>
#include <functional>
#include <optional>
#include <thread>
#include <string>
#include <tuple>
#include <vector>

#include <QApplication>
#include <QFontMetrics>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QMouseEvent>
#include <QTimer>

#include "base/flight_values.h"
#include "base/settings_values.h"
#include "display/panel_widget.h"
#include "display/top_line.h"
#include "logs/flight_logs.h"
#include "logs/track_header.h"
#include "settings/settings_file.h"
#include "settings/storage_path.h"
#include "tests/support/flight_test.h"
#include "tests/support/qt_test.h"
#include "tests/support/stream_client.h"
#include "tests/support/temp_dir.h"
#include "tools/flight_sim.h"
#include "tools/sim_gps_port.h"
#include "tools/sim_sensor_tree.h"

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

class MainDlgTest : public FlightTest {
 protected:
  void SetUp() override {
    FlightTest::SetUp();
    fs::create_directories(storage / "sys");  // a simulated sensor tree with no sensors
  }

  StartupEnvironment Environment() {
    StartupEnvironment env;
    env.modulePath = [this] { return HandheldModulePath(storage / "flight-instrument"); };
    env.clock = [] { return LocalTime{2026, 3, 23, 14, 5, 9}; };
    env.showMessage = [this](QWidget*, const QString& text) { messages.push_back(text); };
    env.acquisition.reopenPause = 20ms;
    env.audioDevice = "null";
    return env;
  }
  // Messages also note whether the GPS was being read as each came.
  StartupEnvironment NotingTheGps() {
    StartupEnvironment env = Environment();
    env.showMessage = [this](QWidget*, const QString& text) {
      messages.push_back(text);
      readingAtMessage.push_back(shown->IsAcquisitionRunning());
    };
    return env;
  }
  void Bind(int n, const std::string& device) {
    fs::remove(storage / ("COM" + std::to_string(n)));
    fs::create_symlink(device, storage / ("COM" + std::to_string(n)));
  }
  std::string Track() { return ReadFileBytes(storage / "FlyData" / "trk_230326140509.IGC"); }
  static QString Text(CMainDlg& dlg, int line) { return dlg.FieldLabel(line)->text(); }
  // How many pixel rows of a field's inside hold some of its letters,
  // white, or black where the line is inverse.
  static int InkHeight(QLabel& field, bool inverse = false) {
    const QImage image = field.grab().toImage();
    const QRect inside = field.contentsRect().adjusted(4, 4, -4, -4);
    int rows = 0;
    for (int y = inside.top(); y <= inside.bottom(); ++y) {
      for (int x = inside.left(); x <= inside.right(); ++x) {
        if ((image.pixelColor(x, y).lightness() > 128) != inverse) {
          ++rows;
          break;
        }
      }
    }
    return rows;
  }

  TempDir storage;
  QStringList messages;
  std::vector<bool> readingAtMessage;
  const CMainDlg* shown = nullptr;   // the window the messages come from
};

TEST_F(MainDlgTest, WithoutASettingsFileTheWindowComesUpEmptyAndReadsNoGps) {
  WriteFileBytes(storage / "Pilot.txt", "Pilot: Anna Example\n");
  CMainDlg dlg(nullptr, Environment());
  dlg.OnInitDialog();

  EXPECT_EQ(messages, QStringList({"Not open sensor bar", "Not open sensor comp"}));
  EXPECT_FALSE(dlg.IsAcquisitionRunning());
  EXPECT_EQ(g_strComPort.Get(), "");
  for (int line = 1; line <= 3; ++line) EXPECT_EQ(Text(dlg, line), "") << line;
  // The track's header: the pilot file beside the settings, no barometer.
  EXPECT_EQ(Track(), TrackHeader(LocalTime{2026, 3, 23, 14, 5, 9},
                                 {{"Anna Example", "", "", "", ""}, ThisMachine(), ""}));
  EXPECT_EQ(dlg.geometry(), QGuiApplication::primaryScreen()->availableGeometry());
  EXPECT_EQ(g_strSettingsPath, "\\" + storage.Path().string() + "\\TermIni.INI");
}

// Nobody may be there to tap OK before take-off: a missing sensor is told
// while the GPS is already being read and recorded.
TEST_F(MainDlgTest, AMissingSensorIsToldWhileTheGpsIsAlreadyRead) {
  WriteFileBytes(storage / "TermIni.INI", SettingsFileBytes("COM7:, 9600,6,3,0,1,1, 3"));
  PtyReceiver receiver;
  Bind(7, receiver.Device());
  CMainDlg dlg(nullptr, NotingTheGps());
  shown = &dlg;
  dlg.OnInitDialog();

  EXPECT_EQ(messages, QStringList({"Not open sensor bar", "Not open sensor comp"}));
  EXPECT_EQ(readingAtMessage, std::vector<bool>({true, true}));
}

// Outputs that cannot be opened are told as a missing sensor is: once,
// while the GPS is already read, after the sensors, on standard error too;
// so is what Output.txt gets wrong. A UDP host given by name is looked up
// on the output's own thread, and its message comes through the hand-over.
TEST_F(MainDlgTest, OutputsThatCannotOpenAreToldOnceAsAMissingSensorIs) {
  WriteFileBytes(storage / "TermIni.INI", SettingsFileBytes("COM7:, 9600,6,3,0,1,1, 3"));
  PtyReceiver receiver;
  Bind(7, receiver.Device());
  Bind(4, "/dev/gone");
  const int port = FreeTcpPort();
  const int taken = ListenOnAllAddresses(port);
  ASSERT_GE(taken, 0);
  WriteFileBytes(storage / "Output.txt", "TCP port: " + std::to_string(port) +
                                             "\nSerial: COM4\nSerial rate: fast\nUDP to: no-such-host..invalid:10110\n");
  CMainDlg dlg(nullptr, NotingTheGps());
  shown = &dlg;
  dlg.OnInitDialog();
  ASSERT_TRUE(WaitUntil([&] { return messages.size() == 6; })) << messages.join("|").toStdString();
  EXPECT_EQ(messages.mid(0, 5),
            QStringList({"Not open sensor bar", "Not open sensor comp",
                         "Output.txt: Serial rate \"fast\" is no rate (300 to 4000000 bit/s): 115200 taken",
                         "Not open output TCP " + QString::number(port), "Not open output COM4"}));
  EXPECT_EQ(messages[5], "Not open output UDP no-such-host..invalid:10110");
  EXPECT_EQ(readingAtMessage, std::vector<bool>(6, true));
  WaitUntil([] { return false; }, 700ms);   // the serial line is tried again, silently
  EXPECT_EQ(messages.size(), 6);
  ::close(taken);
}

TEST_F(MainDlgTest, AProgramWhosePathCannotBeReadKeepsNothing) {
  StartupEnvironment env = Environment();
  env.modulePath = [] { return std::string(); };
  CMainDlg dlg(nullptr, env);
  dlg.OnInitDialog();

  ASSERT_FALSE(messages.empty());
  EXPECT_EQ(messages.front(), "Can't find the program's folder: no settings and no logs are kept");
  EXPECT_FALSE(dlg.IsAcquisitionRunning());
  EXPECT_FALSE(fs::exists(storage / "FlyData"));
  EXPECT_FALSE(fs::exists("/FlyData"));
}

// OK in the settings dialog uses a confirmed port at once: it starts the
// acquisition after a start without settings, and moves it to another port.
TEST_F(MainDlgTest, OkInTheSettingsDialogUsesTheChosenPortAtOnce) {
  PtyReceiver first, second;
  Bind(8, first.Device());
  Bind(9, second.Device());
  CMainDlg dlg(nullptr, Environment());
  dlg.OnInitDialog();
  ASSERT_FALSE(dlg.IsAcquisitionRunning());

  const auto chooseAndConfirm = [&](int position) {
    QTimer::singleShot(0, [&dlg, position] {
      CSettingsDlg& settings = dlg.SettingsDialog();
      settings.m_cbComPort->setCurrentIndex(position);
      emit settings.m_cbComPort->activated(position);
      settings.m_btnOk->click();
    });
    dlg.OnSetButton();
  };
  chooseAndConfirm(7);  // "Com8:"
  ASSERT_TRUE(dlg.IsAcquisitionRunning());
  ASSERT_TRUE(first.Send(FixSentences("100000")));
  ASSERT_TRUE(WaitUntil([&] { return Text(dlg, 1) == "V  41"; }));

  chooseAndConfirm(8);  // "Com9:"
  ASSERT_TRUE(WaitUntil([&] {
    second.Send(FixSentences("100001"));
    return Track().find("B100001") != std::string::npos;
  }));
  EXPECT_EQ(g_strComPort.Get(), "COM9:");
}

// A simulated flight through the window: after its first thermals the
// fields show the wind it was flown in, and the panel the thermal. Closing
// while the read waits for the now silent receiver ends promptly.
TEST_F(MainDlgTest, AfterAThermalTheFieldsShowTheWindAndThePanelTheMarker) {
  WriteFileBytes(storage / "TermIni.INI", SettingsFileBytes("COM7:, 9600,6,3,3,4,1, 8"));  // wind from, wind speed, vario
  SimSensorTree sensors(storage.Path());
  sensors.UpdatePressure(1500);
  sensors.UpdateAttitude(0, 0, 90);
  SimGpsPort gps(storage.Path(), 7);
  CMainDlg dlg(nullptr, Environment());
  dlg.OnInitDialog();
  ASSERT_TRUE(dlg.IsAcquisitionRunning());
  FlightSimulator flight({.windFrom = 300, .windSpeed = 5, .duration = 600});
  gps.Send("\r\n");  // for the port's test read
  while (!flight.Done()) {
    const SimFix fix = flight.Next();
    sensors.UpdatePressure(fix.altitude);
    sensors.UpdateAttitude(fix.heading, fix.bank, 90);
    gps.Send(SimNmea(fix, "GP"));
  }
  ASSERT_TRUE(WaitUntil([&] { return Track().find("B120959") != std::string::npos; }));
  WaitUntil([] { return false; }, 200ms);  // the last texts' hand-over
  const auto start = std::chrono::steady_clock::now();
  dlg.done(QDialog::Rejected);
  EXPECT_LT(std::chrono::steady_clock::now() - start, 2s) << "the stop wakes the blocked read";
  EXPECT_FALSE(dlg.IsAcquisitionRunning());
  EXPECT_NEAR(Text(dlg, 1).mid(3).trimmed().toInt(), 300, 25) << Text(dlg, 1).toStdString();
  EXPECT_NEAR(Text(dlg, 2).mid(3).trimmed().toInt(), 5, 2) << Text(dlg, 2).toStdString();
  ASSERT_GT(g_dClimbPeak, 1.0);
  const QImage marked = dlg.Panel()->grab().toImage();
  g_dClimbPeak = -1.0;  // no thermal: the same panel without its marker
  EXPECT_NE(dlg.Panel()->grab().toImage(), marked);
}

// A barometer whose driver binds after the start is used from the moment
// it comes: the track's pressure column follows. Its absence was told once.
TEST_F(MainDlgTest, ABarometerThatComesAfterTheStartIsUsedFromThen) {
  WriteFileBytes(storage / "TermIni.INI", SettingsFileBytes("COM7:, 9600,6,3,0,1,1, 3"));
  PtyReceiver receiver;
  Bind(7, receiver.Device());
  CMainDlg dlg(nullptr, Environment());
  dlg.OnInitDialog();
  ASSERT_TRUE(receiver.Send(FixSentences("100000")));
  ASSERT_TRUE(WaitUntil([&] { return Track().find("B100000") != std::string::npos; }));
  EXPECT_EQ(Track().substr(Track().find("B100000") + 25, 5), "00000") << "no barometer";

  const fs::path device = storage / "sys/bus/iio/devices/iio:device4";
  fs::create_directories(device);
  WriteFileBytes(device / "in_pressure_input", "70.109\n");   // 3000 m
  int second = 1;
  ASSERT_TRUE(WaitUntil([&] {
    const std::string ss = (second < 10 ? "0" : "") + std::to_string(second);
    ++second;
    receiver.Send(FixSentences("1000" + ss));
    return Track().find("A0300000545\n") != std::string::npos;
  }, 5s)) << Track();
  EXPECT_EQ(messages, QStringList({"Not open sensor bar", "Not open sensor comp"}));
}

// Logs that cannot be created are told once the GPS is read, once, and
// the flight is recorded from the moment the card takes it.
TEST_F(MainDlgTest, LogsThatCannotBeCreatedAreToldAndRecordedOnceTheyCanBe) {
  WriteFileBytes(storage / "TermIni.INI", SettingsFileBytes("COM7:, 9600,6,3,0,1,1, 3"));
  WriteFileBytes(storage / "FlyData", "a file where the folder belongs\n");
  PtyReceiver receiver;
  Bind(7, receiver.Device());
  CMainDlg dlg(nullptr, Environment());
  dlg.OnInitDialog();
  ASSERT_TRUE(WaitUntil([&] { return messages.size() == 3; }));
  EXPECT_TRUE(messages[2].startsWith("flight log " + QString::fromStdString((storage / "FlyData").string())))
      << messages[2].toStdString();
  EXPECT_TRUE(messages[2].endsWith("cannot be created (Not a directory): the flight is not recorded until it can be"))
      << messages[2].toStdString();
  ASSERT_TRUE(receiver.Send(FixSentences("100000")));
  WaitUntil([] { return false; }, 300ms);
  fs::remove(storage / "FlyData");
  int second = 1;
  ASSERT_TRUE(WaitUntil([&] {
    const std::string s = std::to_string(second);
    ++second;
    receiver.Send(FixSentences("10000" + s));
    return Track().find("\nB10000") != std::string::npos;
  }, 5s));
  EXPECT_EQ(messages.size(), 3) << "told once";
}

// Without a screen, one that comes takes the flight over right after a
// fix: the acquisition stopped, the logs closed whole and the port handed
// over open. Where the new start cannot be made, this run flies on, with
// the same logs and port.
TEST_F(MainDlgTest, AScreenThatComesTakesTheFlightOverBetweenTwoFixes) {
  WriteFileBytes(storage / "TermIni.INI", SettingsFileBytes("COM7:, 9600,6,3,0,1,1, 3"));
  PtyReceiver receiver;
  Bind(7, receiver.Device());
  const int port = FreeTcpPort();
  WriteFileBytes(storage / "Output.txt", "TCP port: " + std::to_string(port) + "\nSerial: COM4\n");
  bool screen = false;
  std::optional<Takeover> handed;
  std::string trackAtHandOver;
  StartupEnvironment env = Environment();
  env.screenAppeared = [&] { return screen; };
  env.handOver = [&](const Takeover& takeover) {
    handed = takeover;
    trackAtHandOver = ReadFileBytes(takeover.track);
    EXPECT_FALSE(g_fileTrack.IsOpen());
    return ENOEXEC;
  };
  CMainDlg dlg(nullptr, env);
  dlg.OnInitDialog();
  StreamClient app(port);
  // Served once the second's vario sentence without a barometer comes.
  ASSERT_TRUE(WaitUntil([&] { return app.ReadAvailable() && app.Received().rfind("$LK8EX1,999999,", 0) == 0; }));
  ASSERT_TRUE(receiver.Send(FixSentences("100000")));
  ASSERT_TRUE(WaitUntil([&] { return Track().find("B100000") != std::string::npos; }));
  screen = true;
  WaitUntil([&] { return false; }, 5500ms);   // the screen is looked for every five seconds
  EXPECT_FALSE(handed) << "not before a fix";
  ASSERT_TRUE(receiver.Send(FixSentences("100006")));
  ASSERT_TRUE(WaitUntil([&] { return handed.has_value(); }));
  EXPECT_EQ(handed->track, storage / "FlyData" / "trk_230326140509.IGC");
  EXPECT_EQ(handed->accel, storage / "FlyData" / "acc_230326140509.csv");
  EXPECT_GE(handed->gpsPort, 0);
  EXPECT_GE(handed->output.listener, 0) << "the apps' server goes over too";
  EXPECT_EQ(handed->output.clients.size(), 1u);
  EXPECT_EQ(trackAtHandOver.substr(trackAtHandOver.size() - 36, 7), "B100006") << "ends with the fix, whole";
  ASSERT_TRUE(dlg.IsAcquisitionRunning());
  ASSERT_TRUE(receiver.Send(FixSentences("100007")));
  ASSERT_TRUE(WaitUntil([&] { return Track().find("B100007") != std::string::npos; }));
  EXPECT_EQ(Track().substr(0, trackAtHandOver.size()), trackAtHandOver);
  // The app, connected all along, has every sentence of the three fixes.
  ASSERT_TRUE(WaitUntil([&] { return app.ReadAvailable() && app.Received().find("$GPGGA,100007") != std::string::npos; }));
  EXPECT_FALSE(app.Closed());
  for (const char* time : {"100000", "100006", "100007"}) {
    EXPECT_NE(app.Received().find(FixSentences(time)), std::string::npos) << time;
  }
  EXPECT_EQ(messages.count("Not open output COM4"), 1) << "told once, though the line was tried anew";
}

// The run that takes over is told, on its command line, the logs, the GPS
// port and the output's server (its listening socket, then its apps).
TEST(TakeoverTest, TheArgumentsNameTheLogsThePortAndTheServer) {
  const struct {
    std::vector<std::string> args;
    std::optional<Takeover> expected;
  } cases[] = {
      {{"--take-over", "t.IGC", "a.csv", "5", "7,9,12"}, Takeover{"t.IGC", "a.csv", 5, {7, {9, 12}}}},
      {{"--take-over", "t.IGC", "a.csv", "5", "7"}, Takeover{"t.IGC", "a.csv", 5, {7, {}}}},
      {{"--take-over", "t.IGC", "a.csv", "-1", "-1"}, Takeover{"t.IGC", "a.csv", -1, {}}},
      {{"--take-over", "t.IGC", "a.csv", "x", "7,y,9"}, Takeover{"t.IGC", "a.csv", -1, {7, {9}}}},
      {{"--take-over", "t.IGC", "a.csv", "5"}, Takeover{"t.IGC", "a.csv", 5, {}}},
      {{"--take-over", "t.IGC", "a.csv"}, std::nullopt},
      {{"--other", "t.IGC", "a.csv", "5", "7"}, std::nullopt},
  };
  for (const auto& c : cases) {
    std::vector<std::string> args = c.args;
    args.insert(args.begin(), "flight-instrument");
    std::vector<char*> argv;
    for (std::string& arg : args) argv.push_back(arg.data());
    const std::optional<Takeover> got = TakeoverFromArguments(static_cast<int>(argv.size()), argv.data());
    ASSERT_EQ(got.has_value(), c.expected.has_value()) << ::testing::PrintToString(c.args);
    if (!got) continue;
    EXPECT_EQ(std::tie(got->track, got->accel, got->gpsPort, got->output),
              std::tie(c.expected->track, c.expected->accel, c.expected->gpsPort, c.expected->output))
        << ::testing::PrintToString(c.args);
  }
}

// The new start goes on with the logs and the open port it is handed.
TEST_F(MainDlgTest, ARunThatTakesOverGoesOnWithTheLogsAndThePortItIsHanded) {
  WriteFileBytes(storage / "TermIni.INI", SettingsFileBytes("COM7:, 9600,6,3,0,1,1, 3"));
  const fs::path fly = storage / "FlyData";
  fs::create_directories(fly);
  const std::string before = "AHOL001\nHFDTE010126\nB0959594807038N01131000EA0000000545\n";
  WriteFileBytes(fly / "trk_010126095900.IGC", before);
  WriteFileBytes(fly / "acc_010126095900.csv", ";x;y;z\n095959; 0.00; 0.00; 0.00\n");
  PtyReceiver receiver;   // COM7 names no device: only the handed port reaches it
  StartupEnvironment env = Environment();
  env.takeover = Takeover{fly / "trk_010126095900.IGC", fly / "acc_010126095900.csv",
                          ::open(receiver.Device().c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC), {}};
  CMainDlg dlg(nullptr, env);
  dlg.OnInitDialog();
  ASSERT_TRUE(dlg.IsAcquisitionRunning());
  ASSERT_TRUE(receiver.Send(FixSentences("100000")));
  ASSERT_TRUE(WaitUntil([&] {
    // The GPS altitude comes with the fix's GGA, after its RMC.
    return ReadFileBytes(fly / "trk_010126095900.IGC") == before + "B1000004807038N01131000EA0000000000\n";
  })) << ReadFileBytes(fly / "trk_010126095900.IGC");
  EXPECT_FALSE(fs::exists(fly / "trk_230326140509.IGC"));
}

TEST_F(MainDlgTest, EscapeClosesTheRunningWindow) {
  CMainDlg dlg(nullptr, Environment());
  QTimer::singleShot(0, [&dlg] {
    QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QApplication::sendEvent(&dlg, &escape);
  });
  EXPECT_EQ(dlg.DoModal(), QDialog::Rejected);
  EXPECT_FALSE(dlg.isVisible());
}

// A collision alarm takes the top line at once, black on white, without
// waiting for the next fix, and gives it back when it ends; the map shows
// the threat filled; a tap on the line reaches whoever is listening.
TEST_F(MainDlgTest, AnAlarmTakesTheTopLineAtOnceAndGivesItBack) {
  WriteFileBytes(storage / "TermIni.INI", SettingsFileBytes("COM7:, 9600,6,3,0,15,1, 3"));  // speed, traffic
  PtyReceiver gps;
  Bind(7, gps.Device());
  CFlightApp::SetDialogColours();   // the program's look, whose style sheet a field's own meets
  const struct PlainLookAfter {
    ~PlainLookAfter() {
      qApp->setStyleSheet(QString());
      QApplication::setPalette(QPalette());
    }
  } plainLookAfter;
  CMainDlg dlg(nullptr, Environment());
  int taps = 0;
  dlg.SetTopLineTapHandler([&] { ++taps; });
  dlg.OnInitDialog();
  // The top line's middle row: white where the line is inverse.
  const auto inverse = [&] {
    const QImage line = dlg.FieldLabel(1)->grab().toImage();
    int white = 0;
    for (int x = 0; x < line.width(); ++x) white += line.pixelColor(x, line.height() / 2).lightness() > 250;
    return 2 * white > line.width();
  };
  ASSERT_TRUE(gps.Send("\r\n" + Sentence("PFLAU,1,1,2,1,0,,0,,") + FixSentences("100000")));
  ASSERT_TRUE(WaitUntil([&] { return Text(dlg, 1) == "V  41" && Text(dlg, 2) == "Tr 0"; }));
  EXPECT_FALSE(inverse());
  const int letters = InkHeight(*dlg.FieldLabel(1));
  const QImage quiet = dlg.Panel()->grab().toImage();

  ASSERT_TRUE(gps.Send(Sentence("PFLAA,2,200,-100,20,2,DD1234,90,0,30,1.0,1") +
                       Sentence("PFLAU,1,1,2,1,2,-30,2,20,224,DD1234")));
  ASSERT_TRUE(WaitUntil([&] { return Text(dlg, 1) == "!2 11h 0.2 +20"; }));  // no fix came
  EXPECT_TRUE(inverse());
  EXPECT_GE(InkHeight(*dlg.FieldLabel(1), true), letters) << "the alarm in the line's big letters";
  EXPECT_EQ(Text(dlg, 2), "Tr 0") << "the rest waits for the fix";
  EXPECT_TRUE(WaitUntil([&] { return dlg.Panel()->grab().toImage() != quiet; })) << "the threat on the map";

  QMouseEvent tap(QEvent::MouseButtonPress, QPointF(5, 5), QPointF(5, 5), Qt::LeftButton, Qt::LeftButton,
                  Qt::NoModifier);
  QApplication::sendEvent(dlg.FieldLabel(1), &tap);
  EXPECT_EQ(taps, 1);

  ASSERT_TRUE(gps.Send(Sentence("PFLAU,1,1,2,1,0,,0,,")));
  ASSERT_TRUE(WaitUntil([&] { return Text(dlg, 1) == "V  41"; }));
  EXPECT_FALSE(inverse());
  // Given back in the big letters of the other lines, not the window's small ones.
  EXPECT_EQ(InkHeight(*dlg.FieldLabel(1)), letters);
}

// The airspace file is read beside the start: the GPS is already read and
// recorded when what it skipped is told, once, and the note that flight
// levels go by the GPS without a barometer. A file that cannot be read is
// told; a missing one is not (the tests above have none).
TEST_F(MainDlgTest, TheAirspaceFileIsReadBesideTheStartAndItsProblemsToldOnce) {
  WriteFileBytes(storage / "TermIni.INI", SettingsFileBytes("COM7:, 9600,6,3,0,1,1, 3"));
  PtyReceiver receiver;
  Bind(7, receiver.Device());
  const struct { bool folder; const char* text; QStringList told; } rows[] = {
      {false, "AC D\nAN ONE\nAL GND\nAH FL50\nV X=48:07:02 N 011:31:00 E\nDC 1\n"
              "AC D\nAN NO CEILING\nAL GND\nV X=48:00:00 N 011:00:00 E\nDC 1\n",
       {"airspace: 1 loaded from Airspace.txt, 1 skipped\n"
        "airspace: no barometer: flight levels are judged by the GPS altitude until one comes"}},
      {false, "AC D\nAN ONE\nAL GND\nAH FL50\nV X=48:07:02 N 011:31:00 E\nDC 1\n",
       {"airspace: no barometer: flight levels are judged by the GPS altitude until one comes"}},
      {true, "", {"airspace: cannot read Airspace.txt (Is a directory)"}},
  };
  for (const auto& row : rows) {
    messages.clear();
    fs::remove_all(storage / "Airspace.txt");
    if (row.folder) {
      fs::create_directory(storage / "Airspace.txt");
    } else {
      WriteFileBytes(storage / "Airspace.txt", row.text);
    }
    bool readingAtMessage = false;
    const CMainDlg* shown = nullptr;
    StartupEnvironment env = Environment();
    env.showMessage = [&](QWidget*, const QString& text) {
      messages.push_back(text);
      readingAtMessage = shown->IsAcquisitionRunning();
    };
    CMainDlg dlg(nullptr, env);
    shown = &dlg;
    dlg.OnInitDialog();
    EXPECT_EQ(messages, QStringList({"Not open sensor bar", "Not open sensor comp"}));
    ASSERT_TRUE(WaitUntil([&] { return messages.size() == 3; }));
    EXPECT_EQ(messages.mid(2), row.told);
    EXPECT_TRUE(readingAtMessage);
    WaitUntil([] { return false; }, 200ms);
    EXPECT_EQ(messages.size(), 3) << "once";
  }
}

// The top line holds as many characters of an alarm as the window says
// (the loop cuts an airspace's name to them), counted in capitals N, and
// not one more.
TEST_F(MainDlgTest, TheTopLineHoldsTheCharactersItCountsForAnAlarm) {
  CMainDlg dlg(nullptr, Environment());
  dlg.setGeometry(0, 0, 480, 272);   // the instrument's screen
  dlg.show();
  const QLabel* top = dlg.FieldLabel(1);
  ASSERT_TRUE(WaitUntil([&] { return top->width() == 480; }));
  EXPECT_GE(TopLineCharacters(), 10u) << "12 in DejaVu Sans Bold";
  const QFontMetrics metrics(top->font());
  const int room = top->contentsRect().width() - metrics.horizontalAdvance('x') / 2;   // the label's indent
  const QString capitals(static_cast<int>(TopLineCharacters()), 'N');
  EXPECT_LE(metrics.horizontalAdvance(capitals), room);
  EXPECT_GT(metrics.horizontalAdvance(capitals + "N"), room) << "no room wasted";
}

}  // namespace
