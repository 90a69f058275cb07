#include "display/panel_widget.h"

#include <algorithm>

#include <QPainter>
#include <QPalette>

#include "base/traffic.h"
#include "display/instrument_panel.h"
#include "display/map_borders.h"
#include "display/qt_paint_context.h"

InstrumentPanelWidget::InstrumentPanelWidget(QWidget* parent) : QWidget(parent) {
  QPalette palette = this->palette();
  palette.setColor(QPalette::Window, Qt::black);
  setPalette(palette);
  setAutoFillBackground(true);  // every paint starts on an erased background
}

QTransform InstrumentPanelWidget::PanelTransform(const QSize& size) {
  const double scale = std::min(static_cast<double>(size.width()) / kPanelArea.width(),
                                static_cast<double>(size.height()) / kPanelArea.height());
  const double dx = (size.width() - scale * kPanelArea.width()) / 2;
  const double dy = (size.height() - scale * kPanelArea.height()) / 2;
  QTransform transform;
  transform.translate(dx, dy);
  transform.scale(scale, scale);
  transform.translate(-kPanelArea.x(), -kPanelArea.y());
  return transform;
}

void InstrumentPanelWidget::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setTransform(PanelTransform(size()));
  QtPaintContext dc(painter);
  PaintInstrumentPanel(dc, ReadPanelValues(), LatestTraffic(), *LatestMapBorders());
}
