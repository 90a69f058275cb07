#include "settings/settings_dlg.h"

#include <filesystem>

#include <QCheckBox>
#include <QComboBox>
#include <QPushButton>

#include "base/settings_values.h"
#include "settings/settings_file.h"
#include "tests/support/flight_test.h"
#include "tests/support/temp_dir.h"

namespace {

namespace fs = std::filesystem;

class SettingsDlgTest : public FlightTest {
 protected:
  void SetUp() override {
    FlightTest::SetUp();
    g_strStorageFolder = storage.Path().string();
    g_strSettingsPath = "\\" + g_strStorageFolder + "\\TermIni.INI";
    SetSettingsMessageHook([this](const std::string& m) { messages.push_back(m); });
  }
  std::string File() { return Utf16ToUtf8(Record()); }
  std::u16string Record() {
    const std::string bytes = ReadFileBytes(storage / "TermIni.INI");
    return std::u16string(reinterpret_cast<const char16_t*>(bytes.data()), bytes.size() / 2);
  }
  static void Choose(QComboBox* list, int position) {
    list->setCurrentIndex(position);
    emit list->activated(position);
  }

  TempDir storage;
  std::vector<std::string> messages;
  CSettingsDlg dlg;
};

TEST_F(SettingsDlgTest, ListsHoldTheirEntriesAndShowTheCurrentSettings) {
  const auto entries = [](QComboBox* list, int at) {
    return list->itemText(at) + "/" + QString::number(list->count());
  };
  EXPECT_EQ(QStringList({entries(dlg.m_cbComPort, 0), entries(dlg.m_cbBaud, 9), entries(dlg.m_cbField1, 9),
                         entries(dlg.m_cbField2, 9), entries(dlg.m_cbField3, 16)}),
            QStringList({"Com1: /9", "115200/10", "FI/18", "TAS/17", "A2S/20"}));
  // The wind of the circles flown, the traffic, then the airspace, last in
  // each field's list.
  EXPECT_EQ(QStringList({entries(dlg.m_cbField1, 15), entries(dlg.m_cbField2, 14), entries(dlg.m_cbField3, 17)}),
            QStringList({"WindC/18", "WindC/17", "WindC/20"}));
  EXPECT_EQ(QStringList({entries(dlg.m_cbField1, 16), entries(dlg.m_cbField2, 15), entries(dlg.m_cbField3, 18)}),
            QStringList({"Traffic/18", "Traffic/17", "Traffic/20"}));
  EXPECT_EQ(QStringList({entries(dlg.m_cbField1, 17), entries(dlg.m_cbField2, 16), entries(dlg.m_cbField3, 19)}),
            QStringList({"Airspace/18", "Airspace/17", "Airspace/20"}));

  g_nFieldSel3 = 40;  // outside its list: no selection
  g_bSound = 2;       // only exactly 1 checks the box
  dlg.OnInitDialog();
  EXPECT_EQ(dlg.m_cbBaud->currentIndex(), 4);
  EXPECT_EQ(dlg.m_cbComPort->currentIndex(), 1);
  EXPECT_EQ(dlg.m_cbField1->currentIndex(), 0);
  EXPECT_EQ(dlg.m_cbField2->currentIndex(), 1);
  EXPECT_EQ(dlg.m_cbField3->currentIndex(), -1);
  EXPECT_FALSE(dlg.m_chkSound->isChecked());
}

TEST_F(SettingsDlgTest, OkAppliesEverythingAndWritesTheFile) {
  dlg.OnInitDialog();
  Choose(dlg.m_cbComPort, 7);
  Choose(dlg.m_cbBaud, 7);  // "38400" sets 38400
  Choose(dlg.m_cbField1, 4);
  Choose(dlg.m_cbField2, 11);
  Choose(dlg.m_cbField3, 15);
  EXPECT_EQ(g_nFieldSel1, 0) << "field codes wait for OK";
  dlg.m_chkSound->setChecked(false);
  dlg.m_btnOk->click();

  EXPECT_EQ(dlg.result(), QDialog::Accepted);
  EXPECT_EQ(g_strComPort.Get(), "COM8:");
  EXPECT_EQ(g_nBaudRate, 38400);
  EXPECT_EQ(g_nFieldSel2, 11);
  EXPECT_EQ(g_bSound, 0);
  EXPECT_EQ(File(), "COM8:,38400,7,7,4,11,0,15");
  EXPECT_TRUE(messages.empty());

  // Opened again, it shows the choices just made.
  dlg.OnInitDialog();
  EXPECT_EQ(dlg.m_cbField3->currentIndex(), 15);
  EXPECT_EQ(dlg.m_cbBaud->currentIndex(), 7);
}

TEST_F(SettingsDlgTest, EveryBaudEntrySetsTheRateOnItsLabel) {
  dlg.OnInitDialog();
  for (int p = 0; p < dlg.m_cbBaud->count(); ++p) {
    Choose(dlg.m_cbBaud, p);
    EXPECT_EQ(std::to_string(g_nBaudRate), dlg.m_cbBaud->itemText(p).toStdString());
    EXPECT_EQ(g_nBaudIndex, p);
  }
}

TEST_F(SettingsDlgTest, CancelKeepsPortRateAndPositionRequestOnly) {
  dlg.OnInitDialog();
  Choose(dlg.m_cbComPort, 2);
  Choose(dlg.m_cbBaud, 1);
  Choose(dlg.m_cbField1, 7);
  dlg.m_chkSound->setChecked(false);
  dlg.m_btnPosition->click();
  dlg.m_btnCancel->click();

  EXPECT_EQ(dlg.result(), QDialog::Rejected);
  EXPECT_EQ(g_strComPort.Get(), "COM3:");
  EXPECT_EQ(g_nBaudRate, 2400);
  EXPECT_TRUE(g_bPositionRequest);
  EXPECT_EQ(g_nFieldSel1, 0);
  EXPECT_EQ(g_bSound, 1);
  EXPECT_FALSE(fs::exists(storage / "TermIni.INI"));
}

TEST_F(SettingsDlgTest, ASettingsFileThatCannotBeWrittenIsReportedAndOkStillCloses) {
  g_strSettingsPath = "\\" + (storage / "no-card").string() + "\\TermIni.INI";
  dlg.OnInitDialog();
  Choose(dlg.m_cbField2, 3);
  dlg.m_btnOk->click();
  EXPECT_EQ(dlg.result(), QDialog::Accepted);
  EXPECT_EQ(messages, std::vector<std::string>{"Can't open file TermIni.ini for write"});
  EXPECT_EQ(g_nFieldSel2, 3);
}

}  // namespace
