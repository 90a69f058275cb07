#include "base/number_text.h"

#include <charconv>
#include <cmath>

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

bool IsSpace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// Length of the digits starting at `pos`.
std::size_t DigitRun(std::string_view text, std::size_t pos) {
  std::size_t end = pos;
  while (end < text.size() && IsDigit(text[end])) ++end;
  return end - pos;
}

}  // namespace

bool HoldsNumber(std::string_view text) {
  std::size_t pos = 0;
  while (pos < text.size() && IsSpace(text[pos])) ++pos;
  if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) ++pos;
  if (pos < text.size() && text[pos] == '.') ++pos;
  return DigitRun(text, pos) > 0;
}

double ReadNumber(std::string_view text, std::size_t maxChars) {
  text = text.substr(0, maxChars);
  std::size_t pos = 0;
  while (pos < text.size() && IsSpace(text[pos])) ++pos;

  bool negative = false;
  if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) {
    negative = text[pos] == '-';
    ++pos;
  }
  const std::size_t mantissaStart = pos;
  std::size_t mantissaDigits = DigitRun(text, pos);
  pos += mantissaDigits;
  if (pos < text.size() && text[pos] == '.') {
    const std::size_t fraction = DigitRun(text, pos + 1);
    mantissaDigits += fraction;
    pos += 1 + fraction;
  }
  if (mantissaDigits == 0) return 0.0;

  if (pos < text.size() && (text[pos] == 'e' || text[pos] == 'E')) {
    std::size_t exp = pos + 1;
    if (exp < text.size() && (text[exp] == '+' || text[exp] == '-')) ++exp;
    const std::size_t expDigits = DigitRun(text, exp);
    if (expDigits > 0) pos = exp + expDigits;
  }

  // from_chars takes neither a leading '+' nor a lone trailing '.', both of
  // which the prefix above may contain; the sign is applied afterwards.
  std::string_view number = text.substr(mantissaStart, pos - mantissaStart);
  double value = 0.0;
  auto result = std::from_chars(number.data(), number.data() + number.size(), value,
                                std::chars_format::general);
  if (result.ec != std::errc() || !std::isfinite(value)) return 0.0;
  return negative ? -value : value;
}
