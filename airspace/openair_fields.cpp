#include "airspace/openair_fields.h"

#include <array>
#include <cmath>
#include <string>

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }
bool IsBlank(char c) { return c == ' ' || c == '\t'; }
char Upper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

void SkipBlanks(std::string_view& text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
}

// A run of digits, optionally with a decimal part. Read by hand: a file
// holds millions of these, and the library's reading of a double goes
// through the C locale each time.
std::optional<double> ReadUnsigned(std::string_view& text, std::size_t maxWholeDigits) {
  std::size_t end = 0;
  long long whole = 0;
  while (end < text.size() && IsDigit(text[end])) whole = whole * 10 + (text[end++] - '0');
  if (end == 0 || end > maxWholeDigits) return std::nullopt;
  double value = static_cast<double>(whole);
  if (end < text.size() && text[end] == '.') {
    long long fraction = 0;
    double scale = 1;
    for (++end; end < text.size() && IsDigit(text[end]); ++end) {
      if (scale >= 1e15) continue;  // beyond a double's digits
      fraction = fraction * 10 + (text[end] - '0');
      scale *= 10;
    }
    value += static_cast<double>(fraction) / scale;
  }
  text.remove_prefix(end);
  return value;
}

// D:MM:SS, D:MM:SS.s, D:MM.mmm or D:MM, then the hemisphere letter.
std::optional<double> ReadCoordinate(std::string_view& text, char positive, char negative, double most) {
  SkipSeparators(text);
  const std::optional<double> degrees = ReadUnsigned(text, 3);
  if (!degrees || *degrees != std::floor(*degrees) || text.empty() || text.front() != ':') return std::nullopt;
  text.remove_prefix(1);
  const std::optional<double> minutes = ReadUnsigned(text, 2);
  if (!minutes || *minutes >= 60) return std::nullopt;
  double seconds = 0;
  if (!text.empty() && text.front() == ':' && *minutes == std::floor(*minutes)) {
    text.remove_prefix(1);
    const std::optional<double> s = ReadUnsigned(text, 2);
    if (!s || *s >= 60) return std::nullopt;
    seconds = *s;
  }
  SkipBlanks(text);
  if (text.empty()) return std::nullopt;
  const char hemisphere = Upper(text.front());
  if (hemisphere != positive && hemisphere != negative) return std::nullopt;
  text.remove_prefix(1);
  const double value = *degrees + *minutes / 60 + seconds / 3600;
  if (value > most) return std::nullopt;
  return hemisphere == negative ? -value : value;
}

// A limit's words and numbers: "1000ft AGL" -> 1000, FT, AGL.
std::optional<std::array<std::string, 4>> Tokens(std::string_view text, std::size_t& count) {
  std::array<std::string, 4> tokens;
  count = 0;
  while (true) {
    SkipBlanks(text);
    if (text.empty()) return tokens;
    if (count == tokens.size()) return std::nullopt;
    std::string& token = tokens[count++];
    if (IsDigit(text.front()) || text.front() == '.') {
      while (!text.empty() && (IsDigit(text.front()) || text.front() == '.')) {
        token.push_back(text.front());
        text.remove_prefix(1);
      }
    } else if (IsLetter(text.front())) {
      while (!text.empty() && IsLetter(text.front())) {
        token.push_back(Upper(text.front()));
        text.remove_prefix(1);
      }
    } else {
      return std::nullopt;
    }
  }
}

bool IsNumber(const std::string& token) { return !token.empty() && (IsDigit(token.front()) || token.front() == '.'); }

std::optional<double> NumberOf(const std::string& token) {
  std::string_view text = token;
  const std::optional<double> value = ReadUnsigned(text, 6);
  if (!value || !text.empty()) return std::nullopt;
  return value;
}

std::optional<AltitudeReference> ReferenceOf(const std::string& word) {
  static constexpr std::array<std::pair<std::string_view, AltitudeReference>, 9> kWords = {{
      {"MSL", AltitudeReference::kMsl},   {"AMSL", AltitudeReference::kMsl},  {"ALT", AltitudeReference::kMsl},
      {"AGL", AltitudeReference::kAgl},   {"AGND", AltitudeReference::kAgl},  {"ASFC", AltitudeReference::kAgl},
      {"GND", AltitudeReference::kAgl},   {"SFC", AltitudeReference::kAgl},   {"STD", AltitudeReference::kPressure},
  }};
  for (const auto& [spelling, reference] : kWords) {
    if (word == spelling) return reference;
  }
  return std::nullopt;
}

// A number with an optional unit and reference: "1500", "1500 M", "1500 FT AGL".
std::optional<AltitudeLimit> NumberLimit(const std::array<std::string, 4>& t, std::size_t count) {
  const std::optional<double> number = NumberOf(t[0]);
  if (!number) return std::nullopt;
  std::size_t next = 1;
  double metresPerUnit = kMetresPerFoot;
  if (next < count && (t[next] == "FT" || t[next] == "F" || t[next] == "M")) {
    if (t[next] == "M") metresPerUnit = 1;
    ++next;
  }
  AltitudeReference reference = AltitudeReference::kMsl;
  if (next < count) {
    const std::optional<AltitudeReference> named = ReferenceOf(t[next++]);
    if (!named) return std::nullopt;
    reference = *named;
  }
  if (next != count) return std::nullopt;
  return AltitudeLimit{reference, *number * metresPerUnit};
}

}  // namespace

void SkipSeparators(std::string_view& text) {
  while (!text.empty() && (IsBlank(text.front()) || text.front() == ',')) text.remove_prefix(1);
}

bool OnlyCommentLeft(std::string_view text) {
  SkipBlanks(text);
  return text.empty() || text.front() == '*';
}

std::optional<GeoPoint> ReadPosition(std::string_view& text) {
  const std::optional<double> lat = ReadCoordinate(text, 'N', 'S', 90);
  if (!lat) return std::nullopt;
  const std::optional<double> lon = ReadCoordinate(text, 'E', 'W', 180);
  if (!lon) return std::nullopt;
  return ToGeoPoint(*lat, *lon);
}

std::optional<double> ReadDecimal(std::string_view& text) {
  SkipSeparators(text);
  const bool negative = !text.empty() && text.front() == '-';
  if (!text.empty() && (text.front() == '-' || text.front() == '+')) text.remove_prefix(1);
  const std::optional<double> value = ReadUnsigned(text, 9);
  if (!value) return std::nullopt;
  return negative ? -*value : *value;
}

std::optional<AltitudeLimit> ReadLimit(std::string_view text, bool ceiling) {
  std::size_t count = 0;
  const std::optional<std::array<std::string, 4>> tokens = Tokens(text, count);
  if (!tokens || count == 0) return std::nullopt;
  const std::array<std::string, 4>& t = *tokens;
  if (count == 1 && (t[0] == "GND" || t[0] == "SFC")) {
    return ceiling ? AltitudeLimit{AltitudeReference::kAgl, 0} : AltitudeLimit{AltitudeReference::kGround, 0};
  }
  if (count == 1 && (t[0] == "UNL" || t[0] == "UNLIM")) {
    if (!ceiling) return std::nullopt;
    return AltitudeLimit{AltitudeReference::kUnlimited, 0};
  }
  // FL95, FL 95, 95FL.
  if (count == 2 && (t[0] == "FL" || t[1] == "FL")) {
    const std::optional<double> level = NumberOf(t[0] == "FL" ? t[1] : t[0]);
    if (!level) return std::nullopt;
    return AltitudeLimit{AltitudeReference::kPressure, *level * 100 * kMetresPerFoot};
  }
  if (!IsNumber(t[0])) return std::nullopt;
  std::optional<AltitudeLimit> limit = NumberLimit(t, count);
  // A floor on the ground, however it is written.
  if (limit && !ceiling && limit->reference == AltitudeReference::kAgl && limit->metres == 0) {
    limit->reference = AltitudeReference::kGround;
  }
  return limit;
}
