#include "display/map_borders.h"

#include <mutex>

namespace {
std::mutex g_bordersMutex;
std::shared_ptr<const MapBorders> g_borders;
}  // namespace

void PublishMapBorders(std::shared_ptr<const MapBorders> borders) {
  std::lock_guard<std::mutex> lock(g_bordersMutex);
  g_borders = std::move(borders);
}

std::shared_ptr<const MapBorders> LatestMapBorders() {
  static const auto kNone = std::make_shared<const MapBorders>();
  std::lock_guard<std::mutex> lock(g_bordersMutex);
  return g_borders ? g_borders : kNone;
}
