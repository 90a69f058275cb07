// NMEA 0183 sentence reader: turns one sentence text, as the acquisition
// loop assembled it from its "$" up to and including the "*", into the
// values of AcquisitionState. The loop checks the checksum after the "*"
// (NmeaChecksumMatches) before it hands a sentence over.
//
// Fields are addressed by comma number n: field n is the text between the
// (n-1)-th and the n-th comma, so field 1 is the sentence name without its
// "$", and the last field (which ends at the "*", not at a comma) always
// reads as empty.
#pragma once

#include <string>
#include <string_view>

#include "base/acquisition_state.h"

// The sentences the instrument reads, from any satellite system's talker:
// GP (GPS), GN (combined), GL (GLONASS), GA (Galileo), GB and BD (BeiDou),
// GQ (QZSS); and the traffic sentences of a collision-warning device on the
// same port (flight/traffic_reader.h): $PFLAU, its status and alarm, and
// $PFLAA, one aircraft.
enum class NmeaKind { kOther, kGga, kRmc, kTrafficStatus, kTrafficTarget };
NmeaKind NmeaSentenceKind(std::string_view sentence);

// True when `sentence`, "$" ... "*hh", ends with the two hex digits (either
// case) of the exclusive-or of every character between the "$" and the "*".
bool NmeaChecksumMatches(std::string_view sentence);

// The text of field n (the empty text when the sentence has fewer fields;
// fields past the 32nd, which no sentence the instrument reads has, read as
// empty too).
std::string NmeaField(std::string_view sentence, int n);

// GPGGA: refreshes the GPS altitude (dAltGps, strAltGps). True when the
// altitude field holds a number; an empty one (no fix yet) reads as 0.
bool ReadGga(std::string_view sentence, AcquisitionState& state);

// GPRMC: time, position, status, ground speed, course, UTC date and
// variation.
void ReadRmc(std::string_view sentence, AcquisitionState& state);

// The six-character time text hhmmss of a GPRMC time field hhmmss(.sss).
std::string RmcTimeText(std::string_view timeField);

// The fixed-width IGC digits of a position field ddmm.mmm / dddmm.mmm:
// degrees and minutes followed by thousandths of minutes, zero-padded.
std::string IgcPositionDigits(std::string_view positionField, int degreeDigits);

// A GPGGA altitude field as the B record's five-character altitude text.
std::string IgcAltitudeText(std::string_view altitudeField);
