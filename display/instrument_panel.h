// The painted panel below the three text lines, drawn heading-up (straight
// up on the screen is where the aircraft heads):
//
//   - on the left a thermal map: a 2 x 2 grid of 70-pixel cells centred on
//     the pilot at (72, 295), 70 pixels per km, with a filled disc at the
//     predicted thermal (never drawn farther than 1 km out), small while the
//     thermal's best climb is below 1 m/s, large from 1 m/s on;
//   - on the same map the traffic of a collision-warning device, each
//     aircraft at its position: an arrowhead along its track, or a small
//     square when its track is unknown, filled while it alarms; only what
//     lies on the map is drawn, except that an aircraft that alarms from
//     farther out is drawn at the map's edge, in its direction;
//   - on the same map the borders of the pilot's airspace, dashed, cut
//     off at the map's edge;
//   - on the right a wind symbol centred at (190, 325): a 60-pixel shaft
//     whose upwind end points where the wind comes from, with one to three
//     barbs for the speed class.
//
// White 2-pixel lines on the window's black background, no text. The
// coordinates are the handheld screen's pixels and do not follow the window
// size. The window calls this from its paint handler.
#pragma once

#include <span>

#include "base/traffic.h"
#include "display/map_borders.h"

struct PanelPoint {
  int x = 0, y = 0;
};

// The drawing operations the panel needs, on the window's paint context.
class PaintContext {
 public:
  virtual ~PaintContext() = default;

  // Selects a new solid white (RGB 255,255,255) pen, 2 pixels wide,
  // remembering the pen that was selected before.
  virtual void SelectWhitePen() = 0;
  // Selects the remembered pen again and deletes the white one.
  virtual void RestorePen() = 0;
  // Moves the current position.
  virtual void MoveTo(int x, int y) = 0;
  // Draws from the current position to (x, y), which becomes the current one.
  virtual void LineTo(int x, int y) = 0;
  // An ellipse in the rectangle, outlined with the current pen and filled
  // with the context's default brush (white on this window).
  virtual void Ellipse(int left, int top, int right, int bottom) = 0;
  // A closed polygon through the points, outlined with the current pen,
  // and filled with the default brush when `filled`.
  virtual void Polygon(std::span<const PanelPoint> points, bool filled) = 0;
  // An open line through the points, dashed, as wide and white as the
  // current pen, which stays selected; the current position is left as it is.
  virtual void DashedPolyline(std::span<const PanelPoint> points) = 0;
};

// The flight values one paint draws from.
struct PanelValues {
  double dThermalDist = 0;     // to the predicted thermal [km]
  double dThermalBearing = 0;  // to the thermal, relative to the heading [deg]
  double dClimbPeak = 0;       // best climb of the thermal [m/s], -1 expired
  double dWindDir = 0;         // toward which the wind moves [deg]
  double dWindSpeed = 0;       // [m/s]
  double dHeading = 0;         // through the air [deg]

  bool operator==(const PanelValues&) const = default;
};

// Reads the flight values once, so that a paint uses one wind speed for all
// its tests and one heading for all its angles while the acquisition thread
// goes on writing them.
PanelValues ReadPanelValues();

// Draws the whole panel, with the airspace borders and the traffic on the
// map (display/map_borders.h: LatestMapBorders(), base/traffic.h:
// LatestTraffic() on the window's thread). A value that is not a finite
// number (which the flight computations never produce) is drawn as 0 for
// this paint.
void PaintInstrumentPanel(PaintContext& dc, const PanelValues& values, const TrafficPicture& traffic = {},
                          const MapBorders& borders = {});
