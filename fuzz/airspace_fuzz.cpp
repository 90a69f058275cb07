// Any bytes as the pilot's airspace file: reading must not crash or hang,
// and what it loads must be airspaces the warnings can rely on: a border
// of at least three distinct points on the Earth, indexed in whole groups,
// its box holding them all; a floor not above a ceiling of the same
// reference; a name in plain letters; a report that counts what it lists.
// Each airspace is then checked from one of its own border points (which
// must count as inside it sideways) and from its box's middle, with the
// warnings' whole path, at several altitudes.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>

#include "airspace/airspace_file.h"
#include "airspace/airspace_texts.h"
#include "airspace/airspace_warnings.h"
#include "airspace/border_geometry.h"

namespace {

// Stops the fuzzer with the broken promise named.
#define Require(holds)                                                      \
  do {                                                                      \
    if (!(holds)) {                                                         \
      std::fprintf(stderr, "airspace_fuzz:%d: broken: %s\n", __LINE__, #holds); \
      std::abort();                                                         \
    }                                                                       \
  } while (false)

bool Plain(const std::string& text) {
  for (const char c : text) {
    if (c < 0x20 || c > 0x7E) return false;
  }
  return true;
}

void CheckAirspace(const Airspace& a) {
  const std::size_t n = a.border.size();
  Require(n >= 3);
  Require(!a.cls.empty() && Plain(a.cls) && Plain(a.type) && Plain(a.name));
  Require(a.chunks.size() == (n + Airspace::kEdgesPerChunk - 1) / Airspace::kEdgesPerChunk);
  for (std::size_t i = 0; i < n; ++i) {
    const GeoPoint p = a.border[i];
    Require(!(p == a.border[(i + 1) % n]));
    Require(std::abs(p.lat) <= 90 * 10'000'000 && std::abs(p.lon) <= 180 * 10'000'000);
    Require(p.lat >= a.box.minLat && p.lat <= a.box.maxLat && p.lon >= a.box.minLon && p.lon <= a.box.maxLon);
  }
  Require(FloorNotAboveCeiling(a.floor, a.ceiling));
  Require(a.floor.reference != AltitudeReference::kUnlimited && a.ceiling.reference != AltitudeReference::kGround);
  Require(std::isfinite(a.floor.metres) && std::isfinite(a.ceiling.metres));
  Require(a.floor.metres >= 0 && a.ceiling.metres >= 0);
  // On its own border point the pilot is inside it sideways.
  Require(WithinBorder(a, LocalFrame(a.border.front()), {}));
}

void CheckFixes(const AirspaceSet& set) {
  AirspaceWarnings warnings(set);
  double t = 0;
  for (std::size_t i = 0; i < set.size() && i < 8; ++i) {
    const Airspace& a = set[i];
    const GeoPoint middle{static_cast<std::int32_t>((static_cast<std::int64_t>(a.box.minLat) + a.box.maxLat) / 2),
                          static_cast<std::int32_t>((static_cast<std::int64_t>(a.box.minLon) + a.box.maxLon) / 2)};
    for (const GeoPoint where : {a.border.front(), middle}) {
      for (const double altitude : {-100.0, 500.0, 3000.0, 20000.0}) {
        const AirspaceFix fix{t, where, 90, 45 * t, -2 + t / 10, PilotAltitudes::From(altitude, altitude - 50, 400)};
        for (const AirspaceEvent& e : warnings.Check(fix)) {
          Require(e.airspace < set.size() && e.seconds >= 0 && e.seconds <= AirspaceWarnings::kHorizon_s);
          Require(!AirspaceEventLine(e, set, "120000").empty());
        }
        if (const auto& nearest = warnings.Nearest()) {
          Require(nearest->airspace < set.size());
          Require(nearest->distance_m >= 0 && nearest->distance_m <= AirspaceWarnings::kNearestRange_m);
        }
        if (const auto urgent = warnings.MostUrgent()) Require(!AirspaceTopLine(*urgent, set, 20).empty());
        AirspaceFieldText(warnings.Nearest(), set);
        t += 1;
      }
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const AirspaceFile file = ReadAirspaceText(std::string_view(reinterpret_cast<const char*>(data), size));
  const AirspaceReadReport& report = file.report;
  Require(report.loaded == file.airspaces.size());
  Require(report.problems.size() == std::min(report.problemCount, AirspaceReadReport::kListedProblems));
  for (const AirspaceProblem& p : report.problems) Require(p.line >= 1 && Plain(p.text));
  for (const Airspace& a : file.airspaces.All()) CheckAirspace(a);
  CheckFixes(file.airspaces);
  Require(!AirspaceReportLines(file, kAirspaceFileName).empty());
  return 0;
}
