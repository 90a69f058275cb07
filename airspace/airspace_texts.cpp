#include "airspace/airspace_texts.h"

#include "base/text_format.h"

namespace {

std::string ClassAndName(const Airspace& airspace) {
  std::string text(airspace.ShownClass());
  if (!airspace.name.empty()) text += " " + airspace.name;
  return text;
}

}  // namespace

std::string AirspaceTopLine(const AirspaceWarning& warning, const AirspaceSet& airspaces, std::size_t width) {
  const Airspace& airspace = airspaces[warning.airspace];
  const std::string cls(airspace.ShownClass());
  const std::string when = warning.inside ? "in" : std::to_string(warning.seconds) + "s";
  const std::size_t fixed = cls.size() + 1 + when.size();
  if (airspace.name.empty() || width < fixed + 2) return cls + " " + when;
  std::string name = airspace.name.substr(0, width - fixed - 1);
  while (!name.empty() && name.back() == ' ') name.pop_back();
  return cls + " " + name + " " + when;
}

std::string AirspaceFieldText(const std::optional<NearestAirspace>& nearest, const AirspaceSet& airspaces) {
  if (!nearest) return "As --";
  const std::string cls(airspaces[nearest->airspace].ShownClass());
  if (nearest->inside) return "As " + cls + " in";
  return "As " + cls + " " + FormatFixed(nearest->distance_m / 1000, 0, 1);
}

std::string AirspaceEventLine(const AirspaceEvent& event, const AirspaceSet& airspaces, std::string_view hhmmss) {
  std::string time(hhmmss);
  if (hhmmss.size() == 6) {
    time = std::string(hhmmss.substr(0, 2)) + ":" + std::string(hhmmss.substr(2, 2)) + ":" + std::string(hhmmss.substr(4, 2));
  }
  std::string what;
  switch (event.kind) {
    case AirspaceEventKind::kAhead: what = "ahead " + std::to_string(event.seconds) + "s"; break;
    case AirspaceEventKind::kInside: what = "inside"; break;
    case AirspaceEventKind::kClear: what = "clear"; break;
  }
  return time + " airspace " + what + ": " + ClassAndName(airspaces[event.airspace]);
}
