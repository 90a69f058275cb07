// One airspace as the instrument keeps it: what it is called, its class,
// its floor and ceiling, and its border as a closed ring of points (arcs
// and circles already laid out as points, see arc.h).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "airspace/altitude.h"
#include "airspace/earth.h"

// A latitude-longitude rectangle [1e-7 deg], borders included.
struct GeoBox {
  std::int32_t minLat = 0;
  std::int32_t maxLat = 0;
  std::int32_t minLon = 0;
  std::int32_t maxLon = 0;

  static GeoBox Around(GeoPoint p) { return {p.lat, p.lat, p.lon, p.lon}; }
  void Add(GeoPoint p);
};

struct Airspace {
  // The border's edges are grouped this many at a time, each group with its
  // bounding box, so that a check touches only the edges near the pilot.
  static constexpr std::size_t kEdgesPerChunk = 32;

  std::string cls;    // the AC class as written, in capitals: "A".."G", "CTR", "GP", "R", ...
  std::string type;   // the AY type in capitals, empty without one
  std::string name;   // in plain letters
  AltitudeLimit floor;
  AltitudeLimit ceiling;
  bool active = true;  // false for "AA NONE": drawn, never warned of
  long line = 0;       // line of its AC record in the file

  std::vector<GeoPoint> border;  // at least three points; the last joins the first
  std::vector<GeoBox> chunks;    // box of edges [k * kEdgesPerChunk, (k + 1) * kEdgesPerChunk)
  GeoBox box;

  // The class the pilot is shown: R, Q or P when the type says so, else
  // the class as written.
  std::string_view ShownClass() const;
  // Whether the instrument warns of it: classes A to D, CTR and GP, and any
  // restricted (R), danger (Q) or prohibited (P) area by class or type.
  // Classes E, F, G, W, TMZ, RMZ and UNC are only drawn.
  bool Warns() const;

  // Fills `chunks` and `box` from `border`.
  void IndexBorder();
};
