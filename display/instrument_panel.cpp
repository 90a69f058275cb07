#include "display/instrument_panel.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "base/angles.h"
#include "base/flight_values.h"

namespace {

// Screen pixels of the handheld.
constexpr int kGridLeft = 2, kGridTop = 225, kGridRight = 142, kGridBottom = 365;
constexpr int kMapX = 72, kMapY = 295;       // the pilot, centre of the grid
constexpr double kPixelsPerKm = 70;
constexpr double kWindX = 190, kWindY = 325;  // centre of the wind symbol

// A computed coordinate truncated toward zero (324.9999 is 324). Held far
// beyond any screen, with room left for the marker's half-size, so that no
// value can overflow an int.
int Pixel(double v) {
  constexpr double kFar = 1e9;
  if (std::isnan(v)) return 0;
  return static_cast<int>(std::clamp(v, -kFar, kFar));
}

double FiniteOrZero(double v) { return std::isfinite(v) ? v : 0.0; }

void Line(PaintContext& dc, int x1, int y1, int x2, int y2) {
  dc.MoveTo(x1, y1);
  dc.LineTo(x2, y2);
}

// The wind symbol in its own frame: q along the shaft, positive toward the
// upwind end, p across it; turned by u (radians) onto the screen.
class WindSymbol {
 public:
  WindSymbol(PaintContext& dc, double u) : m_dc(dc), m_cos(std::cos(u)), m_sin(std::sin(u)) {}

  void Line(double p1, double q1, double p2, double q2) {
    m_dc.MoveTo(X(p1, q1), Y(p1, q1));
    m_dc.LineTo(X(p2, q2), Y(p2, q2));
  }
  void Shaft() { Line(0, 30, 0, -30); }
  void Barb(double q, double length) { Line(0, q, length, q); }

 private:
  int X(double p, double q) const { return Pixel((p * m_cos - q * m_sin) + kWindX); }
  int Y(double p, double q) const { return Pixel((kWindY - q * m_cos) - p * m_sin); }

  PaintContext& m_dc;
  double m_cos;
  double m_sin;
};

constexpr double kLongBarb = 25, kShortBarb = 12;

// A traffic symbol's points lie within this many pixels of its centre.
constexpr double kSymbolReach = 8;
// Where a symbol may stand: wholly inside the grid.
constexpr double kMapReach = kMapX - kGridLeft - kSymbolReach;

// The screen point at `bearing` (relative to the heading) and `km` from the
// pilot, where the thermal marker and the traffic stand. sin(180 - b) =
// sin b and cos(180 - b) = -cos b: the point is at the bearing b clockwise
// from straight up.
void MapPoint(double bearing, double km, double& x, double& y) {
  const double t = ((180 - bearing) * g_dPi) * (1.0 / 180);
  x = std::sin(t) * km * kPixelsPerKm + kMapX;
  y = std::cos(t) * km * kPixelsPerKm + kMapY;
}

// One aircraft, heading-up: an arrowhead along its track, or a square.
void DrawTarget(PaintContext& dc, const TrafficTarget& target, double heading) {
  const double north = FiniteOrZero(*target.dNorth), east = FiniteOrZero(*target.dEast);
  const double bearing = RadToDeg(std::atan2(east, north)) - heading;
  double x = 0, y = 0;
  MapPoint(bearing, std::hypot(north, east) / 1000, x, y);
  if (std::fabs(x - kMapX) > kMapReach || std::fabs(y - kMapY) > kMapReach) {
    if (target.nAlarmLevel == 0) return;  // off the map
    MapPoint(bearing, kMapReach / kPixelsPerKm, x, y);  // on its edge, never hidden
  }
  const bool filled = target.nAlarmLevel > 0;
  if (!target.dTrack) {
    const PanelPoint square[] = {{Pixel(x - 3), Pixel(y - 3)}, {Pixel(x + 3), Pixel(y - 3)},
                                 {Pixel(x + 3), Pixel(y + 3)}, {Pixel(x - 3), Pixel(y + 3)}};
    dc.Polygon(square, filled);
    return;
  }
  // The arrowhead in its own frame: q along the track, p across it.
  const double a = DegToRad(FiniteOrZero(*target.dTrack) - heading);
  const auto at = [&](double p, double q) {
    return PanelPoint{Pixel(x + p * std::cos(a) + q * std::sin(a)), Pixel(y + p * std::sin(a) - q * std::cos(a))};
  };
  const PanelPoint arrow[] = {at(0, 7), at(5, -5), at(0, -2), at(-5, -5)};
  dc.Polygon(arrow, filled);
}

// A point on the map before it is truncated to a pixel.
struct MapXY {
  double x, y;
};

// A border point (metres east and north of the pilot) on the heading-up
// map: turned by the heading, as the thermal marker and the traffic are.
MapXY OnMap(Vec v, double cosHeading, double sinHeading) {
  constexpr double kPixelsPerMetre = kPixelsPerKm / 1000;
  return {kMapX + (v.x * cosHeading - v.y * sinHeading) * kPixelsPerMetre,
          kMapY - (v.y * cosHeading + v.x * sinHeading) * kPixelsPerMetre};
}

// Cuts the edge a-b to the grid square (Liang and Barsky's way); false when
// none of it lies on the map.
bool ClipToMap(MapXY& a, MapXY& b) {
  const double dx = b.x - a.x, dy = b.y - a.y;
  const double p[4] = {-dx, dx, -dy, dy};
  const double q[4] = {a.x - kGridLeft, kGridRight - a.x, a.y - kGridTop, kGridBottom - a.y};
  double enter = 0, leave = 1;
  for (int i = 0; i < 4; ++i) {
    if (p[i] == 0) {
      if (q[i] < 0) return false;  // parallel to this side, beyond it
      continue;
    }
    const double t = q[i] / p[i];
    if (p[i] < 0) {
      enter = std::max(enter, t);
    } else {
      leave = std::min(leave, t);
    }
  }
  if (enter > leave) return false;
  const MapXY from = a;
  if (leave < 1) b = {from.x + leave * dx, from.y + leave * dy};
  if (enter > 0) a = {from.x + enter * dx, from.y + enter * dy};
  return true;
}

// The borders as dashed lines on the map, each run of edges that follow one
// another on it as one line, so that the dashes run on around corners.
void DrawBorders(PaintContext& dc, const MapBorders& borders, double heading) {
  const double cosHeading = std::cos(DegToRad(heading)), sinHeading = std::sin(DegToRad(heading));
  std::vector<PanelPoint> line;
  const auto draw = [&] {
    if (line.size() > 1) dc.DashedPolyline(line);
    line.clear();
  };
  const BorderSegment* previous = nullptr;
  bool previousWhole = false;  // the previous edge was drawn to its end, uncut
  for (const BorderSegment& segment : borders) {
    MapXY a = OnMap(segment.from, cosHeading, sinHeading), b = OnMap(segment.to, cosHeading, sinHeading);
    const MapXY end = b;
    const bool follows = previous != nullptr && previousWhole && previous->airspace == segment.airspace &&
                         previous->to.x == segment.from.x && previous->to.y == segment.from.y;
    previous = &segment;
    previousWhole = false;
    if (!ClipToMap(a, b)) {
      draw();
      continue;
    }
    if (!follows) {
      draw();
      line.push_back({Pixel(a.x), Pixel(a.y)});
    }
    line.push_back({Pixel(b.x), Pixel(b.y)});
    previousWhole = b.x == end.x && b.y == end.y;
  }
  draw();
}

}  // namespace

PanelValues ReadPanelValues() {
  PanelValues v;
  v.dThermalDist = g_dThermalDist;
  v.dThermalBearing = g_dThermalBearing;
  v.dClimbPeak = g_dClimbPeak;
  v.dWindDir = g_dWindDir;
  v.dWindSpeed = g_dWindSpeed;
  v.dHeading = g_dHeading;
  return v;
}

void PaintInstrumentPanel(PaintContext& dc, const PanelValues& values, const TrafficPicture& traffic,
                          const MapBorders& borders) {
  const double dist = FiniteOrZero(values.dThermalDist);
  const double bearing = FiniteOrZero(values.dThermalBearing);
  const double climbPeak = FiniteOrZero(values.dClimbPeak);
  const double windDir = FiniteOrZero(values.dWindDir);
  const double w = FiniteOrZero(values.dWindSpeed);
  const double heading = FiniteOrZero(values.dHeading);

  // The shaft's upwind end, relative to the heading, in radians. Not reduced
  // to any range; sin and cos do not need it.
  const double r = -((windDir - 180) - heading);
  const double u = (g_dPi * r) * (1.0 / 180);

  dc.SelectWhitePen();

  // The marker stays on the 1 km circle when the thermal is farther out.
  const double d = dist < 1.0 ? dist : 1.0;
  const int h = climbPeak < 1.0 ? 7 : 15;

  Line(dc, kGridLeft, kGridTop, kGridRight, kGridTop);
  Line(dc, kGridLeft, kMapY, kGridRight, kMapY);
  Line(dc, kGridLeft, kGridBottom, kGridRight, kGridBottom);
  Line(dc, kGridLeft, kGridTop, kGridLeft, kGridBottom);
  Line(dc, kMapX, kGridTop, kMapX, kGridBottom);
  Line(dc, kGridRight, kGridTop, kGridRight, kGridBottom);

  DrawBorders(dc, borders, heading);

  double mx = 0, my = 0;
  MapPoint(bearing, d, mx, my);
  const int cx = Pixel(mx), cy = Pixel(my);
  if (climbPeak > 0) dc.Ellipse(cx - h, cy - h, cx + h, cy + h);

  // A target heard without a direction counts, and is listed, but has no
  // place on the map.
  for (const TrafficTarget& target : traffic.targets) {
    if (target.HasPosition()) DrawTarget(dc, target, heading);
  }

  // Speed classes [m/s]: up to 2.5 one short barb, up to 5 one long barb,
  // below 7.5 a long and a short one, up to 10 two long ones, above three.
  WindSymbol wind(dc, u);
  if (w <= 5) {
    wind.Shaft();
    wind.Barb(30, w > 2.5 ? kLongBarb : kShortBarb);
  }
  if (w > 10) {
    wind.Shaft();
    wind.Barb(30, kLongBarb);
    wind.Barb(20, kLongBarb);
    wind.Barb(10, kLongBarb);
  }
  if (w > 5 && w <= 10) {
    wind.Shaft();
    wind.Barb(30, kLongBarb);
    wind.Barb(20, w < 7.5 ? kShortBarb : kLongBarb);
  }

  dc.RestorePen();
}
