// flight-instrument: the cockpit instrument. Runs from the folder that holds
// it (its storage folder: settings, COMn links, FlyData logs), like the
// handheld ran from its storage card. No options.
#include <QApplication>

#include "app/flight_app.h"
#include "app/signal_closer.h"

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  QApplication::setApplicationDisplayName("Flight instrument");
  SignalCloser closer;
  theApp.InitInstance();
  return 0;
}
