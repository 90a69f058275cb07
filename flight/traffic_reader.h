// The traffic sentences of a collision-warning device (FLARM data port),
// read from the same stream, byte machine and checksum test as the GPS
// sentences. Each reader takes the sentence text from its "$" up to and
// including the "*", as the acquisition loop hands it over, and reads every
// field up to the "*" (the last one too). A field that is empty, is not one
// decimal number, or holds a number beyond what the device can mean is
// absent: it is never read as 0.
#pragma once

#include <string_view>

#include "base/traffic.h"

// $PFLAU,RX,TX,GPS,Power,AlarmLevel,RelativeBearing,AlarmType,RelativeVertical,RelativeDistance[,ID]
//   $PFLAU,3,1,2,1,2,-30,2,-32,755*
// The alarm: AlarmLevel 1 to 3 (4 and higher are information alerts, not
// collision alarms, and read as none), bearing from the own track, relative
// height and horizontal distance, each empty when no alarm is active.
TrafficAlarm ReadTrafficStatus(std::string_view sentence);

// $PFLAA,AlarmLevel,RelativeNorth,RelativeEast,RelativeVertical,IDType,ID,Track,TurnRate,GroundSpeed,ClimbRate,AcftType[,NoTrack,Source,RSSI]
//   $PFLAA,0,-1540,-1020,-1126,1,39103C!FJLKN,93,0,33,4.9,8*
// One aircraft: its position relative to the pilot, ID (a name may follow
// "!") and track. Fields after AcftType, of newer devices, are ignored.
TrafficTarget ReadTrafficTarget(std::string_view sentence);
