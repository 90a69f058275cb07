#include "airspace/openair_reader.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "airspace/arc.h"
#include "airspace/openair_fields.h"
#include "base/plain_text.h"

namespace {

constexpr std::size_t kLongestName = 100;
constexpr std::size_t kLongestCode = 16;
constexpr std::size_t kQuotedChars = 40;

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }
char Upper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

std::string_view Trimmed(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

std::string Capitals(std::string_view text) {
  std::string out(text);
  std::transform(out.begin(), out.end(), out.begin(), Upper);
  return out;
}

// A class or type: one word of letters and digits.
bool IsCode(std::string_view text) {
  return !text.empty() && text.size() <= kLongestCode && std::all_of(text.begin(), text.end(), [](char c) {
    return IsDigit(c) || (Upper(c) >= 'A' && Upper(c) <= 'Z');
  });
}

std::string Quoted(std::string_view line) {
  std::string plain = PlainLetters(line.substr(0, kQuotedChars));
  if (line.size() > kQuotedChars) plain += "...";
  return "cannot read \"" + plain + "\"";
}

// Records that are read and have no bearing on a warning or the map.
bool IsIgnoredRecord(std::string_view code) {
  static constexpr std::array<std::string_view, 7> kIgnored = {"AF", "AG", "AX", "AI", "AT", "SP", "SB"};
  return std::find(kIgnored.begin(), kIgnored.end(), code) != kIgnored.end();
}

}  // namespace

void OpenAirReader::ReadLine(std::string_view line) {
  ++m_nLine;
  if (m_nLine == 1 && line.substr(0, 3) == "\xEF\xBB\xBF") line.remove_prefix(3);
  const std::string_view record = Trimmed(line);
  if (record.empty() || record.front() == '*') return;
  const std::string why = Record(record);
  if (why.empty()) return;
  AddProblem(m_nLine, why);
}

std::string OpenAirReader::Record(std::string_view line) {
  if (line.size() > kLongestLine) {
    if (m_current) m_current->junkSince = true;
    return "cannot read a line of " + std::to_string(line.size()) + " characters";
  }
  const bool variable = line.size() > 1 && Upper(line[0]) == 'V' && IsBlank(line[1]);
  const std::string code = variable ? "V" : Capitals(line.substr(0, 2));
  const std::string_view rest = line.substr(code.size());
  const bool known = variable || code == "AC" || code == "AN" || code == "AY" || code == "AL" || code == "AH" ||
                     code == "AA" || code == "DP" || code == "DC" || code == "DA" || code == "DB" ||
                     IsIgnoredRecord(code);
  const bool separated = rest.empty() || IsBlank(rest.front()) || (code.front() == 'D' && IsDigit(rest.front()));
  if (!known || !separated) {
    // Junk: it costs the airspace only if a record of it follows.
    if (m_current) m_current->junkSince = true;
    return Quoted(line);
  }
  if (code == "AC") return StartAirspace(Trimmed(rest));
  if (!m_current) return Quoted(line) + " before any AC";
  Building& b = *m_current;
  if (b.junkSince) b.damaged = true;
  std::string why;
  if (code == "AN") {
    const std::string name = PlainLetters(Trimmed(rest).substr(0, 4 * kLongestName));
    b.airspace.name = Trimmed(std::string_view(name).substr(0, kLongestName));
  } else if (code == "AY") {
    const std::string_view type = Trimmed(rest);
    if (IsCode(type)) b.airspace.type = Capitals(type);
    else why = Quoted(line);
  } else if (code == "AA") {
    if (Capitals(Trimmed(rest)) == "NONE") b.airspace.active = false;
  } else if (code == "AL" || code == "AH") {
    why = Limit(rest, code == "AH");
    if (!why.empty()) why = Quoted(line) + why;
  } else if (variable) {
    why = Variable(rest);
    if (!why.empty()) why = Quoted(line) + why;
  } else if (code.front() == 'D') {
    why = Geometry(code, rest);
    if (!why.empty()) why = Quoted(line) + why;
  }
  if (!why.empty()) b.damaged = true;
  return why;
}

std::string OpenAirReader::StartAirspace(std::string_view cls) {
  FinishAirspace();
  m_current.emplace();
  m_current->airspace.line = m_nLine;
  if (!IsCode(cls)) {
    m_current->damaged = true;
    return Quoted("AC " + std::string(cls));
  }
  m_current->airspace.cls = Capitals(cls);
  return {};
}

std::string OpenAirReader::Limit(std::string_view text, bool ceiling) {
  const std::optional<AltitudeLimit> limit = ReadLimit(text, ceiling);
  if (!limit) return ": not a limit";
  Building& b = *m_current;
  bool& has = ceiling ? b.hasCeiling : b.hasFloor;
  AltitudeLimit& kept = ceiling ? b.airspace.ceiling : b.airspace.floor;
  if (has && kept != *limit) return ": a second, different limit";
  has = true;
  kept = *limit;
  return {};
}

std::string OpenAirReader::Variable(std::string_view text) {
  text = Trimmed(text);
  if (text.empty()) return ": no variable";
  const char name = Upper(text.front());
  text = Trimmed(text.substr(1));
  if (text.empty() || text.front() != '=') return ": no \"=\"";
  text = Trimmed(text.substr(1));
  Building& b = *m_current;
  if (name == 'X') {
    const std::optional<GeoPoint> centre = ReadPosition(text);
    if (!centre || !OnlyCommentLeft(text)) return ": no position";
    b.centre = centre;
  } else if (name == 'D') {
    if (text.empty() || (text.front() != '+' && text.front() != '-') || !OnlyCommentLeft(text.substr(1))) {
      return ": the direction is + or -";
    }
    b.clockwise = text.front() == '+';
  } else if (name != 'W' && name != 'Z') {
    return ": no such variable";
  }
  return {};
}

std::string OpenAirReader::Geometry(std::string_view code, std::string_view text) {
  Building& b = *m_current;
  if (b.tooLarge) return {};  // skipped already, and said so
  std::string why;
  if (b.circle) {
    // The same circle twice is a slip of the file's editor, and harmless.
    const std::optional<double> radius = code == "DC" ? ReadDecimal(text) : std::nullopt;
    if (radius && OnlyCommentLeft(text) && *radius == b.circleRadius_nm && b.centre == b.circleCentre) return {};
    return ": the border is already a circle";
  }
  if (code == "DP") {
    const std::optional<GeoPoint> point = ReadPosition(text);
    if (!point || !OnlyCommentLeft(text)) return ": no position";
    m_border.push_back(*point);
  } else if (!b.centre) {
    return ": no centre (V X=) before it";
  } else {
    why = code == "DC" ? Circle(text) : code == "DA" ? Arc(text) : ArcBetween(text);
  }
  if (m_nPoints + m_border.size() > kMostPoints) {
    b.tooLarge = true;
    m_border.clear();
    m_border.shrink_to_fit();
    return ": more border points in the file than the instrument holds";
  }
  return why;
}

std::string OpenAirReader::Circle(std::string_view text) {
  const std::optional<double> radius = ReadDecimal(text);
  if (!radius || !OnlyCommentLeft(text) || *radius <= 0 || *radius > kLongestRadius_nm) return ": no radius";
  if (!m_border.empty()) return ": a circle after border points";
  AppendCircle(*m_current->centre, *radius * kMetresPerNauticalMile, m_border);
  m_current->circle = true;
  m_current->circleRadius_nm = *radius;
  m_current->circleCentre = m_current->centre;
  return {};
}

std::string OpenAirReader::Arc(std::string_view text) {
  const std::optional<double> radius = ReadDecimal(text);
  const std::optional<double> from = ReadDecimal(text);
  const std::optional<double> to = ReadDecimal(text);
  if (!radius || !from || !to || !OnlyCommentLeft(text)) return ": radius, from and to bearing";
  if (*radius <= 0 || *radius > kLongestRadius_nm) return ": no radius";
  AppendArc(*m_current->centre, *radius * kMetresPerNauticalMile, *from, *to, m_current->clockwise, m_border);
  return {};
}

std::string OpenAirReader::ArcBetween(std::string_view text) {
  const std::optional<GeoPoint> from = ReadPosition(text);
  const std::optional<GeoPoint> to = ReadPosition(text);
  if (!from || !to || !OnlyCommentLeft(text)) return ": two positions";
  const GeoPoint centre = *m_current->centre;
  const double longest = kLongestRadius_nm * kMetresPerNauticalMile;
  if (DistanceFrom(centre, *from) > longest || DistanceFrom(centre, *to) > longest) return ": no radius";
  AppendArcBetween(centre, *from, *to, m_current->clockwise, m_border);
  return {};
}

void OpenAirReader::FinishAirspace() {
  if (!m_current) return;
  Building& b = *m_current;
  // Points repeated one after the other, and the first repeated at the end,
  // add no edge.
  m_border.erase(std::unique(m_border.begin(), m_border.end()), m_border.end());
  while (m_border.size() > 1 && m_border.back() == m_border.front()) m_border.pop_back();
  std::string why;
  if (b.damaged) {
    why = "";
  } else if (m_border.size() < 3) {
    why = "no border";
  } else if (!b.hasFloor || !b.hasCeiling) {
    why = b.hasFloor ? "no ceiling" : "no floor";
  } else if (!FloorNotAboveCeiling(b.airspace.floor, b.airspace.ceiling)) {
    why = "its floor is above its ceiling";
  }
  if (b.damaged || !why.empty()) {
    ++m_report.skipped;
    const std::string name = b.airspace.name.empty() ? "airspace" : b.airspace.name;
    if (!why.empty()) AddProblem(b.airspace.line, name + " skipped: " + why);
  } else {
    b.airspace.border.assign(m_border.begin(), m_border.end());  // exactly its size
    b.airspace.IndexBorder();
    m_nPoints += b.airspace.border.size();
    m_done.push_back(std::move(b.airspace));
    ++m_report.loaded;
  }
  m_border.clear();
  m_current.reset();
}

void OpenAirReader::AddProblem(long line, std::string text) {
  if (m_report.problems.size() < AirspaceReadReport::kListedProblems) {
    m_report.problems.push_back({line, std::move(text)});
  }
  ++m_report.problemCount;
}

std::vector<Airspace> OpenAirReader::Finish(AirspaceReadReport& report) {
  FinishAirspace();
  report = std::move(m_report);
  std::vector<Airspace> done = std::move(m_done);
  *this = OpenAirReader();
  return done;
}
