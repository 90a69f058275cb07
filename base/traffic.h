// Traffic from a collision-warning device (FLARM) on the GPS port: the
// aircraft it reports, and its most urgent collision alarm. The acquisition
// thread keeps the picture up to date and hands a copy over here; the
// window's thread paints the map from it, and the audio thread sounds the
// alarm's level.
#pragma once

#include <optional>
#include <string>
#include <vector>

// One aircraft the device reports. A field the device leaves empty is
// absent, never 0: a target in stealth mode has no track, a transponder
// target heard without direction has no RelativeEast (its RelativeNorth
// then holds the distance).
struct TrafficTarget {
  std::string strId;                  // hex ID, without the name
  std::string strName;                // what follows "!" in the ID, if anything
  int nAlarmLevel = 0;                // 0 none, 1 low, 2 important, 3 urgent
  std::optional<double> dNorth;       // [m] from the pilot
  std::optional<double> dEast;        // [m]
  std::optional<double> dVertical;    // [m] above the pilot
  std::optional<double> dTrack;       // [deg] true
  double dHeard = 0;                  // [s] on the traffic clock, when last reported

  // Horizontal distance [m]: from the position, or the distance alone.
  std::optional<double> Distance() const;
  // Where the map can put it: north and east both known.
  bool HasPosition() const { return dNorth.has_value() && dEast.has_value(); }
};

// The device's most urgent collision alarm; level 0 is none.
struct TrafficAlarm {
  int nLevel = 0;                     // 1 low (about 13-18 s ahead), 2 important, 3 urgent
  std::optional<double> dBearing;     // [deg] -180..180 from the own track, negative left
  std::optional<double> dDistance;    // [m] horizontal
  std::optional<double> dVertical;    // [m] above the pilot

  bool operator==(const TrafficAlarm&) const = default;
};

struct TrafficPicture {
  bool bDevice = false;               // a traffic device has reported in the last seconds
  TrafficAlarm alarm;
  std::vector<TrafficTarget> targets; // at most 50, in the order first heard

  // The target nearest horizontally, among those with a distance.
  const TrafficTarget* Nearest() const;
};

// Hands the picture to the other threads: the map reads it with
// LatestTraffic(), and a change of the alarm's level wakes the audio thread
// at once (it sleeps with the fast vario's waiters while quiet).
void PublishTraffic(const TrafficPicture& picture);
TrafficPicture LatestTraffic();
// The alarm level last published, for the audio thread: 0 none, 1 to 3.
int TrafficAlarmLevel();
