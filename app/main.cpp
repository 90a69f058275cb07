// flight-instrument: the cockpit instrument. Runs from the folder that holds
// it (its storage folder: settings, COMn links, FlyData logs), like the
// handheld ran from its storage card. No options (but the one by which a
// run hands the flight over to the next, see takeover.h).
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include <QApplication>

#include "app/flight_app.h"
#include "app/screen_choice.h"
#include "app/signal_closer.h"
#include "app/takeover.h"

int main(int argc, char** argv) {
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
  QApplication::setApplicationDisplayName("Flight instrument");
  SignalCloser closer;
  theApp.InitInstance();
  return 0;
}
