// The airspace borders on the thermal map. The acquisition thread takes
// them around the pilot at a fix (with each repaint it asks for) and hands
// them over whole; the window's thread draws the latest it was handed, so
// it never reads the airspace file itself.
#pragma once

#include <memory>
#include <vector>

#include "airspace/airspace_set.h"

// Edges in metres east and north of the pilot at the fix they were taken.
using MapBorders = std::vector<BorderSegment>;

// How far the map reaches around the pilot [m]: the corners of its 2 km
// square, whichever way it is turned.
inline constexpr double kMapBordersRange_m = 1414.3;

// nullptr hands over "none" (no airspace file, or none near).
void PublishMapBorders(std::shared_ptr<const MapBorders> borders);
// Never nullptr: empty while none were handed over.
std::shared_ptr<const MapBorders> LatestMapBorders();
