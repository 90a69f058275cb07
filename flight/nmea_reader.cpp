#include "flight/nmea_reader.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "base/number_text.h"
#include "base/text_format.h"

namespace {

// GPRMC and GPGGA field numbers (comma numbers, see NmeaField).
//   $GPRMC,123519,A,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W*6A
//          2      3 4        5 6         7 8     9     10     11    12
//   $GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,*47
//                                                 10
constexpr int kRmcTime = 2;
constexpr int kRmcStatus = 3;
constexpr int kRmcLat = 4;
constexpr int kRmcLatHemi = 5;
constexpr int kRmcLon = 6;
constexpr int kRmcLonHemi = 7;
constexpr int kRmcSpeed = 8;
constexpr int kRmcCourse = 9;
constexpr int kRmcDate = 10;
constexpr int kRmcMagVar = 11;
constexpr int kRmcMagVarDir = 12;
constexpr int kGgaAltitude = 10;

constexpr double kKmhPerKnot = 1.85;
constexpr double kMaxPlausibleKnots = 200;

// The last `count` characters of `text` (all of it when shorter).
std::string_view LastChars(std::string_view text, std::size_t count) {
  return text.size() > count ? text.substr(text.size() - count) : text;
}

// ddmm.mmm or dddmm.mmm, read as a number v, to decimal degrees. Every
// digit the receiver sends counts: 00000.0039 is a fix next to Greenwich,
// not on it.
double PositionDegrees(std::string_view field) {
  const double v = ReadNumber(field, field.size());
  const double degrees = std::floor(v / 100);
  return degrees + (v - 100 * degrees) / 60;
}

// A position field with ".." after its first character is garbage and
// counts as empty.
std::string_view UsablePosition(std::string_view field) {
  const auto pos = field.find("..");
  return (pos != std::string_view::npos && pos > 0) ? std::string_view() : field;
}

// A hemisphere or direction field counts only when it is one letter;
// otherwise the previous letter stays.
void TakeHemisphere(std::string_view field, std::string& hemisphere) {
  if (field.size() == 1) hemisphere = field;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

// Fields 1 to `lastField` of one sentence, their commas found in one pass,
// numbered as NmeaField numbers them.
class SentenceFields {
 public:
  SentenceFields(std::string_view sentence, int lastField) : m_sentence(sentence) {
    const std::size_t wanted = std::min<std::size_t>(static_cast<std::size_t>(std::max(lastField, 0)),
                                                     m_commas.size());
    for (std::size_t i = 0; i < sentence.size() && m_nCommas < wanted; ++i) {
      if (sentence[i] == ',') m_commas[m_nCommas++] = i;
    }
  }

  std::string_view operator[](int n) const {
    if (n < 1 || static_cast<std::size_t>(n) > m_nCommas) return {};
    const std::size_t before = n == 1 ? 0 : m_commas[n - 2];
    const std::size_t after = m_commas[n - 1];
    if (after <= before) return {};
    return m_sentence.substr(before + 1, after - before - 1);
  }

 private:
  std::string_view m_sentence;
  std::array<std::size_t, 32> m_commas{};  // GPRMC has 12 commas, GPGGA 14
  std::size_t m_nCommas = 0;
};

}  // namespace

NmeaKind NmeaSentenceKind(std::string_view sentence) {
  // "$" + two talker letters + three letters of the sentence type + ",".
  static constexpr std::array<std::string_view, 7> kTalkers = {"GP", "GN", "GL", "GA",
                                                               "GB", "BD", "GQ"};
  if (sentence.size() < 7 || sentence[0] != '$' || sentence[6] != ',') return NmeaKind::kOther;
  if (sentence.starts_with("$PFLAU")) return NmeaKind::kTrafficStatus;
  if (sentence.starts_with("$PFLAA")) return NmeaKind::kTrafficTarget;
  const std::string_view talker = sentence.substr(1, 2), type = sentence.substr(3, 3);
  bool known = false;
  for (const std::string_view t : kTalkers) known = known || t == talker;
  if (!known) return NmeaKind::kOther;
  if (type == "RMC") return NmeaKind::kRmc;
  if (type == "GGA") return NmeaKind::kGga;
  return NmeaKind::kOther;
}

bool NmeaChecksumMatches(std::string_view sentence) {
  if (sentence.size() < 4 || sentence.front() != '$' || sentence[sentence.size() - 3] != '*') {
    return false;
  }
  const int high = HexDigit(sentence[sentence.size() - 2]);
  const int low = HexDigit(sentence[sentence.size() - 1]);
  if (high < 0 || low < 0) return false;
  unsigned char sum = 0;
  for (const char c : sentence.substr(1, sentence.size() - 4)) sum ^= static_cast<unsigned char>(c);
  return sum == high * 16 + low;
}

std::string NmeaField(std::string_view sentence, int n) {
  return std::string(SentenceFields(sentence, n)[n]);
}

std::string RmcTimeText(std::string_view timeField) {
  std::string text(timeField.substr(0, 6));
  text.append(6 - text.size(), '0');
  return text;
}

std::string IgcPositionDigits(std::string_view positionField, int degreeDigits) {
  // Degrees and whole minutes, then everything after the decimal point.
  const std::size_t head = static_cast<std::size_t>(degreeDigits) + 2;
  const std::size_t width = head + 3;
  std::string digits(positionField.substr(0, head));
  if (positionField.size() > head + 1) digits.append(positionField.substr(head + 1));
  if (digits.size() < width) digits.append(width - digits.size(), '0');
  digits.resize(width);
  return digits;
}

std::string IgcAltitudeText(std::string_view altitudeField) {
  // Whole metres: the characters before the first ".", none without one.
  const auto dot = altitudeField.find('.');
  const std::string_view whole =
      dot == std::string_view::npos ? std::string_view() : altitudeField.substr(0, dot);
  if (whole.empty() || whole.front() != '-') {
    return std::string(LastChars("00000" + std::string(whole), 5));
  }
  return "-" + std::string(LastChars("0000" + std::string(whole.substr(1)), 4));
}

bool ReadGga(std::string_view sentence, AcquisitionState& state) {
  const std::string_view altitude = SentenceFields(sentence, kGgaAltitude)[kGgaAltitude];
  state.dAltGps = ReadNumber(altitude, 7);
  state.strAltGps = IgcAltitudeText(altitude);
  // A receiver without a fix sends the field empty: 0 m then is no altitude.
  return HoldsNumber(altitude.substr(0, 7));
}

void ReadRmc(std::string_view sentence, AcquisitionState& state) {
  const SentenceFields field(sentence, kRmcMagVarDir);
  state.strTime = RmcTimeText(field[kRmcTime]);
  state.dTime = ReadNumber(state.strTime, 6);

  state.strLatText = field[kRmcLat];
  const std::string_view lat = UsablePosition(state.strLatText);
  state.dLat = PositionDegrees(lat);
  TakeHemisphere(field[kRmcLatHemi], state.strLatHemi);
  state.strLat = IgcPositionDigits(lat, 2) + state.strLatHemi;

  state.strLonText = field[kRmcLon];
  const std::string_view lon = UsablePosition(state.strLonText);
  state.dLon = PositionDegrees(lon);
  TakeHemisphere(field[kRmcLonHemi], state.strLonHemi);
  state.strLon = IgcPositionDigits(lon, 3) + state.strLonHemi;

  // Signed positions, so that every bearing is right in all four quadrants.
  if (state.strLatHemi == "S") state.dLat = -state.dLat;
  if (state.strLonHemi == "W") state.dLon = -state.dLon;

  state.strStatus = field[kRmcStatus];

  // A speed of 200 knots or more is a receiver glitch: keep the last one.
  const std::string_view speed = field[kRmcSpeed];
  if (!speed.empty()) {
    const double knots = ReadNumber(speed, 7);
    if (knots < kMaxPlausibleKnots) state.dSpeed = knots * kKmhPerKnot;
  }
  state.strSpeed = FormatFixed(state.dSpeed, 3, 0);

  state.dCourse = ReadNumber(field[kRmcCourse], 6);
  state.strDate = field[kRmcDate];

  state.dMagVar = ReadNumber(field[kRmcMagVar], 3);
  if (field[kRmcMagVarDir] == "W") state.dMagVar = -state.dMagVar;
}
