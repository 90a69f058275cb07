// A large airspace file shaped like a real national one, for the airspace
// benchmarks: polygons of 20 to 420 points (most of the file), circles, and
// sectors of arcs by bearings and between points, over Central Europe
// (43 to 53 N, 0 to 16 E) in overlapping layers; the classes, types,
// limits and coordinate spellings that real files mix, names with accents.
// The same seed gives the same file.
#pragma once

#include <cstddef>
#include <filesystem>

struct GeneratedAirspace {
  std::size_t airspaces = 0;
  std::size_t pointLines = 0;  // DP lines
  std::size_t bytes = 0;
};

GeneratedAirspace WriteOpenAirFile(const std::filesystem::path& path, std::size_t airspaces, unsigned seed);
