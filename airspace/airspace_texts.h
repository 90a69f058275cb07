// What the pilot reads of the airspace warnings, and the replay's lines:
//
//   top line          R LF-R45 12s        D CTR Zurich in
//   "Airspace" entry  As --   As D 2.3   As CTR in
//   replay            12:35:19 airspace ahead 12s: R LF-R45
//                     12:35:31 airspace inside: R LF-R45
//                     12:36:02 airspace clear: R LF-R45
//
// CLASS is the class as the pilot is shown it (Airspace::ShownClass), the
// name is in plain letters.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "airspace/airspace_set.h"
#include "airspace/airspace_warnings.h"

// CLASS, the name cut to fit, and "in" or the seconds to entry, in at most
// `width` characters (the name left out when even a letter of it does not
// fit; class and time are never cut).
std::string AirspaceTopLine(const AirspaceWarning& warning, const AirspaceSet& airspaces, std::size_t width);

// The "Airspace" entry's text.
std::string AirspaceFieldText(const std::optional<NearestAirspace>& nearest, const AirspaceSet& airspaces);

// The replay's line of an event at the fix's UTC time `hhmmss` ("123519").
std::string AirspaceEventLine(const AirspaceEvent& event, const AirspaceSet& airspaces, std::string_view hhmmss);
