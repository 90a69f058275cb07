#include "airspace/airspace_set.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr std::int64_t kLatCells = 1800;  // -90..90 in 0.1 degree
constexpr std::int64_t kLonCells = 3600;  // -180..180

std::int64_t CellOf(double units) { return static_cast<std::int64_t>(std::floor(units / AirspaceSet::kCellUnits)); }

}  // namespace

std::uint32_t AirspaceSet::CellKey(std::int64_t latCell, std::int64_t lonCell) {
  latCell = std::clamp<std::int64_t>(latCell + kLatCells / 2, 0, kLatCells - 1);
  lonCell = ((lonCell + kLonCells / 2) % kLonCells + kLonCells) % kLonCells;
  return static_cast<std::uint32_t>(latCell * kLonCells + lonCell);
}

AirspaceSet::AirspaceSet(std::vector<Airspace> airspaces) : m_airspaces(std::move(airspaces)) {
  for (std::uint32_t i = 0; i < m_airspaces.size(); ++i) {
    const GeoBox& box = m_airspaces[i].box;
    const std::int64_t lat0 = CellOf(box.minLat), lat1 = CellOf(box.maxLat);
    const std::int64_t lon0 = CellOf(box.minLon), lon1 = CellOf(box.maxLon);
    if ((lat1 - lat0 + 1) * (lon1 - lon0 + 1) > static_cast<std::int64_t>(kMostCells)) {
      m_wide.push_back(i);
      continue;
    }
    for (std::int64_t lat = lat0; lat <= lat1; ++lat) {
      for (std::int64_t lon = lon0; lon <= lon1; ++lon) m_cells.emplace_back(CellKey(lat, lon), i);
    }
  }
  std::sort(m_cells.begin(), m_cells.end());
  m_cells.shrink_to_fit();
}

void AirspaceSet::Near(GeoPoint p, double range_m, std::vector<std::uint32_t>& out) const {
  out.clear();
  const LocalFrame frame(p);
  const double latUnits = range_m / frame.NorthPerUnit();
  const double lonUnits = frame.EastPerUnit() > 0 ? range_m / frame.EastPerUnit() : HUGE_VAL;
  const std::int64_t lat0 = CellOf(p.lat - latUnits), lat1 = CellOf(p.lat + latUnits);
  const std::int64_t lonCells = lonUnits >= 180 * kUnitsPerDegree ? kLonCells : CellOf(p.lon + lonUnits) - CellOf(p.lon - lonUnits) + 1;
  const std::int64_t lon0 = lonCells >= kLonCells ? 0 : CellOf(p.lon - lonUnits);
  if ((lat1 - lat0 + 1) * std::min(lonCells, kLonCells) > static_cast<std::int64_t>(kMostCells)) {
    // A range wider than the grid is worth: every airspace.
    for (std::uint32_t i = 0; i < m_airspaces.size(); ++i) out.push_back(i);
    return;
  }
  for (std::int64_t lat = lat0; lat <= lat1; ++lat) {
    for (std::int64_t lon = lon0; lon < lon0 + std::min(lonCells, kLonCells); ++lon) {
      const std::uint32_t key = CellKey(lat, lon);
      auto it = std::lower_bound(m_cells.begin(), m_cells.end(), std::make_pair(key, std::uint32_t{0}));
      for (; it != m_cells.end() && it->first == key; ++it) out.push_back(it->second);
    }
  }
  // The wide ones by their latitudes alone (a box across the 180th
  // meridian spans every longitude).
  for (const std::uint32_t i : m_wide) {
    if (m_airspaces[i].box.minLat <= p.lat + latUnits && m_airspaces[i].box.maxLat >= p.lat - latUnits) out.push_back(i);
  }
  std::sort(out.begin(), out.end());
  out.erase(std::unique(out.begin(), out.end()), out.end());
}

std::vector<BorderSegment> AirspaceSet::BordersNear(GeoPoint centre, double range_m) const {
  std::vector<BorderSegment> segments;
  std::vector<std::uint32_t> near;
  Near(centre, range_m, near);
  const LocalFrame frame(centre);
  const auto outside = [range_m](Vec a, Vec b) {
    return std::max(a.x, b.x) < -range_m || std::min(a.x, b.x) > range_m || std::max(a.y, b.y) < -range_m ||
           std::min(a.y, b.y) > range_m;
  };
  for (const std::uint32_t i : near) {
    const std::vector<GeoPoint>& border = m_airspaces[i].border;
    Vec a = frame.ToLocal(border.back());
    for (const GeoPoint& point : border) {
      const Vec b = frame.ToLocal(point);
      if (!outside(a, b)) segments.push_back({a, b, i});
      a = b;
    }
  }
  return segments;
}
