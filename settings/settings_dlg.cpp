#include "settings/settings_dlg.h"

#include <array>

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QStringList>
#include <QStyledItemDelegate>

#include "base/settings_values.h"
#include "settings/settings_file.h"

int g_nFieldSelPending1 = 0;
int g_nFieldSelPending2 = 0;
int g_nFieldSelPending3 = 0;

namespace {

// Every entry of the baud list sets the rate on its label.
constexpr std::array<int, 10> kBaudRates = {300,   2400,  4800,  9600,  19200,
                                            28800, 33600, 38400, 57600, 115200};
constexpr int kPorts = 9;

// Big enough for a gloved finger on a 480 x 272 cockpit screen.
constexpr int kTouchHeight = 40;

QComboBox* MakeList(QWidget* parent, const QStringList& entries) {
  auto* list = new QComboBox(parent);
  list->addItems(entries);
  list->setMinimumHeight(kTouchHeight);
  list->setMaxVisibleItems(entries.size());
  // Entries drawn as the rows of a list rather than as menu items: a row
  // takes the selection colours, so the open list marks the current entry
  // (the application's look makes that inverse, black on white).
  list->setItemDelegate(new QStyledItemDelegate(list));
  return list;
}

// Selects a stored position; one outside the list leaves it without a
// selection.
void Select(QComboBox* list, int position) {
  if (position < 0) return;
  list->setCurrentIndex(position < list->count() ? position : -1);
}

}  // namespace

const QStringList& CSettingsDlg::PortEntries() {
  static const QStringList entries = {"Com1: ", "Com2:", "Com3:", "Com4:", "Com5:",
                                      "Com6:",  "Com7:", "Com8:", "Com9:"};
  return entries;
}

const QStringList& CSettingsDlg::BaudEntries() {
  static const QStringList entries = {"300",   "2400",  "4800",  "9600",  "19200",
                                      "28800", "33600", "38400", "57600", "115200"};
  return entries;
}

const QStringList& CSettingsDlg::TopFieldEntries() {
  static const QStringList entries = {"Speed", "Altitude", "Course", "WindD", "WindF",
                                      "Long",  "Latit",    "Time",   "D/H",   "FI",
                                      "WX",    "d/H",      "batt",   "AltBar", "TAS",
                                      "WindC", "Traffic", "Airspace"};
  return entries;
}

const QStringList& CSettingsDlg::MiddleFieldEntries() {
  static const QStringList entries = {"Speed", "Altitude", "Course", "WindD", "WindF",
                                      "Long",  "Latit",    "Time",   "D/H",   "TAS",
                                      "d/H",   "Dist",     "Ugol",   "AltBar", "WindC",
                                      "Traffic", "Airspace"};
  return entries;
}

const QStringList& CSettingsDlg::BottomFieldEntries() {
  static const QStringList entries = {"Speed", "Altitude", "Course", "WindD", "WindF", "Long",
                                      "Latit", "Time",     "D/H",    "TAS",   "d/H",   "Dist",
                                      "Ugol",  "AltBar",   "Fim",    "D2S",   "A2S",   "WindC",
                                      "Traffic", "Airspace"};
  return entries;
}

CSettingsDlg::CSettingsDlg(QWidget* parent) : QDialog(parent) {
  setModal(true);
  QFont font = this->font();
  font.setFamilies({"Verdana", "DejaVu Sans"});
  font.setPixelSize(20);
  setFont(font);

  m_cbComPort = MakeList(this, PortEntries());
  m_cbBaud = MakeList(this, BaudEntries());
  m_cbField1 = MakeList(this, TopFieldEntries());
  m_cbField2 = MakeList(this, MiddleFieldEntries());
  m_cbField3 = MakeList(this, BottomFieldEntries());
  m_chkSound = new QCheckBox("Sound", this);
  m_chkSound->setMinimumHeight(kTouchHeight);
  m_btnPosition = new QPushButton("Position", this);
  m_btnPosition->setMinimumHeight(kTouchHeight);
  m_btnOk = new QPushButton("OK", this);
  m_btnOk->setDefault(true);
  m_btnOk->setMinimumHeight(kTouchHeight);
  m_btnCancel = new QPushButton("Cancel", this);
  m_btnCancel->setMinimumHeight(kTouchHeight);

  auto* layout = new QGridLayout(this);
  layout->addWidget(m_cbComPort, 0, 0);
  layout->addWidget(m_cbField1, 0, 1);
  layout->addWidget(m_cbBaud, 1, 0);
  layout->addWidget(m_cbField2, 1, 1);
  layout->addWidget(new QLabel("com", this), 2, 0, Qt::AlignCenter);
  layout->addWidget(m_cbField3, 2, 1);
  layout->addWidget(m_chkSound, 3, 0);
  layout->addWidget(new QLabel("Value", this), 3, 1, Qt::AlignCenter);
  layout->addWidget(m_btnPosition, 4, 0, 1, 2, Qt::AlignHCenter);
  layout->addWidget(m_btnOk, 5, 0);
  layout->addWidget(m_btnCancel, 5, 1);

  // The lists react to the pilot's choices only, not to OnInitDialog's.
  connect(m_cbComPort, &QComboBox::activated, this, &CSettingsDlg::OnPortChosen);
  connect(m_cbBaud, &QComboBox::activated, this, &CSettingsDlg::OnBaudChosen);
  connect(m_cbField1, &QComboBox::activated, this, [](int p) { g_nFieldSelPending1 = p; });
  connect(m_cbField2, &QComboBox::activated, this, [](int p) { g_nFieldSelPending2 = p; });
  connect(m_cbField3, &QComboBox::activated, this, [](int p) { g_nFieldSelPending3 = p; });
  connect(m_btnPosition, &QPushButton::clicked, this, &CSettingsDlg::OnPositionRequested);
  connect(m_btnOk, &QPushButton::clicked, this, &CSettingsDlg::accept);
  connect(m_btnCancel, &QPushButton::clicked, this, &CSettingsDlg::reject);
}

int CSettingsDlg::DoModal() {
  OnInitDialog();
  return exec();
}

void CSettingsDlg::OnInitDialog() {
  for (QComboBox* list : {m_cbBaud, m_cbComPort, m_cbField1, m_cbField2, m_cbField3}) {
    list->setCurrentIndex(-1);
  }
  Select(m_cbBaud, g_nBaudIndex);
  Select(m_cbComPort, g_nComPortIndex);
  Select(m_cbField1, g_nFieldSel1);
  Select(m_cbField2, g_nFieldSel2);
  Select(m_cbField3, g_nFieldSel3);
  m_chkSound->setChecked(g_bSound == 1);
  g_nFieldSelPending1 = g_nFieldSel1;
  g_nFieldSelPending2 = g_nFieldSel2;
  g_nFieldSelPending3 = g_nFieldSel3;
}

void CSettingsDlg::OnPortChosen(int position) {
  if (position >= 0 && position < kPorts) {
    g_strComPort = "COM" + std::to_string(position + 1) + ":";
  }
  g_nComPortIndex = position;
}

void CSettingsDlg::OnBaudChosen(int position) {
  if (position >= 0 && position < static_cast<int>(kBaudRates.size())) {
    g_nBaudRate = kBaudRates[position];
  }
  g_nBaudIndex = position;
}

void CSettingsDlg::OnPositionRequested() { g_bPositionRequest = true; }

void CSettingsDlg::accept() {
  g_bSound = m_chkSound->isChecked() ? 1 : 0;
  g_nFieldSel1 = g_nFieldSelPending1;
  g_nFieldSel2 = g_nFieldSelPending2;
  g_nFieldSel3 = g_nFieldSelPending3;
  SaveSettings();
  QDialog::accept();
}
