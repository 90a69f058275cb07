// The instrument panel's paint context on a QPainter: the handheld's pen,
// move-to/line-to, filled-ellipse, polygon and dashed-line operations.
#pragma once

#include <QPainter>
#include <QPen>
#include <QPoint>

#include "display/instrument_panel.h"

class QtPaintContext final : public PaintContext {
 public:
  // The painter's brush becomes the context's default brush, white, as on
  // the handheld's black dialog.
  explicit QtPaintContext(QPainter& painter);

  void SelectWhitePen() override;
  void RestorePen() override;
  void MoveTo(int x, int y) override;
  void LineTo(int x, int y) override;
  void Ellipse(int left, int top, int right, int bottom) override;
  void Polygon(std::span<const PanelPoint> points, bool filled) override;
  void DashedPolyline(std::span<const PanelPoint> points) override;

 private:
  QPainter& m_painter;
  QPen m_oldPen;
  QPoint m_current;
};
