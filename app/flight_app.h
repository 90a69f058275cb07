// The application object: white on black for every dialog and control, the
// main window run modally, and the end of the program when it closes.
// The QApplication must exist before InitInstance runs.
#pragma once

class QWidget;

class CFlightApp {
 public:
  // Runs the main window until it is closed; false, so that the program
  // then ends without a message loop of its own.
  bool InitInstance();

  // White text on black for all dialogs and their controls.
  static void SetDialogColours();

  QWidget* m_pMainWnd = nullptr;
};

extern CFlightApp theApp;
