// The signals a Linux system sends to end a program (SIGTERM at shutdown,
// SIGINT from a terminal, SIGHUP when the terminal goes away) close the
// instrument's windows in an orderly way, as the pilot's close would: the
// acquisition thread is stopped and joined and the logs end with whole
// records. The handler only writes to a pipe; the window thread does the rest.
#pragma once

#include <QObject>

class QSocketNotifier;

class SignalCloser final : public QObject {
 public:
  // Installs the handlers; one instance per process.
  explicit SignalCloser(QObject* parent = nullptr);
  ~SignalCloser() override;

  // True once a signal asked the program to end: windows that are still
  // to come (a start-up message, the main window) are not shown.
  static bool EndRequested();

 private:
  void OnSignal();

  QSocketNotifier* m_pNotifier = nullptr;
};
