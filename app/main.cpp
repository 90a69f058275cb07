// flight-instrument: the cockpit instrument. Runs from the folder that holds
// it (its storage folder: settings, COMn links, FlyData logs), like the
// handheld ran from its storage card. No options (but the one by which a
// run hands the flight over to the next, see takeover.h).
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include <QApplication>
#include <QTimer>

#include "app/flight_app.h"
#include "app/screen_choice.h"
#include "app/signal_closer.h"
#include "app/takeover.h"

namespace {

char** g_argv = nullptr;
bool g_bApplicationMade = false;   // a window has been made: the platform works
QtMessageHandler g_qtHandler = nullptr;

// A platform whose screen is there but that cannot start on it (a display
// without a working EGL driver) ends Qt with a fatal message before the
// first window stands. The instrument then starts anew without a screen,
// with whatever it was handed, rather than not at all, and looks for no
// screen in that run.
void StartAnewWithoutAScreen(QtMsgType type, const QMessageLogContext& context, const QString& text) {
  g_qtHandler(type, context, text);
  const char* platform = std::getenv("QT_QPA_PLATFORM");
  if (type != QtFatalMsg || g_bApplicationMade || (platform && std::string(platform) == "offscreen")) return;
  std::fprintf(stderr, "flight-instrument: the screen cannot be drawn on: flying and recording without it\n");
  ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
  ::execv("/proc/self/exe", g_argv);
}

}  // namespace

int main(int argc, char** argv) {
  g_argv = argv;
  g_qtHandler = qInstallMessageHandler(StartAnewWithoutAScreen);
  Launch& launch = ThisLaunch();
  launch.takeover = TakeoverFromArguments(argc, argv);
  const char* wanted = std::getenv("QT_QPA_PLATFORM");
  launch.wantedPlatform = wanted ? wanted : "";
  const ScreenChoice screen = ChooseScreen(launch.wantedPlatform);
  launch.headless = screen.headless;
  if (!screen.note.empty()) std::fprintf(stderr, "flight-instrument: %s\n", screen.note.c_str());

  // The platform chosen is given to Qt alone: a run that takes over later
  // chooses again from the one asked for.
  std::string program = argv[0], option = "-platform", platform = screen.platform;
  std::vector<char*> qtArgs = {program.data()};
  if (screen.platform != launch.wantedPlatform) qtArgs.insert(qtArgs.end(), {option.data(), platform.data()});
  int qtArgc = static_cast<int>(qtArgs.size());
  qtArgs.push_back(nullptr);
  QApplication application(qtArgc, qtArgs.data());
  // Once events run, the first window stands.
  QTimer::singleShot(0, [] { g_bApplicationMade = true; });
  QApplication::setApplicationDisplayName("Flight instrument");
  SignalCloser closer;
  theApp.InitInstance();
  return 0;
}
