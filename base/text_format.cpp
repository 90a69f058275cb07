#include "base/text_format.h"

#include <array>
#include <charconv>
#include <cmath>

std::string PadLeft(std::string_view text, int width) {
  std::string out;
  if (width > 0 && text.size() < static_cast<size_t>(width)) {
    out.assign(static_cast<size_t>(width) - text.size(), ' ');
  }
  out.append(text);
  return out;
}

namespace {

// `magnitude` (not negative) times 10^precision, rounded to the nearest
// whole number and halfway cases to the even one, exactly as printf rounds
// the double's true value. False when the result would not fit a double's
// 52 bits of whole numbers or the precision is beyond the table.
bool ScaledDigits(double magnitude, int precision, unsigned long long& digits) {
  static constexpr std::array<double, 9> kScale = {1, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8};
  if (precision < 0 || precision >= static_cast<int>(kScale.size())) return false;
  const double scale = kScale[static_cast<std::size_t>(precision)];
  const double high = magnitude * scale;
  if (!(high < 0x1p52)) return false;
  // high + low is the product exactly; high's fraction minus a half is
  // exact too, so comparing it with -low decides the rounding without error.
  const double low = std::fma(magnitude, scale, -high);
  const double whole = std::floor(high);
  const double aboveHalf = (high - whole) - 0.5;
  digits = static_cast<unsigned long long>(whole);
  if (aboveHalf > -low || (aboveHalf == -low && digits % 2 == 1)) ++digits;
  return true;
}

}  // namespace

std::string FormatFixed(double value, int width, int precision) {
  if (std::isnan(value)) return PadLeft(std::signbit(value) ? "-nan" : "nan", width);
  if (std::isinf(value)) return PadLeft(value < 0 ? "-inf" : "inf", width);
  // Every value the instrument shows or logs takes the short way, which
  // costs a fraction of a general conversion.
  unsigned long long digits = 0;
  if (ScaledDigits(std::fabs(value), precision, digits)) {
    std::array<char, 32> buffer{};
    char* const end = buffer.data() + buffer.size();
    char* first = end;
    for (int i = 0; i < precision; ++i, digits /= 10) *--first = static_cast<char>('0' + digits % 10);
    if (precision > 0) *--first = '.';
    do {
      *--first = static_cast<char>('0' + digits % 10);
      digits /= 10;
    } while (digits != 0);
    if (std::signbit(value)) *--first = '-';
    return PadLeft(std::string_view(first, static_cast<std::size_t>(end - first)), width);
  }
  // The largest double written in fixed notation has 309 integer digits.
  std::array<char, 330 + 64> buffer{};
  auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value,
                              std::chars_format::fixed, precision);
  return PadLeft(std::string_view(buffer.data(), result.ptr - buffer.data()), width);
}

std::string FormatInt(long long value, int width, bool zeroPad) {
  std::array<char, 24> buffer{};
  auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value);
  std::string_view digits(buffer.data(), result.ptr - buffer.data());
  if (!zeroPad) return PadLeft(digits, width);
  std::string out;
  if (value < 0) {
    out.push_back('-');
    digits.remove_prefix(1);
  }
  if (width > 0 && out.size() + digits.size() < static_cast<size_t>(width)) {
    out.append(static_cast<size_t>(width) - out.size() - digits.size(), '0');
  }
  out.append(digits);
  return out;
}

std::string SeparatedField(std::string_view text, char separator, int n) {
  if (n < 1) return {};
  std::size_t before = 0;  // position of the (n-1)-th separator
  std::size_t after = 0;   // position of the n-th separator
  for (int count = 1; count <= n; ++count) {
    const std::size_t at = text.find(separator, count == 1 ? 0 : after + 1);
    if (at == std::string_view::npos) return {};  // fewer than n separators
    before = after;
    after = at;
  }
  if (after <= before) return {};
  return std::string(text.substr(before + 1, after - before - 1));
}
