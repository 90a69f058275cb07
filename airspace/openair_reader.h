// Reads OpenAir airspace text one line at a time, the way national bodies
// and open databases publish it:
//
//   * Zurich control zone             a comment
//   AC D                              class; starts an airspace
//   AY CTR                            type
//   AN CTR Zürich                     name (UTF-8 or Latin-1)
//   AL GND                            floor
//   AH 4500ft MSL                     ceiling
//   DP 47:28:20 N 008:22:00 E         border point
//   V X=47:27:30 N 008:33:00 E        centre of the arcs and circles below
//   V D=-                             arcs anticlockwise (back to + at each AC)
//   DA 5, 270, 90                     arc: radius [nm], from and to bearing
//   DB 47:30:00 N 008:40:00 E, 47:25:00 N 008:40:00 E   arc between two points
//   DC 2.5                            circle of that radius [nm]
//   AA NONE                           not active: drawn, never warned of
//   AF, AG, AX, AI, AT, SP, SB, other AA values, V W=, V Z=: read and ignored
//
// Record letters in any case, any blanks between the parts. A line that
// cannot be read is a problem with its number, and costs the airspace it
// belongs to; a line that is no record at all (junk) costs an airspace only
// when a record of the same airspace follows it, so junk between two
// airspaces or after the last costs neither. An airspace without a border
// of three points or without both its floor and ceiling is skipped too.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "airspace/airspace.h"

struct AirspaceProblem {
  long line = 0;
  std::string text;  // "cannot read \"DP 47:61:00 N 008:00:00 E\"", "CTR Zurich skipped: no ceiling"
};

struct AirspaceReadReport {
  static constexpr std::size_t kListedProblems = 10;

  std::size_t loaded = 0;
  std::size_t skipped = 0;
  std::vector<AirspaceProblem> problems;  // the first kListedProblems
  std::size_t problemCount = 0;           // all of them
};

// An airspace while its records are read.
struct OpenAirAirspaceInProgress {
  Airspace airspace;
  bool hasFloor = false;
  bool hasCeiling = false;
  bool damaged = false;
  bool junkSince = false;  // a junk line since its last record
  bool circle = false;     // its border is a DC circle
  double circleRadius_nm = 0;
  std::optional<GeoPoint> circleCentre;
  bool tooLarge = false;   // it would pass kMostPoints
  std::optional<GeoPoint> centre;
  bool clockwise = true;
};

class OpenAirReader {
 public:
  // All airspaces of a file together keep at most this many border points
  // (40 MB); the airspaces past it are skipped.
  static constexpr std::size_t kMostPoints = 5'000'000;
  // Longer lines are not OpenAir (binary junk, a file without line ends).
  static constexpr std::size_t kLongestLine = 1000;
  // Radii beyond this many nautical miles are not an airspace's.
  static constexpr double kLongestRadius_nm = 500;

  // One line, without its line end.
  void ReadLine(std::string_view line);
  // The airspaces read, the last one finished; the reader is empty after.
  std::vector<Airspace> Finish(AirspaceReadReport& report);

 private:
  using Building = OpenAirAirspaceInProgress;


  // Empty when the record was read; else why not.
  std::string Record(std::string_view line);
  std::string StartAirspace(std::string_view cls);
  std::string Limit(std::string_view text, bool ceiling);
  std::string Variable(std::string_view text);
  std::string Point(std::string_view text);
  std::string Curve(char kind, std::string_view text);
  // Runs `add` (which appends to m_border) unless the border is closed
  // already, and keeps the file within kMostPoints.
  template <typename Add>
  std::string AddPoints(Add add);
  std::string Circle(std::string_view text);
  std::string Arc(std::string_view text);
  std::string ArcBetween(std::string_view text);
  void FinishAirspace();
  void AddProblem(long line, std::string text);

  long m_nLine = 0;
  std::optional<Building> m_current;
  std::vector<GeoPoint> m_border;  // the current airspace's border, while it is read
  std::vector<Airspace> m_done;
  std::size_t m_nPoints = 0;       // of the airspaces kept
  AirspaceReadReport m_report;
};
