// The pilot's airspace file, "Airspace.txt" beside the settings, read once
// at start-up line by line (a national file of 50 MB is never held whole),
// and what is said about it:
//
//   airspace: line 12: cannot read "DP 47:61:00 N 008:00:00 E"
//   airspace: line 40: CTR Zurich skipped: no ceiling
//   ...                                (the first ten problems)
//   airspace: 37 problems in all       (when there were more)
//   airspace: 1203 loaded from Airspace.txt, 2 skipped
//
//   airspace: cannot read Airspace.txt (Permission denied)
//
// A missing file means no airspace, and nothing is said.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "airspace/airspace_set.h"
#include "airspace/openair_reader.h"

inline constexpr const char kAirspaceFileName[] = "Airspace.txt";

struct AirspaceFile {
  bool found = false;     // the file is there
  bool readable = false;  // and could be read to its end
  int error = 0;          // why not (errno)
  AirspaceSet airspaces;
  AirspaceReadReport report;
};

AirspaceFile ReadAirspaceFile(const std::filesystem::path& path);

// The same from text in memory (a test's, a fuzzer's), as if it were a file.
AirspaceFile ReadAirspaceText(std::string_view bytes);

// What to say on standard error (and on the screen when something was
// skipped or the file could not be read): the problems, then the summary.
// Empty for a missing file.
std::vector<std::string> AirspaceReportLines(const AirspaceFile& file, std::string_view fileName);
