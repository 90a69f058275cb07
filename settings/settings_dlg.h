// The settings dialog, opened with "set": the GPS port and its rate, the
// value each of the three display lines shows, the sound flag, and
// "Position", which asks the acquisition loop to take the next position as
// the start point.
//
//   port list     top-field list        Port and rate apply at once (in
//   baud list     middle-field list     memory), the field codes and the
//     com         bottom-field list     sound only at OK, which also writes
//   [ ] Sound        Value              TermIni.INI. Cancel drops the field
//        [ Position ]                   choices and the sound box, and keeps
//   [OK]             [Cancel]           port, rate and a position request.
//
// A list position is the field's code; the three field lists differ from
// position 9 on (see display_texts.h).
#pragma once

#include <QDialog>

class QCheckBox;
class QComboBox;
class QPushButton;

// The field choices made since the dialog opened, taken at OK.
extern int g_nFieldSelPending1;
extern int g_nFieldSelPending2;
extern int g_nFieldSelPending3;

class CSettingsDlg : public QDialog {
 public:
  explicit CSettingsDlg(QWidget* parent = nullptr);

  // Shows the current settings and runs the dialog; QDialog::Accepted after
  // OK.
  int DoModal();

  // Every time the dialog starts: the lists show the current settings, the
  // pending field choices are reset.
  void OnInitDialog();

  // OK: sound flag and field codes applied, the settings file written (a
  // failure is shown and the dialog still closes), the dialog ended.
  void accept() override;

  // The lists' entries, by position.
  static const QStringList& PortEntries();
  static const QStringList& BaudEntries();
  static const QStringList& TopFieldEntries();
  static const QStringList& MiddleFieldEntries();
  static const QStringList& BottomFieldEntries();

  // The controls, for the window's tests.
  QComboBox* m_cbField3;
  QCheckBox* m_chkSound;
  QComboBox* m_cbField2;
  QComboBox* m_cbField1;
  QComboBox* m_cbBaud;
  QComboBox* m_cbComPort;
  QPushButton* m_btnPosition;
  QPushButton* m_btnOk;
  QPushButton* m_btnCancel;

 private:
  void OnPortChosen(int position);
  void OnBaudChosen(int position);
  void OnPositionRequested();
};
