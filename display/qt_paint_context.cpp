#include "display/qt_paint_context.h"

#include <QBrush>
#include <QPolygon>
#include <QRectF>

QtPaintContext::QtPaintContext(QPainter& painter) : m_painter(painter) {
  m_painter.setBrush(QBrush(Qt::white));
}

void QtPaintContext::SelectWhitePen() {
  m_oldPen = m_painter.pen();
  m_painter.setPen(QPen(QColor(255, 255, 255), 2, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
}

void QtPaintContext::RestorePen() { m_painter.setPen(m_oldPen); }

void QtPaintContext::MoveTo(int x, int y) { m_current = QPoint(x, y); }

void QtPaintContext::LineTo(int x, int y) {
  const QPoint to(x, y);
  m_painter.drawLine(m_current, to);
  m_current = to;
}

void QtPaintContext::Ellipse(int left, int top, int right, int bottom) {
  // The handheld's rectangle excludes its right and bottom edges.
  m_painter.drawEllipse(QRectF(left, top, right - left, bottom - top));
}

void QtPaintContext::Polygon(std::span<const PanelPoint> points, bool filled) {
  QPolygon polygon;
  for (const PanelPoint& p : points) polygon << QPoint(p.x, p.y);
  const QBrush brush = m_painter.brush();
  if (!filled) m_painter.setBrush(Qt::NoBrush);
  m_painter.drawPolygon(polygon);
  m_painter.setBrush(brush);
}

void QtPaintContext::DashedPolyline(std::span<const PanelPoint> points) {
  QPolygon polyline;
  for (const PanelPoint& p : points) polyline << QPoint(p.x, p.y);
  const QPen pen = m_painter.pen();
  QPen dashed = pen;
  dashed.setCapStyle(Qt::FlatCap);
  dashed.setDashPattern({3, 2});  // in pen widths: 6 pixels drawn, 4 left out
  m_painter.setPen(dashed);
  m_painter.drawPolyline(polyline);
  m_painter.setPen(pen);
}
