#include "airspace/openair_reader.h"

#include <algorithm>
#include <type_traits>

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

// A piece of a line in plain letters, without the line ends that plain
// letters keep (a lone carriage return inside a line).
std::string PlainPiece(std::string_view text) {
  std::string plain = PlainLetters(text);
  std::erase_if(plain, [](char c) { return c == '\r' || c == '\n'; });
  return plain;
}

std::string Quoted(std::string_view line) {
  std::string plain = PlainPiece(line.substr(0, kQuotedChars));
  if (line.size() > kQuotedChars) plain += "...";
  return "cannot read \"" + plain + "\"";
}

enum class RecordKind { kJunk, kClass, kName, kType, kActivation, kFloor, kCeiling, kVariable, kPoint, kCircle,
                        kArc, kArcBetween, kIgnored };

// The record a line holds, by its letters (in any case) and a blank after
// them, or straight after D records a digit.
RecordKind KindOf(std::string_view line) {
  using K = RecordKind;
  if (line.size() > 1 && Upper(line[0]) == 'V' && IsBlank(line[1])) return K::kVariable;
  if (line.size() < 2) return K::kJunk;
  const char first = Upper(line[0]);
  const char second = Upper(line[1]);
  if (line.size() > 2 && !IsBlank(line[2]) && !(first == 'D' && IsDigit(line[2]))) return K::kJunk;
  if (first == 'A') {
    switch (second) {
      case 'C': return K::kClass;
      case 'N': return K::kName;
      case 'Y': return K::kType;
      case 'A': return K::kActivation;
      case 'L': return K::kFloor;
      case 'H': return K::kCeiling;
      case 'F': case 'G': case 'X': case 'I': case 'T': return K::kIgnored;  // frequency, station, code, id, label
      default: return K::kJunk;
    }
  }
  if (first == 'D') {
    switch (second) {
      case 'P': return K::kPoint;
      case 'C': return K::kCircle;
      case 'A': return K::kArc;
      case 'B': return K::kArcBetween;
      default: return K::kJunk;
    }
  }
  if (first == 'S' && (second == 'P' || second == 'B')) return K::kIgnored;  // pen and brush
  return K::kJunk;
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
  using K = RecordKind;
  const K kind = line.size() > kLongestLine ? K::kJunk : KindOf(line);
  if (kind == K::kJunk) {
    // It costs the airspace only if a record of it follows.
    if (m_current) m_current->junkSince = true;
    if (line.size() > kLongestLine) return "cannot read a line of " + std::to_string(line.size()) + " characters";
    return Quoted(line);
  }
  const std::string_view rest = line.substr(kind == K::kVariable ? 1 : 2);
  if (kind == K::kClass) return StartAirspace(Trimmed(rest));
  if (!m_current) return Quoted(line) + " before any AC";
  Building& b = *m_current;
  if (b.junkSince) b.damaged = true;
  std::string why;
  switch (kind) {
    case K::kName: {
      const std::string name = PlainPiece(Trimmed(rest).substr(0, 4 * kLongestName));
      b.airspace.name = Trimmed(std::string_view(name).substr(0, kLongestName));
      break;
    }
    case K::kType:
      if (IsCode(Trimmed(rest))) b.airspace.type = Capitals(Trimmed(rest));
      else why = Quoted(line);
      break;
    case K::kActivation:
      if (Capitals(Trimmed(rest)) == "NONE") b.airspace.active = false;
      break;
    case K::kFloor:
    case K::kCeiling: why = Limit(rest, kind == K::kCeiling); break;
    case K::kVariable: why = Variable(rest); break;
    case K::kPoint: why = Point(rest); break;
    case K::kCircle:
    case K::kArc:
    case K::kArcBetween: why = Curve(kind == K::kCircle ? 'C' : kind == K::kArc ? 'A' : 'B', rest); break;
    default: break;
  }
  if (why.empty()) return {};
  b.damaged = true;
  return why.front() == ':' ? Quoted(line) + why : why;
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

template <typename Add>
std::string OpenAirReader::AddPoints(Add add) {
  Building& b = *m_current;
  if (b.tooLarge) return {};  // skipped already, and said so
  if (b.circle) return ": the border is already a circle";
  std::string why;
  if constexpr (std::is_void_v<decltype(add())>) add();
  else why = add();
  if (m_nPoints + m_border.size() > kMostPoints) {
    b.tooLarge = true;
    m_border.clear();
    m_border.shrink_to_fit();
    return ": more border points in the file than the instrument holds";
  }
  return why;
}

std::string OpenAirReader::Point(std::string_view text) {
  const std::optional<GeoPoint> point = ReadPosition(text);
  if (!point || !OnlyCommentLeft(text)) return ": no position";
  return AddPoints([&] { m_border.push_back(*point); });
}

std::string OpenAirReader::Curve(char kind, std::string_view text) {
  if (!m_current->centre) return ": no centre (V X=) before it";
  if (kind == 'C') return Circle(text);
  return AddPoints([&] { return kind == 'A' ? Arc(text) : ArcBetween(text); });
}

std::string OpenAirReader::Circle(std::string_view text) {
  const std::optional<double> radius = ReadDecimal(text);
  if (!radius || !OnlyCommentLeft(text) || *radius <= 0 || *radius > kLongestRadius_nm) return ": no radius";
  Building& b = *m_current;
  // The same circle twice is a slip of the file's editor, and harmless.
  if (b.circle && *radius == b.circleRadius_nm && b.centre == b.circleCentre) return {};
  if (!b.circle && !m_border.empty()) return ": a circle after border points";
  return AddPoints([&] {
    AppendCircle(*b.centre, *radius * kMetresPerNauticalMile, m_border);
    b.circle = true;
    b.circleRadius_nm = *radius;
    b.circleCentre = b.centre;
  });
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
