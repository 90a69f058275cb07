// A paint context that writes down its drawing as
// "pen Mx,y Lx,y El,t,r,b Px,y x,y x,y f Dx,y x,y ; restore " (a polygon
// ends with "f" when filled, "o" when outlined; a dashed line with ";").
#pragma once

#include <string>

#include "display/instrument_panel.h"

struct RecordingPaintContext : PaintContext {
  void SelectWhitePen() override { ops += "pen "; }
  void RestorePen() override { ops += "restore "; }
  void MoveTo(int x, int y) override { ops += 'M' + Xy(x, y); }
  void LineTo(int x, int y) override { ops += 'L' + Xy(x, y); }
  void Ellipse(int l, int t, int r, int b) override { ops += 'E' + Xy(l, t, ',') + Xy(r, b); }
  void Polygon(std::span<const PanelPoint> points, bool filled) override {
    ops += 'P';
    for (const PanelPoint& p : points) ops += Xy(p.x, p.y);
    ops += filled ? "f " : "o ";
  }
  void DashedPolyline(std::span<const PanelPoint> points) override {
    ops += 'D';
    for (const PanelPoint& p : points) ops += Xy(p.x, p.y);
    ops += "; ";
  }
  static std::string Xy(int x, int y, char end = ' ') {
    return std::to_string(x) + ',' + std::to_string(y) + end;
  }
  std::string ops;
};
