#include "display/instrument_panel.h"

#include <cmath>
#include <iterator>
#include <string>

#include <gtest/gtest.h>

#include "tests/display/recording_paint_context.h"

namespace {

// What a paint draws after the pen and the grid, up to the pen's restore.
std::string AfterGrid(const PanelValues& values, const TrafficPicture& traffic = {}, const MapBorders& borders = {}) {
  RecordingPaintContext dc;
  PaintInstrumentPanel(dc, values, traffic, borders);
  const std::string head = "pen M2,225 L142,225 M2,295 L142,295 M2,365 L142,365 "
                           "M2,225 L2,365 M72,225 L72,365 M142,225 L142,365 ";
  EXPECT_TRUE(dc.ops.starts_with(head) && dc.ops.ends_with(" restore ")) << dc.ops;
  return dc.ops.substr(head.size(), dc.ops.size() - head.size() - 8);
}

// The marker stays on the 1 km circle; the wind symbol turns with the heading.
TEST(InstrumentPanel, ThermalMarkerAndWindSymbolCoordinates) {
  // Start of flight, r = 180: g_dPi a hair below pi leaves 189 and 354.
  const std::string calm = "M189,355 L190,295 M189,355 L177,354 ";
  const std::string fromRight = "M220,324 L160,325 M220,324 L220,349 M210,324 L210,336 ";
  const struct { PanelValues values; std::string drawn; } rows[] = {
      {{}, calm},
      {{.dWindDir = 270, .dWindSpeed = 6}, fromRight},
      {{.dWindDir = 360, .dWindSpeed = 6, .dHeading = 90}, fromRight},  // same angle to the heading
      {{.dClimbPeak = 0.5}, "E65,288,79,302 " + calm},  // small below 1 m/s
      {{.dThermalDist = 2.5, .dThermalBearing = 90, .dClimbPeak = 1.0}, "E127,280,157,310 " + calm},
      {{.dThermalDist = 0.5, .dClimbPeak = 2}, "E57,245,87,275 " + calm},
      {{.dThermalDist = 2.5, .dThermalBearing = 90, .dClimbPeak = 0}, calm},  // positive peaks only
  };
  for (const auto& row : rows) EXPECT_EQ(AfterGrid(row.values), row.drawn);
}

// Wind from straight ahead: the shaft upright, barbs to the right from its top down.
TEST(InstrumentPanel, WindSpeedClassesGiveBarbCountAndLength) {
  const std::string shaft = "M190,295 L190,355 ", short1 = "M190,295 L202,295 ",
                    long1 = "M190,295 L215,295 ", short2 = "M190,305 L202,305 ",
                    long2 = "M190,305 L215,305 ";
  const struct { double speed; std::string barbs; } rows[] = {
      {0, short1}, {2.5, short1}, {2.51, long1}, {5, long1}, {5.01, long1 + short2},
      {7.49, long1 + short2}, {7.5, long1 + long2}, {10, long1 + long2},
      {10.01, long1 + long2 + "M190,315 L215,315 "}};
  for (const auto& [speed, barbs] : rows)
    EXPECT_EQ(AfterGrid({.dWindDir = 180, .dWindSpeed = speed}), shaft + barbs) << speed;
}

TEST(InstrumentPanel, NonFiniteValueIsDrawnAsZero) {
  using P = PanelValues;
  for (auto field : {&P::dThermalDist, &P::dThermalBearing, &P::dClimbPeak, &P::dWindDir,
                     &P::dWindSpeed, &P::dHeading})
    for (double fault : {NAN, INFINITY, -INFINITY}) {
      P faulty{0.5, 30, 2, 45, 8, 100}, zero = faulty;
      faulty.*field = fault; zero.*field = 0;
      EXPECT_EQ(AfterGrid(faulty), AfterGrid(zero)) << fault;
    }
  AfterGrid({-1e300, 30, 2, -1.7e308, 8, 1.7e308});  // finite but absurd: no int overflow
}

TrafficPicture OneTarget(std::optional<double> north, std::optional<double> east,
                         std::optional<double> track, int level = 0) {
  TrafficPicture traffic;
  traffic.bDevice = true;
  TrafficTarget& target = traffic.targets.emplace_back();
  target.dNorth = north, target.dEast = east, target.dTrack = track, target.nAlarmLevel = level;
  return traffic;
}

// Each aircraft heading-up as the thermal marker is placed: an arrowhead
// along its track, a square without one, filled while it alarms; never
// outside the map, but an aircraft that alarms is never hidden.
TEST(InstrumentPanel, TrafficSymbols) {
  const std::string calm = "M189,355 L190,295 M189,355 L177,354 ";
  const struct { PanelValues values; TrafficPicture traffic; std::string drawn; } rows[] = {
      // 500 m ahead, flying to the right: the tip 7 pixels right of (72, 260)
      // (a hair above it: g_dPi is a hair below pi).
      {{}, OneTarget(500, 0, 90), "P79,259 67,265 70,260 67,255 o " + calm},
      {{}, OneTarget(500, 0, 90, 2), "P79,259 67,265 70,260 67,255 f " + calm},
      {{}, OneTarget(500, 0, std::nullopt), "P69,257 75,257 75,263 69,263 o " + calm},  // stealth
      // Heading east: an aircraft to the north is on the left, flying up the screen.
      {{.dHeading = 90}, OneTarget(500, 0, 90), "P37,287 42,299 37,296 32,299 o M220,325 L160,324 M220,325 L219,337 "},
      {{}, OneTarget(850, std::nullopt, 90, 3), calm},      // a distance alone: no place on the map
      {{}, OneTarget(900, 900, 90), calm},                  // past the map's corner
      {{}, OneTarget(-50000, 0, 0), calm},                  // 50 km behind
      {{}, OneTarget(-50000, 0, 0, 1), "P71,350 76,362 71,359 66,362 f " + calm},  // alarms: at the edge
  };
  for (const auto& row : rows) EXPECT_EQ(AfterGrid(row.values, row.traffic), row.drawn);
}

// A border as the airspace set hands it over: the edges of a ring of
// points (metres east, north of the pilot), from the last point round.
MapBorders Ring(std::initializer_list<Vec> points, std::uint32_t airspace = 0) {
  MapBorders edges;
  Vec from = *std::prev(points.end());
  for (const Vec& to : points) edges.push_back({from, to, airspace}), from = to;
  return edges;
}

// Airspace borders heading-up, as the thermal marker is placed, dashed, one
// line for each run of edges that follow one another on the map; cut off
// at the map's edge, never drawn past it.
TEST(InstrumentPanel, AirspaceBordersTurnWithTheHeadingAndStayOnTheMap) {
  const std::string calm = "M189,355 L190,295 M189,355 L177,354 ";
  const std::string east = "M220,325 L160,324 M220,325 L219,337 ";  // the calm wind, heading east
  // 510 m ahead and 310 m to each side 210 m behind: 35.7 and 21.7, 14.7 pixels.
  const MapBorders triangle = Ring({{0, 510}, {310, -210}, {-310, -210}});
  // A square of 410 m each way, from (43, 266) to (100, 323), and beside it
  // an airspace sharing its east edge, reaching out past the map.
  MapBorders twoAirspaces = Ring({{-410, 410}, {410, 410}, {410, -410}, {-410, -410}}, 0);
  for (const BorderSegment& edge : Ring({{410, -410}, {410, 410}, {1500, 0}}, 1)) twoAirspaces.push_back(edge);
  const struct { double heading; MapBorders borders; std::string drawn; } rows[] = {
      {0, triangle, "D50,309 72,259 93,309 50,309 ; " + calm},
      // Heading east: what lies north is on the left, what lies east ahead.
      {90, triangle, "D86,316 36,294 86,273 86,316 ; " + east},
      // An edge across the whole map, 300 m north, and one that leaves it
      // and comes back: each cut at the grid.
      {0, {{{-5000, 300}, {5000, 300}, 0}}, "D2,274 142,274 ; " + calm},
      {0, {{{0, 0}, {0, 3000}, 0}, {{0, 3000}, {500, 0}, 0}}, "D72,295 72,225 ; D95,225 107,295 ; " + calm},
      {0, {{{2000, 2000}, {2000, -2000}, 0}}, calm},  // beside the map
      // Two airspaces sharing an edge are two lines.
      {0, twoAirspaces, "D43,323 43,266 100,266 100,323 43,323 ; D142,308 100,323 100,266 142,281 ; " + calm},
  };
  for (const auto& row : rows) EXPECT_EQ(AfterGrid({.dHeading = row.heading}, {}, row.borders), row.drawn);
}

}  // namespace
