// The instrument panel as a widget: the thermal map and the wind symbol of
// instrument_panel.h, drawn white on black in the panel's own coordinates
// (the handheld's screen pixels) and scaled uniformly to fit the widget,
// centred in it. The main window asks it to repaint after every fourth
// accepted fix.
#pragma once

#include <QRect>
#include <QTransform>
#include <QWidget>

class InstrumentPanelWidget final : public QWidget {
 public:
  // The region of the handheld's screen the panel draws on: the grid from
  // (2, 225) to (142, 365) and the wind symbol around (190, 325), with room
  // for the 2-pixel pen.
  static constexpr QRect kPanelArea{0, 222, 232, 146};

  explicit InstrumentPanelWidget(QWidget* parent = nullptr);

  // From the panel's own coordinates to the widget's pixels, for a widget
  // of `size`. At the panel's own size it is a plain shift.
  static QTransform PanelTransform(const QSize& size);

  QSize sizeHint() const override { return kPanelArea.size(); }

 protected:
  void paintEvent(QPaintEvent* event) override;
};
