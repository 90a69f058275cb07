// The airspaces of a file with a spatial index, so that a check at a fix
// looks only at the airspaces near the pilot.
//
// The index is a grid of 0.1 degree cells (about 11 km by 7 km in the
// Alps): each cell lists the airspaces whose bounding box touches it, as
// one sorted array of (cell, airspace) pairs. An airspace wider than
// kMostCells cells (a flight information region) is listed apart and
// always looked at, which costs one box test. The set does not change
// after it is built, so the window's thread may draw from it while the
// acquisition thread checks fixes against it.
#pragma once

#include <cstdint>
#include <utility>
#include <vector>

#include "airspace/airspace.h"
#include "airspace/earth.h"

// One edge of a border, in metres east (x) and north (y) of a point.
struct BorderSegment {
  Vec from;
  Vec to;
  std::uint32_t airspace = 0;  // index in the set
};

class AirspaceSet {
 public:
  static constexpr std::int32_t kCellUnits = 1'000'000;  // 0.1 degree
  static constexpr std::size_t kMostCells = 4096;

  AirspaceSet() = default;
  explicit AirspaceSet(std::vector<Airspace> airspaces);

  std::size_t size() const { return m_airspaces.size(); }
  bool empty() const { return m_airspaces.empty(); }
  const Airspace& operator[](std::size_t i) const { return m_airspaces[i]; }
  const std::vector<Airspace>& All() const { return m_airspaces; }

  // The airspaces whose bounding box comes within `range_m` of `p` (and
  // perhaps a few a little farther), each once, in ascending order, into
  // `out` (emptied first; kept by the caller so a check allocates nothing).
  void Near(GeoPoint p, double range_m, std::vector<std::uint32_t>& out) const;

  // For the map: the edges of every airspace that come within the square
  // of `range_m` around `centre`, in metres east and north of it.
  std::vector<BorderSegment> BordersNear(GeoPoint centre, double range_m) const;

 private:
  static std::uint32_t CellKey(std::int64_t latCell, std::int64_t lonCell);

  std::vector<Airspace> m_airspaces;
  std::vector<std::pair<std::uint32_t, std::uint32_t>> m_cells;  // (cell key, airspace), sorted
  std::vector<std::uint32_t> m_wide;                             // airspaces listed apart
};
