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

std::string FormatFixed(double value, int width, int precision) {
  if (std::isnan(value)) return PadLeft(std::signbit(value) ? "-nan" : "nan", width);
  if (std::isinf(value)) return PadLeft(value < 0 ? "-inf" : "inf", width);
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
