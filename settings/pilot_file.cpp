#include "settings/pilot_file.h"

#include <array>
#include <fstream>
#include <vector>

namespace {

constexpr std::size_t kMaxFileBytes = 4096;

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
  } else if (c == '\t') {
    out.push_back(' ');
  } else if (c == 0xDF) {
    out.append("ss");
  } else if (c >= kFirstLatinLetter && c < kFirstLatinLetter + kLatinLetters.size()) {
    const char letter = kLatinLetters[c - kFirstLatinLetter];
    if (letter != '#') out.push_back(letter);
  }
}

// The text as code points: UTF-16LE or UTF-16BE after their byte-order
// mark, else UTF-8, where a byte that starts no UTF-8 sequence is taken as
// Latin-1. Line ends are kept.
std::string PlainText(std::string_view bytes) {
  std::string out;
  const auto u8 = [&](std::size_t i) { return static_cast<unsigned char>(bytes[i]); };
  if (bytes.size() >= 2 && ((u8(0) == 0xFF && u8(1) == 0xFE) || (u8(0) == 0xFE && u8(1) == 0xFF))) {
    const bool little = u8(0) == 0xFF;
    for (std::size_t i = 2; i + 1 < bytes.size(); i += 2) {
      const char32_t unit = little ? u8(i) | u8(i + 1) << 8 : u8(i) << 8 | u8(i + 1);
      if (unit == '\n' || unit == '\r') out.push_back(static_cast<char>(unit));
      else AppendPlain(unit, out);
    }
    return out;
  }
  std::size_t i = bytes.size() >= 3 && u8(0) == 0xEF && u8(1) == 0xBB && u8(2) == 0xBF ? 3 : 0;
  while (i < bytes.size()) {
    const unsigned char lead = u8(i);
    const std::size_t length = (lead & 0xE0) == 0xC0 ? 2 : (lead & 0xF0) == 0xE0 ? 3 : (lead & 0xF8) == 0xF0 ? 4 : 1;
    bool sequence = length > 1 && i + length <= bytes.size();
    for (std::size_t k = 1; sequence && k < length; ++k) sequence = (u8(i + k) & 0xC0) == 0x80;
    if (!sequence) {
      // ASCII, or a byte of an older editor's Latin-1 text.
      if (lead == '\n' || lead == '\r') out.push_back(static_cast<char>(lead));
      else AppendPlain(lead, out);
      ++i;
      continue;
    }
    if (length == 2) AppendPlain(static_cast<char32_t>((lead & 0x1F) << 6 | (u8(i + 1) & 0x3F)), out);
    i += length;   // longer sequences are signs without a plain letter
  }
  return out;
}

std::string_view Trimmed(std::string_view text) {
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  return text;
}

bool SameName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
    if (lower(a[i]) != lower(b[i])) return false;
  }
  return true;
}

}  // namespace

PilotInfo ParsePilotFile(std::string_view bytes) {
  PilotInfo info;
  const std::array<std::pair<std::string_view, std::string*>, 5> names = {{
      {"Pilot", &info.pilot},
      {"Crew", &info.crew},
      {"Glider type", &info.gliderType},
      {"Glider ID", &info.gliderId},
      {"Competition ID", &info.competitionId},
  }};
  const std::string text = PlainText(bytes);
  std::string_view rest = text;
  while (!rest.empty()) {
    const std::size_t end = rest.find_first_of("\r\n");
    const std::string_view line = rest.substr(0, end);
    rest.remove_prefix(end == std::string_view::npos ? rest.size() : end + 1);
    const std::size_t colon = line.find(':');
    if (colon == std::string_view::npos) continue;
    const std::string_view name = Trimmed(line.substr(0, colon));
    for (const auto& [known, value] : names) {
      if (SameName(name, known)) *value = Trimmed(line.substr(colon + 1));
    }
  }
  return info;
}

PilotInfo LoadPilotFile(const std::filesystem::path& path) {
  std::ifstream file(path, std::ios::binary);
  if (!file) return {};
  std::vector<char> bytes(kMaxFileBytes);
  file.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  return ParsePilotFile(std::string_view(bytes.data(), static_cast<std::size_t>(file.gcount())));
}
