// The look the application gives its dialogs, seen in the settings dialog
// as the pilot sees it: the lists mark their current entry in inverse
// colours, open and closed, and "Sound" checked is a tick. Read from the
// widgets' own drawing on the offscreen platform.
#include <QAbstractItemView>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QImage>
#include <QPalette>
#include <QStyleOptionButton>
#include <QStyleOptionComboBox>

#include <gtest/gtest.h>

#include "app/flight_app.h"
#include "settings/settings_dlg.h"

namespace {

// An area's pixels: how many are light (nearer white than black), of all.
struct Shades {
  int light = 0;
  int all = 0;
  double LightShare() const { return all ? double(light) / all : -1; }
  int Dark() const { return all - light; }
};

Shades ShadesOf(const QImage& image, const QRect& area) {
  const QRect inside = area & image.rect();
  Shades shades;
  for (int y = inside.top(); y <= inside.bottom(); ++y) {
    for (int x = inside.left(); x <= inside.right(); ++x) {
      if (qGray(image.pixel(x, y)) > 127) ++shades.light;
      ++shades.all;
    }
  }
  return shades;
}

double LightShare(const QImage& image, const QRect& area) { return ShadesOf(image, area).LightShare(); }

// Enough pixels of the other shade for a word of text.
constexpr int kTextPixels = 30;

class DialogLookTest : public ::testing::Test {
 protected:
  void SetUp() override {
    CFlightApp::SetDialogColours();
    dlg.OnInitDialog();
    dlg.resize(480, 272);  // a small cockpit screen
    dlg.show();
    QApplication::processEvents();
  }
  void TearDown() override {
    qApp->setStyleSheet(QString());
    QApplication::setPalette(QPalette());
  }

  // Each row of the open list, its pixels light and dark.
  static std::vector<Shades> OpenRows(QComboBox* list) {
    list->showPopup();
    QApplication::processEvents();
    QAbstractItemView* view = list->view();
    const QImage image = view->viewport()->grab().toImage();
    std::vector<Shades> rows;
    for (int row = 0; row < list->count(); ++row) {
      rows.push_back(ShadesOf(image, view->visualRect(list->model()->index(row, 0))));
    }
    list->hidePopup();
    QApplication::processEvents();
    return rows;
  }

  CSettingsDlg dlg;
};

TEST_F(DialogLookTest, ThePicturesAreBuiltIntoTheProgram) {
  for (const char* picture : {":/icon.png", ":/icon-16.png", ":/check-tick.png", ":/list-arrow.png"}) {
    EXPECT_TRUE(QFile::exists(picture)) << picture;
  }
}

TEST_F(DialogLookTest, EveryOpenListMarksItsCurrentEntryAloneInInverseColours) {
  struct Case {
    QComboBox* list;
    int current;
  };
  for (const Case& c : {Case{dlg.m_cbComPort, 6}, Case{dlg.m_cbBaud, 3}, Case{dlg.m_cbField1, 8},
                        Case{dlg.m_cbField2, 0}, Case{dlg.m_cbField3, 16}}) {
    SCOPED_TRACE(c.list->itemText(c.current).toStdString());
    c.list->setCurrentIndex(c.current);
    const std::vector<Shades> rows = OpenRows(c.list);
    EXPECT_TRUE(c.list->view()->selectionModel()->isSelected(c.list->model()->index(c.current, 0)));
    for (int row = 0; row < c.list->count(); ++row) {
      // Black text on white is mostly light, white text on black mostly
      // dark; either way the text's pixels are there.
      if (row == c.current) {
        EXPECT_GT(rows[row].LightShare(), 0.7) << "current row " << row;
        EXPECT_GT(rows[row].Dark(), kTextPixels) << "current row " << row << " shows its text";
      } else {
        EXPECT_LT(rows[row].LightShare(), 0.3) << "row " << row;
        EXPECT_GT(rows[row].light, kTextPixels) << "row " << row << " shows its text";
      }
    }
  }
}

TEST_F(DialogLookTest, AClosedListShowsItsEntryInInverseColoursBesideADarkButton) {
  for (QComboBox* list : {dlg.m_cbComPort, dlg.m_cbBaud, dlg.m_cbField1, dlg.m_cbField2, dlg.m_cbField3}) {
    SCOPED_TRACE(list->currentText().toStdString());
    const QImage image = list->grab().toImage();
    QStyleOptionComboBox option;
    option.initFrom(list);
    option.editable = list->isEditable();
    const QRect entry = list->style()->subControlRect(QStyle::CC_ComboBox, &option,
                                                     QStyle::SC_ComboBoxEditField, list);
    const QRect button = list->style()->subControlRect(QStyle::CC_ComboBox, &option,
                                                      QStyle::SC_ComboBoxArrow, list);
    const Shades shades = ShadesOf(image, entry);
    EXPECT_GT(shades.LightShare(), 0.7) << "the entry on white";
    EXPECT_GT(shades.Dark(), kTextPixels) << "its text in black";
    EXPECT_LT(LightShare(image, button), 0.5) << "the drop-down button stays dark";
  }
}

TEST_F(DialogLookTest, SoundCheckedIsATickInADarkBox) {
  const auto inside = [this] {
    QStyleOptionButton option;
    option.initFrom(dlg.m_chkSound);
    const QRect box = dlg.m_chkSound->style()->subElementRect(QStyle::SE_CheckBoxIndicator, &option,
                                                             dlg.m_chkSound);
    return box.adjusted(4, 4, -4, -4);  // within the white frame
  };
  dlg.m_chkSound->setChecked(false);
  const QImage unchecked = dlg.m_chkSound->grab().toImage();
  dlg.m_chkSound->setChecked(true);
  const QImage checked = dlg.m_chkSound->grab().toImage();

  EXPECT_LT(LightShare(unchecked, inside()), 0.02) << "unchecked: an empty dark box";
  const double tick = LightShare(checked, inside());
  EXPECT_GT(tick, 0.08) << "checked: a mark in the box";
  EXPECT_LT(tick, 0.5) << "a tick, not a filled square: the box stays mostly dark";
  // A tick: its short stroke low on the left, its long one up to the right,
  // nothing in the top-left corner.
  const QRect r = inside();
  const int w = r.width() / 3, h = r.height() / 3;
  EXPECT_GT(LightShare(checked, QRect(r.left() + w, r.top() + 2 * h, w, h)), 0.1) << "bottom middle";
  EXPECT_GT(LightShare(checked, QRect(r.left() + 2 * w, r.top(), w, h)), 0.1) << "top right";
  EXPECT_LT(LightShare(checked, QRect(r.left(), r.top(), w, h)), 0.05) << "top left";
}

}  // namespace
