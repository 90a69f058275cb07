// The track log's header: the A record, the date line and the IGC H
// records that flight servers read to date and attribute a flight.
//
//   AHOL001
//   HFDTE150726                       UTC date of the first fix (line 2, fixed width)
//   HFPLTPILOTINCHARGE:Anna Example   from the pilot file
//   HFCM2CREW2:
//   HFGTYGLIDERTYPE:Ozone Rush 6
//   HFGIDGLIDERID:D-1234
//   HFCIDCOMPETITIONID:AE
//   HFDTMGPSDATUM:WGS84
//   HFRFWFIRMWAREVERSION:0.1           the program's version
//   HFRHWHARDWAREVERSION:Raspberry Pi 4 Model B Rev 1.4
//   HFFTYFRTYPE:FlightInstrument,Linux
//   HFGPSRECEIVER:                     the receiver does not say
//   HFPRSPRESSALTSENSOR:ms5611         the barometer's IIO name
//   HFALGALTGPS:GEO                    GGA altitudes are above the geoid
//   HFALPALTPRESSURE:ISA
//   HFTZNTIMEZONE:+2                   local time minus UTC at the start [h]
//
// Every line is printable ASCII and at most 76 characters; a value the
// instrument does not know stays empty after the colon.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "logs/local_time.h"
#include "settings/pilot_file.h"

struct TrackHeaderFields {
  PilotInfo pilot;
  std::string hardware;         // the machine (ThisMachine())
  std::string pressureSensor;   // the barometer's name, empty without one
};

inline constexpr std::size_t kMaxIgcLine = 76;
// Where the six date digits of line 2 stand in the file ("AHOL001\nHFDTE").
inline constexpr long long kTrackDateOffset = 13;

// "HF" + `code` + `value`, characters that are not printable ASCII
// dropped, cut at the line limit, with its line feed.
std::string HeaderRecord(std::string_view code, std::string_view value);

// The whole header of a run started at local time `start`: the date line
// carries the UTC date of that moment until a fix brings its own.
std::string TrackHeader(const LocalTime& start, const TrackHeaderFields& fields);

// The local time's offset from UTC in hours: "+2", "-7", "+5.5", "+5.75".
std::string TimeZoneHours(int utcOffsetSeconds);

// ddmmyy.
std::string IgcDate(const CalendarDate& date);
// True for a GPRMC date field ddmmyy that names a real day.
bool IsRmcDate(std::string_view field);

// The header fields of a run keeping its files in `storageFolder`
// (handheld form): the pilot file beside the settings file, this machine,
// and the barometer opened at start-up.
TrackHeaderFields TrackHeaderFor(const std::string& storageFolder);

// What the instrument runs on: the board's model from the device tree
// (Raspberry Pi and the like), else the processor architecture.
std::string ThisMachine();
