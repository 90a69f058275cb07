#include "app/flight_app.h"

#include <QApplication>
#include <QPalette>

#include "app/main_dlg.h"

CFlightApp theApp;

void CFlightApp::SetDialogColours() {
  // The pictures (icon, tick, list arrow) are compiled into this static
  // library, whose resource table nothing else refers to: without this
  // call the linker leaves them out and the window has no icon.
  Q_INIT_RESOURCE(flight);
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
  // dark cockpit as on the handheld. A list marks its current entry in
  // inverse colours, black on white: closed, the entry it shows (beside a
  // black drop-down button), and open, that entry's row among the others,
  // white on black. "Sound" checked is a white tick in its black box, which
  // reads as "on" at a glance where a filled square may not.
  qApp->setStyleSheet(
      "QPushButton, QComboBox { border: 2px solid white; background: black; color: white;"
      " padding: 2px 8px; }"
      "QPushButton:pressed { background: white; color: black; }"
      "QComboBox { background: white; color: black; }"
      "QComboBox::drop-down { background: black; width: 28px; border-left: 2px solid white; }"
      "QComboBox::down-arrow { image: url(:/list-arrow.png); }"
      "QComboBox QAbstractItemView { border: 2px solid white; background: black; color: white;"
      " selection-background-color: white; selection-color: black; outline: none; }"
      "QComboBox QAbstractItemView::item { height: 32px; padding: 0px 7px; border: none; }"
      "QComboBox QAbstractItemView::item:selected { background: white; color: black; }"
      "QCheckBox::indicator { width: 28px; height: 28px; border: 2px solid white; background: black; }"
      "QCheckBox::indicator:checked { image: url(:/check-tick.png); }");
}

bool CFlightApp::InitInstance() {
  SetDialogColours();
  CMainDlg dlg(nullptr);
  m_pMainWnd = &dlg;
  dlg.DoModal();
  m_pMainWnd = nullptr;
  return false;
}
