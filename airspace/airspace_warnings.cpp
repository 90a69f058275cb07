#include "airspace/airspace_warnings.h"

#include <algorithm>
#include <cmath>
#include <tuple>

#include "airspace/border_geometry.h"
#include "base/angles.h"

namespace {

// Beyond these the fix's values are not a glider's: taken as none.
constexpr double kFastest_kmh = 1000;
constexpr double kSteepest_ms = 100;

double Believable(double value, double most) { return std::isfinite(value) && std::fabs(value) <= most ? value : 0; }

}  // namespace

const std::vector<AirspaceEvent>& AirspaceWarnings::Check(const AirspaceFix& fix) {
  m_events.clear();
  m_conditions.clear();
  m_nearest.reset();
  m_now = fix.time_s;
  const double speed_ms = std::max(0.0, Believable(fix.groundSpeed_kmh, kFastest_kmh)) / 3.6;
  const double track = DegToRad(Believable(fix.track_deg, 1e6));
  m_velocity = {speed_ms * std::sin(track), speed_ms * std::cos(track)};
  m_climb_ms = Believable(fix.climb_ms, kSteepest_ms);

  const LocalFrame frame(fix.position);
  m_airspaces.Near(fix.position, std::max(kNearestRange_m, speed_ms * kHorizon_s + kSideMargin_m), m_near);
  for (const std::uint32_t i : m_near) Assess(i, fix, frame);
  for (const Condition& condition : m_conditions) Follow(condition);

  Age();
  std::erase_if(m_silences, [this](const Silence& s) { return s.until <= m_now; });
  return m_events;
}

void AirspaceWarnings::Assess(std::uint32_t i, const AirspaceFix& fix, const LocalFrame& frame) {
  const Airspace& airspace = m_airspaces[i];
  if (!airspace.active || !airspace.Warns()) return;
  const PilotAltitudes& altitudes = fix.altitudes;
  const bool levelNear = VerticalWindow(airspace, altitudes, 0, kVerticalMargin_m, {}).has_value();
  const bool levelIn = levelNear && VerticalWindow(airspace, altitudes, 0, 0, {}).has_value();
  const bool within = WithinBorder(airspace, frame, {});
  const double distance = within ? 0 : DistanceToBorder(airspace, frame, kNearestRange_m);
  const bool inside = within && levelIn;

  if (levelNear && distance <= kNearestRange_m) {
    const NearestAirspace candidate{i, inside, distance};
    if (!m_nearest || (inside && !m_nearest->inside) ||
        (inside == m_nearest->inside && distance < m_nearest->distance_m)) {
      m_nearest = candidate;
    }
  }
  if (inside) {
    m_conditions.push_back({i, true, 0});
  } else if (levelNear && distance <= kSideMargin_m) {
    m_conditions.push_back({i, false, 0});
  } else if (const std::optional<double> entry =
                 EntryTime(airspace, frame, altitudes, m_velocity, m_climb_ms, kHorizon_s)) {
    m_conditions.push_back({i, false, static_cast<int>(std::floor(*entry))});
  }
}

void AirspaceWarnings::Follow(const Condition& condition) {
  auto it = std::find_if(m_warnings.begin(), m_warnings.end(),
                         [&](const Warning& w) { return w.airspace == condition.airspace; });
  const bool starts = it == m_warnings.end();
  if (starts) it = m_warnings.insert(it, Warning{condition.airspace});
  Warning& w = *it;
  if (condition.inside && !w.entered) {
    w.entered = true;
    // Entering ends the silence: the pilot must know he is in.
    std::erase_if(m_silences, [&](const Silence& s) { return s.airspace == w.airspace; });
    m_events.push_back({AirspaceEventKind::kInside, w.airspace, 0, false});
  } else if (starts) {
    m_events.push_back({AirspaceEventKind::kAhead, w.airspace, condition.seconds, Silenced(w.airspace)});
  }
  w.held = false;
  w.inside = condition.inside;
  w.seconds = condition.seconds;
  if (condition.inside) w.outside = false;
}

void AirspaceWarnings::Age() {
  for (std::size_t k = 0; k < m_warnings.size();) {
    Warning& w = m_warnings[k];
    const bool holds = std::any_of(m_conditions.begin(), m_conditions.end(),
                                   [&](const Condition& c) { return c.airspace == w.airspace; });
    if (!holds && (!w.held || w.falseSince > m_now)) {
      w.held = true;
      w.falseSince = m_now;
      w.inside = false;
    }
    if (w.entered && !w.inside) {
      if (!w.outside || w.outsideSince > m_now) {
        w.outside = true;
        w.outsideSince = m_now;
      }
      if (m_now - w.outsideSince >= kHold_s) w.entered = false;
    }
    if (!holds && m_now - w.falseSince >= kHold_s) {
      m_events.push_back({AirspaceEventKind::kClear, w.airspace, 0, Silenced(w.airspace)});
      m_warnings.erase(m_warnings.begin() + static_cast<std::ptrdiff_t>(k));
    } else {
      ++k;
    }
  }
}

bool AirspaceWarnings::Silenced(std::uint32_t airspace) const {
  return std::any_of(m_silences.begin(), m_silences.end(),
                     [&](const Silence& s) { return s.airspace == airspace && s.until > m_now; });
}

std::optional<AirspaceWarning> AirspaceWarnings::MostUrgent() const {
  const Warning* best = nullptr;
  const auto rank = [](const Warning& w) { return std::make_tuple(w.held, !w.inside, w.seconds); };
  for (const Warning& w : m_warnings) {
    if (Silenced(w.airspace)) continue;
    if (!best || rank(w) < rank(*best)) best = &w;
  }
  if (!best) return std::nullopt;
  return AirspaceWarning{best->airspace, best->inside, best->seconds};
}

void AirspaceWarnings::Acknowledge(double time_s) {
  const std::optional<AirspaceWarning> shown = MostUrgent();
  if (!shown) return;
  m_silences.push_back({shown->airspace, time_s + kSilence_s});
}
