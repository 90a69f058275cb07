// The pilot's airspace in flight. Its file is loaded on another thread,
// which hands the airspaces over with Offer; from the next fix on, each
// accepted fix is checked against them, and the loop gets back the events,
// the texts to show and the borders for the map. Without an airspace it
// costs one test a fix and changes nothing.
//
// The limits are judged (airspace/altitude.h) by the barometer's pressure
// altitude while one is open (a barometer found in flight counts from its
// first reading), by the GPS altitude of the GGA sentences, and, for those
// above ground, by the height above the take-off point: the GPS altitude
// of the first fix checked. No fix is checked before the receiver has sent
// an altitude (a fix's RMC comes before its GGA), so that no limit is
// judged by an altitude of 0.
#pragma once

#include <atomic>
#include <cstddef>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "airspace/airspace_set.h"
#include "airspace/airspace_warnings.h"
#include "base/acquisition_state.h"
#include "display/display_texts.h"
#include "display/map_borders.h"

class AirspaceWatch {
 public:
  // The airspaces to check from the next fix on. Safe from any thread.
  void Offer(std::shared_ptr<const AirspaceSet> airspaces);

  // The rest runs on the loop's thread.
  // Takes what was offered; true while there are airspaces to check.
  bool Watching();
  // Checks an accepted fix, `elapsed_s` seconds after the time base, when
  // the receiver has sent an altitude. The events are valid until the next
  // call.
  const std::vector<AirspaceEvent>& Check(const AcquisitionState& state, int elapsed_s, bool haveGpsAltitude);
  // The "Airspace" entry and the top line's warning in at most
  // `topLineCharacters`, as of the last check.
  AirspaceTexts Texts(std::size_t topLineCharacters) const;
  // flight-replay's line for an event at the fix's time hhmmss.
  std::string EventLine(const AirspaceEvent& event, const std::string& hhmmss) const;
  // The pilot tapped the warning on the top line: it is silenced for five
  // minutes unless he enters its airspace. False when there was none.
  bool Acknowledge();
  // The borders within the map's reach of the pilot's position.
  std::shared_ptr<const MapBorders> BordersAround(const AcquisitionState& state) const;

 private:
  std::atomic<bool> m_bOffered{false};
  std::mutex m_offerMutex;
  std::shared_ptr<const AirspaceSet> m_offered;

  std::shared_ptr<const AirspaceSet> m_airspaces;
  std::optional<AirspaceWarnings> m_warnings;
  std::optional<double> m_takeoffGps;   // [m]
  double m_lastCheck_s = 0;
  const std::vector<AirspaceEvent> m_none{};   // the events of a fix not judged
};
