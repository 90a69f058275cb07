#include "base/plain_text.h"

namespace {

// Plain letters for U+00C0..U+017F (Latin-1's letters and Latin
// Extended-A); '#' marks a sign that has none (x and / signs).
constexpr std::string_view kLatinLetters =
    "AAAAAAACEEEEIIIIDNOOOOO#OUUUUYTs"
    "aaaaaaaceeeeiiiidnooooo#ouuuuyty"
    "AaAaAaCcCcCcCcDdDdEeEeEeEeEeGgGg"
    "GgGgHhHhIiIiIiIiIiJjJjKkkLlLlLlL"
    "lLlNnNnNnnNnOoOoOoOoRrRrRrSsSsSs"
    "SsTtTtTtUuUuUuUuUuUuWwYyYZzZzZzs";
static_assert(kLatinLetters.size() == 0x180 - 0xC0);
constexpr char32_t kFirstLatinLetter = 0xC0;

void AppendPlain(char32_t c, std::string& out) {
  if (c >= 0x20 && c < 0x7F) {
    out.push_back(static_cast<char>(c));
  } else if (c == '\n' || c == '\r') {
    out.push_back(static_cast<char>(c));
  } else if (c == '\t') {
    out.push_back(' ');
  } else if (c == 0xDF) {
    out.append("ss");
  } else if (c >= kFirstLatinLetter && c < kFirstLatinLetter + kLatinLetters.size()) {
    const char letter = kLatinLetters[c - kFirstLatinLetter];
    if (letter != '#') out.push_back(letter);
  }
}

unsigned char Byte(std::string_view bytes, std::size_t i) { return static_cast<unsigned char>(bytes[i]); }

}  // namespace

std::string PlainLetters(std::string_view bytes) {
  std::string out;
  std::size_t i = 0;
  while (i < bytes.size()) {
    const unsigned char lead = Byte(bytes, i);
    const std::size_t length = (lead & 0xE0) == 0xC0 ? 2 : (lead & 0xF0) == 0xE0 ? 3 : (lead & 0xF8) == 0xF0 ? 4 : 1;
    bool sequence = length > 1 && i + length <= bytes.size();
    for (std::size_t k = 1; sequence && k < length; ++k) sequence = (Byte(bytes, i + k) & 0xC0) == 0x80;
    if (!sequence) {
      AppendPlain(lead, out);  // ASCII, or a byte of Latin-1 text
      ++i;
      continue;
    }
    if (length == 2) AppendPlain(static_cast<char32_t>((lead & 0x1F) << 6 | (Byte(bytes, i + 1) & 0x3F)), out);
    i += length;  // longer sequences are signs without a plain letter
  }
  return out;
}

std::string PlainFileText(std::string_view bytes) {
  const bool utf16 = bytes.size() >= 2 && ((Byte(bytes, 0) == 0xFF && Byte(bytes, 1) == 0xFE) ||
                                           (Byte(bytes, 0) == 0xFE && Byte(bytes, 1) == 0xFF));
  if (!utf16) {
    const bool mark = bytes.size() >= 3 && Byte(bytes, 0) == 0xEF && Byte(bytes, 1) == 0xBB && Byte(bytes, 2) == 0xBF;
    return PlainLetters(bytes.substr(mark ? 3 : 0));
  }
  std::string out;
  const bool little = Byte(bytes, 0) == 0xFF;
  for (std::size_t i = 2; i + 1 < bytes.size(); i += 2) {
    AppendPlain(little ? Byte(bytes, i) | Byte(bytes, i + 1) << 8 : Byte(bytes, i) << 8 | Byte(bytes, i + 1), out);
  }
  return out;
}
