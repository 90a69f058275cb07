#include "airspace/airspace.h"

#include <algorithm>
#include <array>

namespace {

bool IsSpecialUse(std::string_view code) { return code == "R" || code == "Q" || code == "P"; }

}  // namespace

void GeoBox::Add(GeoPoint p) {
  minLat = std::min(minLat, p.lat);
  maxLat = std::max(maxLat, p.lat);
  minLon = std::min(minLon, p.lon);
  maxLon = std::max(maxLon, p.lon);
}

std::string_view Airspace::ShownClass() const { return IsSpecialUse(type) ? std::string_view(type) : cls; }

bool Airspace::Warns() const {
  static constexpr std::array<std::string_view, 6> kWarningClasses = {"A", "B", "C", "D", "CTR", "GP"};
  return IsSpecialUse(type) || IsSpecialUse(cls) ||
         std::find(kWarningClasses.begin(), kWarningClasses.end(), cls) != kWarningClasses.end();
}

void Airspace::IndexBorder() {
  chunks.clear();
  if (border.empty()) return;
  box = GeoBox::Around(border.front());
  for (std::size_t first = 0; first < border.size(); first += kEdgesPerChunk) {
    const std::size_t end = std::min(first + kEdgesPerChunk, border.size());
    GeoBox chunk = GeoBox::Around(border[first]);
    for (std::size_t i = first + 1; i <= end; ++i) chunk.Add(border[i % border.size()]);
    box.Add(GeoPoint{chunk.minLat, chunk.minLon});
    box.Add(GeoPoint{chunk.maxLat, chunk.maxLon});
    chunks.push_back(chunk);
  }
}
