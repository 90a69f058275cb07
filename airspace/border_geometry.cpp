#include "airspace/border_geometry.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

constexpr double kInfinity = std::numeric_limits<double>::infinity();
// Nearer than this to an edge [m] is on it.
constexpr double kOnBorder_m = 1e-3;

struct Rect {
  double minX, maxX, minY, maxY;
};

// A box of the border in the frame. A box more than half round the Earth
// in longitude (an airspace across the 180th meridian) spans every x.
Rect LocalRect(const GeoBox& box, const LocalFrame& frame) {
  const double minY = (static_cast<double>(box.minLat) - frame.Origin().lat) * frame.NorthPerUnit();
  const double maxY = (static_cast<double>(box.maxLat) - frame.Origin().lat) * frame.NorthPerUnit();
  const double span = static_cast<double>(box.maxLon) - box.minLon;
  if (span > 180 * kUnitsPerDegree) return {-kInfinity, kInfinity, minY, maxY};
  const double minX = static_cast<double>(frame.LonUnitsEast(box.minLon)) * frame.EastPerUnit();
  return {minX, minX + span * frame.EastPerUnit(), minY, maxY};
}

double DistanceToRect(const Rect& r, Vec p) {
  const double dx = std::max({r.minX - p.x, 0.0, p.x - r.maxX});
  const double dy = std::max({r.minY - p.y, 0.0, p.y - r.maxY});
  return std::hypot(dx, dy);
}

double Cross(Vec a, Vec b) { return a.x * b.y - a.y * b.x; }
double Dot(Vec a, Vec b) { return a.x * b.x + a.y * b.y; }
Vec Minus(Vec a, Vec b) { return {a.x - b.x, a.y - b.y}; }

double DistanceToSegment(Vec p, Vec a, Vec b) {
  const Vec e = Minus(b, a);
  const double length2 = Dot(e, e);
  const double share = length2 > 0 ? std::clamp(Dot(Minus(p, a), e) / length2, 0.0, 1.0) : 0.0;
  return std::hypot(a.x + share * e.x - p.x, a.y + share * e.y - p.y);
}

// Calls visit(a, b) for each edge of the chunks that `near` accepts.
template <typename Near, typename Visit>
void ForEachEdge(const Airspace& airspace, const LocalFrame& frame, Near near, Visit visit) {
  const std::size_t n = airspace.border.size();
  for (std::size_t k = 0; k < airspace.chunks.size(); ++k) {
    if (!near(LocalRect(airspace.chunks[k], frame))) continue;
    const std::size_t first = k * Airspace::kEdgesPerChunk;
    const std::size_t end = std::min(first + Airspace::kEdgesPerChunk, n);
    Vec a = frame.ToLocal(airspace.border[first]);
    for (std::size_t i = first + 1; i <= end; ++i) {
      const Vec b = frame.ToLocal(airspace.border[i % n]);
      visit(a, b);
      a = b;
    }
  }
}

// The first share s in [0, 1] of the way from q0 to q1 at which the path
// meets the edge a-b.
std::optional<double> MeetEdge(Vec q0, Vec q1, Vec a, Vec b) {
  const Vec d = Minus(q1, q0);
  const Vec e = Minus(b, a);
  const Vec w = Minus(a, q0);
  const double den = Cross(d, e);
  const double scale = std::sqrt(Dot(d, d) * Dot(e, e));
  if (std::fabs(den) > 1e-12 * scale) {
    const double s = Cross(w, e) / den;
    const double u = Cross(w, d) / den;
    constexpr double kSlack = 1e-9;
    if (s < -kSlack || s > 1 + kSlack || u < -kSlack || u > 1 + kSlack) return std::nullopt;
    return std::clamp(s, 0.0, 1.0);
  }
  // Parallel: only a path along the edge's own line meets it.
  const double length2 = Dot(d, d);
  if (length2 == 0 || std::fabs(Cross(w, d)) > kOnBorder_m * std::sqrt(length2)) return std::nullopt;
  const double sa = Dot(w, d) / length2;
  const double sb = Dot(Minus(b, q0), d) / length2;
  const double first = std::max(std::min(sa, sb), 0.0);
  if (first > std::min(std::max(sa, sb), 1.0)) return std::nullopt;
  return first;
}

}  // namespace

bool WithinBorder(const Airspace& airspace, const LocalFrame& frame, Vec p) {
  bool inside = false;
  bool onBorder = false;
  // A ray from p due east crosses the border an odd number of times when p
  // is within it.
  ForEachEdge(
      airspace, frame,
      [&](const Rect& r) { return !onBorder && r.minY <= p.y + kOnBorder_m && r.maxY >= p.y - kOnBorder_m &&
                                  r.maxX >= p.x - kOnBorder_m; },
      [&](Vec a, Vec b) {
        if (DistanceToSegment(p, a, b) <= kOnBorder_m) onBorder = true;
        if ((a.y > p.y) != (b.y > p.y) && p.x < a.x + (p.y - a.y) * (b.x - a.x) / (b.y - a.y)) inside = !inside;
      });
  return inside || onBorder;
}

double DistanceToBorder(const Airspace& airspace, const LocalFrame& frame, double limit_m) {
  double best = limit_m;
  bool found = false;
  ForEachEdge(
      airspace, frame, [&](const Rect& r) { return DistanceToRect(r, {}) <= best; },
      [&](Vec a, Vec b) {
        const double d = DistanceToSegment({}, a, b);
        if (d <= best) {
          best = d;
          found = true;
        }
      });
  return found ? best : kInfinity;
}

std::optional<TimeWindow> VerticalWindow(const Airspace& airspace, const PilotAltitudes& pilot, double climb_ms,
                                         double margin_m, TimeWindow window) {
  // Above the floor: above + climb t >= 0; below the ceiling: below - climb t >= 0.
  const double above = HeightAboveFloor(airspace.floor, pilot) + margin_m;
  const double below = DepthBelowCeiling(airspace.ceiling, pilot) + margin_m;
  if (climb_ms > 0) {
    window.from = std::max(window.from, -above / climb_ms);
    window.to = std::min(window.to, below / climb_ms);
  } else if (climb_ms < 0) {
    window.to = std::min(window.to, above / -climb_ms);
    window.from = std::max(window.from, below / climb_ms);
  } else if (above < 0 || below < 0) {
    return std::nullopt;
  }
  if (window.from > window.to) return std::nullopt;
  return window;
}

std::optional<double> EntryTime(const Airspace& airspace, const LocalFrame& frame, const PilotAltitudes& pilot,
                                Vec velocity, double climb_ms, double horizon_s) {
  const std::optional<TimeWindow> vertical = VerticalWindow(airspace, pilot, climb_ms, 0, {0, horizon_s});
  if (!vertical) return std::nullopt;
  const Vec q0{velocity.x * vertical->from, velocity.y * vertical->from};
  if (WithinBorder(airspace, frame, q0)) return vertical->from;
  const Vec q1{velocity.x * vertical->to, velocity.y * vertical->to};
  const Rect path{std::min(q0.x, q1.x), std::max(q0.x, q1.x), std::min(q0.y, q1.y), std::max(q0.y, q1.y)};
  std::optional<double> first;
  ForEachEdge(
      airspace, frame,
      [&](const Rect& r) { return r.minX <= path.maxX && r.maxX >= path.minX && r.minY <= path.maxY && r.maxY >= path.minY; },
      [&](Vec a, Vec b) {
        const std::optional<double> share = MeetEdge(q0, q1, a, b);
        if (share && (!first || *share < *first)) first = share;
      });
  if (!first) return std::nullopt;
  return vertical->from + *first * (vertical->to - vertical->from);
}
