#include "bench/openair_generator.h"

#include <array>
#include <cmath>
#include <cstdio>
#include <random>
#include <string>

namespace {

constexpr double kPi = 3.14159265358979;
constexpr double kMetresPerDegree = 111195;

struct Writer {
  std::FILE* file;
  GeneratedAirspace counts;

  void Line(const std::string& text) {
    std::fputs(text.c_str(), file);
    std::fputc('\n', file);
    counts.bytes += text.size() + 1;
  }
};

// "47:12:30 N" or, for one airspace in four, "47:12.500N".
std::string Coordinate(double degrees, bool latitude, bool decimalMinutes) {
  const char hemisphere = latitude ? (degrees < 0 ? 'S' : 'N') : (degrees < 0 ? 'W' : 'E');
  const char* format = decimalMinutes ? (latitude ? "%02ld:%02ld.%03ld%c" : "%03ld:%02ld.%03ld%c")
                                      : (latitude ? "%02ld:%02ld:%02ld %c" : "%03ld:%02ld:%02ld %c");
  // In thousandths of a minute, or in seconds.
  const long per = decimalMinutes ? 1000 : 60;
  const long units = std::lround(std::fabs(degrees) * 60 * per);
  char text[32];
  std::snprintf(text, sizeof text, format, units / (60 * per), units / per % 60, units % per, hemisphere);
  return text;
}

std::string Position(double lat, double lon, bool decimalMinutes) {
  return Coordinate(lat, true, decimalMinutes) + " " + Coordinate(lon, false, decimalMinutes);
}

struct Kind {
  const char* cls;
  const char* type;
  const char* name;
};

constexpr std::array<Kind, 12> kKinds = {{{"D", "CTR", "CTR Z\xC3\xBCrich"},
                                          {"C", "TMA", "TMA M\xC3\xBCnchen"},
                                          {"R", "R", "ED-R 137 Gen\xC3\xA8ve"},
                                          {"Q", "Q", "LF-D 54 B"},
                                          {"E", "", "E Bodensee"},
                                          {"G", "", "G Jura"},
                                          {"CTR", "", "CTR Bern"},
                                          {"P", "P", "LS-P 9"},
                                          {"W", "", "Wave Alpen"},
                                          {"RMZ", "", "RMZ Saarbr\xC3\xBC" "cken"},
                                          {"UNC", "TMZ", "TMZ Hahn"},
                                          {"A", "", "A Paris"}}};

constexpr std::array<const char*, 6> kFloors = {"GND", "SFC", "FL65", "2500ft MSL", "1000ft AGL", "1000m AMSL"};
// Each floor with a ceiling above it: floors and ceilings taken in step.
constexpr std::array<const char*, 6> kCeilings = {"FL100", "FL195", "4500ft MSL", "UNL", "3000m AMSL", "6500ft STD"};

}  // namespace

GeneratedAirspace WriteOpenAirFile(const std::filesystem::path& path, std::size_t airspaces, unsigned seed) {
  Writer out{std::fopen(path.c_str(), "w"), {}};
  if (!out.file) return {};
  std::mt19937 random(seed);
  std::uniform_real_distribution<double> unit(0, 1);
  out.Line("* Airspace of a large region, generated for the benchmarks");
  for (std::size_t i = 0; i < airspaces; ++i) {
    const Kind& kind = kKinds[i % kKinds.size()];
    const double lat = 43 + 10 * unit(random);
    const double lon = 0 + 16 * unit(random);
    const double radius_m = 2000 + 23000 * unit(random);
    const double east = kMetresPerDegree * std::cos(lat * kPi / 180);
    const bool decimal = i % 4 == 3;
    out.Line("AC " + std::string(kind.cls));
    if (*kind.type) out.Line("AY " + std::string(kind.type));
    out.Line("AN " + std::string(kind.name) + " " + std::to_string(i));
    out.Line("AL " + std::string(kFloors[i % kFloors.size()]));
    out.Line("AH " + std::string(kCeilings[(i + (i / 7) % 2 * 3) % kCeilings.size()]));
    const std::size_t shape = i % 20;
    if (shape < 2) {
      // A circle.
      out.Line("V X=" + Position(lat, lon, decimal));
      char radius[16];
      std::snprintf(radius, sizeof radius, "%.2f", radius_m / 1852 / 2);
      out.Line(std::string("DC ") + radius);
      continue;
    }
    // A polygon with a wobbly border, clockwise; one in seven closed by
    // arcs, one of those anticlockwise (the west half drawn first).
    const int points = 20 + static_cast<int>(440 * unit(random));
    const double phase = 2 * kPi * unit(random);
    const bool arcs = shape < 5;
    const bool anticlockwise = shape == 2;
    const int drawn = arcs ? points / 2 : points;
    for (int k = 0; k < drawn; ++k) {
      const double bearing = (arcs ? kPi : 2 * kPi) * k / drawn * (anticlockwise ? -1 : 1);
      const double r = radius_m * (1 + 0.25 * std::sin(5 * bearing + phase) + 0.05 * unit(random));
      out.Line("DP " + Position(lat + r * std::cos(bearing) / kMetresPerDegree, lon + r * std::sin(bearing) / east, decimal));
      ++out.counts.pointLines;
    }
    if (arcs) {
      // From the south round the other half, by bearings, then between points to the north.
      const double r = radius_m * 0.8;
      out.Line("V X=" + Position(lat, lon, decimal));
      if (anticlockwise) out.Line("V D=-");
      char arc[64];
      std::snprintf(arc, sizeof arc, "DA %.2f, 180, %d", r / 1852, anticlockwise ? 90 : 270);
      out.Line(arc);
      const double side = anticlockwise ? r / east : -r / east;
      out.Line("DB " + Position(lat, lon + side, decimal) + ", " + Position(lat + r / kMetresPerDegree, lon, decimal));
    }
  }
  out.counts.airspaces = airspaces;
  std::fclose(out.file);
  return out.counts;
}
