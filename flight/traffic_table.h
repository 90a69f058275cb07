// The traffic the pilot is shown: the aircraft a collision-warning device
// reports, by ID, and its alarm, each dropped when the device stops
// confirming it. Times are seconds on the traffic clock: the instrument's
// monotonic clock in flight, the stream's own fix times in a replay.
//
//   - at most kMaxTargets targets; when full, a new one takes the place of
//     the farthest target that does not alarm, if it is nearer or alarms;
//   - a target (and the alarm) not reported for kTargetSeconds is gone;
//   - no $PFLAU for kDeviceSeconds: there is no traffic device, and every
//     target and the alarm are gone; targets are taken only while there is
//     one.
//
// Only the acquisition thread uses it.
#pragma once

#include "base/traffic.h"

class TrafficTable {
 public:
  static constexpr std::size_t kMaxTargets = 50;
  static constexpr double kTargetSeconds = 3;
  static constexpr double kDeviceSeconds = 5;

  // A $PFLAU's alarm at `now`; whether the alarm changed (a device that
  // came back counts too).
  bool TakeStatus(const TrafficAlarm& alarm, double now);
  // A $PFLAA's target at `now`; whether it was taken.
  bool TakeTarget(TrafficTarget target, double now);
  // Drops what has not been confirmed in time; whether anything went.
  bool Age(double now);

  const TrafficPicture& Picture() const { return m_picture; }
  // No device and nothing held: ageing has nothing to do.
  bool Idle() const { return !m_picture.bDevice; }

 private:
  TrafficPicture m_picture;
  double m_dStatusHeard = 0;   // the last $PFLAU
  double m_dAlarmHeard = 0;    // the last $PFLAU with an alarm
};
