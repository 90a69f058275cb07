// What a traffic device's data port writes each second after the fix's
// sentences: one $PFLAA for each aircraft it receives, then $PFLAU with the
// count and the most urgent alarm, each with its checksum and CR LF.
//
//   $PFLAA,AlarmLevel,RelativeNorth,RelativeEast,RelativeVertical,2,ID,
//          Track,TurnRate,GroundSpeed,ClimbRate,AircraftType
//   $PFLAU,RX,1,2,1,AlarmLevel,RelativeBearing,2,RelativeVertical,RelativeDistance,ID
//   $PFLAU,RX,1,2,1,0,,0,,,                       (no alarm)
//
// Metres, whole; track in degrees, turn rate degrees a second (to the
// right above 0), ground speed metres a second, whole; the climb in metres a
// second with one decimal; addresses of device type 2 in six hex digits;
// the relative bearing in degrees from the own ground track, -180 to 180;
// the relative distance horizontal.
#pragma once

#include <string>
#include <vector>

#include "tools/sim_aircraft.h"
#include "tools/sim_traffic_alarm.h"

// An aircraft as the pilot's device receives it.
struct SimTarget {
  SimAircraft aircraft;
  SimPoint relative;             // [m] east and north of the pilot
  double relativeVertical = 0;   // [m] above the pilot
  SimAlarm alarm;
};

// The sentences of one second; `ownTrack` is the pilot's ground track [deg].
std::string SimTrafficSentences(const std::vector<SimTarget>& targets, double ownTrack);
