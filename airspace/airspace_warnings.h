// Airspace warnings, checked at every accepted fix. Plain logic: the fix's
// time and values come in, events and texts go out; no clock, no I/O.
//
// Warned of are the active airspaces that warn (Airspace::Warns):
//   inside  the pilot is within the border and between floor and ceiling;
//   ahead   flying straight on at his ground speed and track and climbing
//           at the shown vertical speed, he would be inside within 30 s; or
//           he is already within 200 m of the border sideways and within
//           100 m of the floor or the ceiling (ahead 0 s).
// A warning starts ("ahead", or "inside" when it starts inside), says
// "inside" once on entry, and ends ("clear") only when its condition has
// been false at every fix for 10 s, so a pilot flying along a border within
// the margin gets one warning, not one a second. Having entered, he is
// told of a new entry only after 10 s outside, for the same reason.
//
// Tapping the warning (Acknowledge) silences that airspace for five
// minutes unless the pilot enters it: the warning leaves the top line and
// its events are marked silenced (no sound); the events are still given.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "airspace/airspace_set.h"
#include "airspace/altitude.h"
#include "airspace/earth.h"

struct AirspaceFix {
  double time_s = 0;          // on a clock that runs on across midnight, e.g. since the time base
  GeoPoint position;
  double groundSpeed_kmh = 0;
  double track_deg = 0;       // course over ground
  double climb_ms = 0;        // the shown vertical speed
  PilotAltitudes altitudes;
};

enum class AirspaceEventKind { kAhead, kInside, kClear };

struct AirspaceEvent {
  AirspaceEventKind kind = AirspaceEventKind::kAhead;
  std::uint32_t airspace = 0;  // index in the set
  int seconds = 0;             // to entry, whole seconds rounded down (ahead)
  bool silenced = false;       // acknowledged: shown nowhere, no sound

  bool operator==(const AirspaceEvent&) const = default;
};

// A warning as the top line shows it.
struct AirspaceWarning {
  std::uint32_t airspace = 0;
  bool inside = false;
  int seconds = 0;  // to entry, when not inside

  bool operator==(const AirspaceWarning&) const = default;
};

// For the "Airspace" entry: the nearest airspace that warns whose floor
// and ceiling, widened by 100 m, hold the pilot's altitude.
struct NearestAirspace {
  std::uint32_t airspace = 0;
  bool inside = false;
  double distance_m = 0;  // to its border; 0 inside it, or within it sideways but just above or below

  bool operator==(const NearestAirspace&) const = default;
};

class AirspaceWarnings {
 public:
  static constexpr double kHorizon_s = 30;
  static constexpr double kSideMargin_m = 200;
  static constexpr double kVerticalMargin_m = 100;
  static constexpr double kHold_s = 10;
  static constexpr double kSilence_s = 300;
  static constexpr double kNearestRange_m = 10'000;

  // The set must outlive the warnings.
  explicit AirspaceWarnings(const AirspaceSet& airspaces) : m_airspaces(airspaces) {}

  // Checks one accepted fix; the events it caused, in the order of the
  // airspaces in the file, clears last. Valid until the next call.
  const std::vector<AirspaceEvent>& Check(const AirspaceFix& fix);

  // The most urgent warning that is not silenced: inside first, then the
  // soonest entry, then those held on after their condition ended.
  std::optional<AirspaceWarning> MostUrgent() const;

  // The pilot tapped the top line: silences the most urgent warning's
  // airspace until `time_s` + 5 minutes, unless he enters it.
  void Acknowledge(double time_s);

  // As of the last fix; nullopt when none is within 10 km.
  const std::optional<NearestAirspace>& Nearest() const { return m_nearest; }

  const AirspaceSet& Airspaces() const { return m_airspaces; }

 private:
  struct Condition {
    std::uint32_t airspace;
    bool inside;
    int seconds;
  };
  struct Warning {
    std::uint32_t airspace;
    bool entered = false;  // an "inside" event given, not yet left for kHold_s
    bool inside = false;   // as last seen while the condition held
    int seconds = 0;
    bool held = false;     // the condition is false now
    double falseSince = 0;
    double outsideSince = 0;
    bool outside = false;  // entered, and not inside now
  };
  struct Silence {
    std::uint32_t airspace;
    double until;
  };

  void Assess(std::uint32_t i, const AirspaceFix& fix, const LocalFrame& frame);
  void Follow(const Condition& condition);
  // Warnings whose condition is false at this fix end after kHold_s of
  // it; an entry is forgotten after kHold_s outside.
  void Age();
  bool Silenced(std::uint32_t airspace) const;

  const AirspaceSet& m_airspaces;
  double m_now = 0;
  std::vector<std::uint32_t> m_near;
  std::vector<Condition> m_conditions;
  std::vector<Warning> m_warnings;
  std::vector<Silence> m_silences;
  std::vector<AirspaceEvent> m_events;
  std::optional<NearestAirspace> m_nearest;
  Vec m_velocity;
  double m_climb_ms = 0;
};
