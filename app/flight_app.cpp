#include "app/flight_app.h"

#include <QApplication>
#include <QPalette>

#include "app/main_dlg.h"

CFlightApp theApp;

void CFlightApp::SetDialogColours() {
  QPalette palette;
  for (const auto role : {QPalette::Window, QPalette::Base, QPalette::Button, QPalette::AlternateBase}) {
    palette.setColor(role, Qt::black);
  }
  for (const auto role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText,
                          QPalette::BrightText}) {
    palette.setColor(role, Qt::white);
  }
  palette.setColor(QPalette::Highlight, Qt::white);
  palette.setColor(QPalette::HighlightedText, Qt::black);
  QApplication::setPalette(palette);
  // Frames in white, so that fields, buttons and lists stand out in the
  // dark cockpit as on the handheld.
  qApp->setStyleSheet(
      "QPushButton, QComboBox { border: 2px solid white; background: black; color: white;"
      " padding: 2px 8px; }"
      "QPushButton:pressed { background: white; color: black; }"
      "QComboBox QAbstractItemView { border: 2px solid white; background: black; color: white;"
      " selection-background-color: white; selection-color: black; }"
      "QCheckBox::indicator { width: 28px; height: 28px; border: 2px solid white; }"
      "QCheckBox::indicator:checked { background: white; }");
}

bool CFlightApp::InitInstance() {
  SetDialogColours();
  CMainDlg dlg(nullptr);
  m_pMainWnd = &dlg;
  dlg.DoModal();
  m_pMainWnd = nullptr;
  return false;
}
