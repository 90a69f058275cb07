#include "flight/airspace_watch.h"

#include "airspace/airspace_texts.h"
#include "base/flight_values.h"
#include "device/sensors.h"

void AirspaceWatch::Offer(std::shared_ptr<const AirspaceSet> airspaces) {
  {
    std::lock_guard<std::mutex> lock(m_offerMutex);
    m_offered = std::move(airspaces);
  }
  m_bOffered = true;
}

bool AirspaceWatch::Watching() {
  // A plain look first: an exchange at every fix costs more than the look.
  if (m_bOffered.load(std::memory_order_relaxed) && m_bOffered.exchange(false)) {
    std::lock_guard<std::mutex> lock(m_offerMutex);
    m_warnings.reset();
    m_airspaces = std::move(m_offered);
    if (m_airspaces && !m_airspaces->empty()) m_warnings.emplace(*m_airspaces);
  }
  return m_warnings.has_value();
}

const std::vector<AirspaceEvent>& AirspaceWatch::Check(const AcquisitionState& state, int elapsed_s,
                                                       bool haveGpsAltitude) {
  if (!m_warnings || !haveGpsAltitude) return m_none;
  if (!m_takeoffGps) m_takeoffGps = state.dAltGps;
  AirspaceFix fix;
  fix.time_s = elapsed_s;
  fix.position = ToGeoPoint(state.dLat, state.dLon);
  fix.groundSpeed_kmh = state.dSpeed;
  fix.track_deg = state.dCourse;
  fix.climb_ms = g_dVario;   // as the pilot reads it at this fix
  const std::optional<double> pressure = g_bBaroOpen ? std::optional<double>(state.dAltBaro) : std::nullopt;
  fix.altitudes = PilotAltitudes::From(state.dAltGps, pressure, *m_takeoffGps);
  m_lastCheck_s = elapsed_s;
  return m_warnings->Check(fix);
}

AirspaceTexts AirspaceWatch::Texts(std::size_t topLineCharacters) const {
  AirspaceTexts texts;
  if (!m_warnings) return texts;
  texts.strEntry = AirspaceFieldText(m_warnings->Nearest(), *m_airspaces);
  if (const std::optional<AirspaceWarning> warning = m_warnings->MostUrgent()) {
    texts.strWarning = AirspaceTopLine(*warning, *m_airspaces, topLineCharacters);
  }
  return texts;
}

std::string AirspaceWatch::EventLine(const AirspaceEvent& event, const std::string& hhmmss) const {
  return AirspaceEventLine(event, *m_airspaces, hhmmss);
}

bool AirspaceWatch::Acknowledge() {
  if (!m_warnings || !m_warnings->MostUrgent()) return false;
  m_warnings->Acknowledge(m_lastCheck_s);
  return true;
}

std::shared_ptr<const MapBorders> AirspaceWatch::BordersAround(const AcquisitionState& state) const {
  if (!m_airspaces) return nullptr;
  return std::make_shared<const MapBorders>(
      m_airspaces->BordersNear(ToGeoPoint(state.dLat, state.dLon), kMapBordersRange_m));
}
