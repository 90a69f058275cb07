// The storage folder's small text files that the pilot writes by hand,
// one "Name: value" a line (Pilot.txt, Output.txt):
//
//   Glider type: Ozone Rush 6
//   TCP port: 10110
//
// Names in any case; spaces around a name and a value do not count; lines
// without a colon are ignored. Plain ASCII, UTF-8 or UTF-16 with its
// byte-order mark, as any editor saves it. Accented Latin letters become
// their plain letter (Jürgen Łukasz Straße -> Jurgen Lukasz Strasse); any
// other character that is not printable ASCII is dropped.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct NameValueLine {
  std::string name;
  std::string value;
};

// The lines of `bytes` that have a colon, in order; the value is all after
// the first colon.
std::vector<NameValueLine> ReadNameValueLines(std::string_view bytes);

// Names compared as the pilot means them: letters in any case.
bool SameName(std::string_view a, std::string_view b);

// The first `maxBytes` of the file at `path`, or nullopt with `error` set
// to the errno of why it cannot be read (ENOENT: there is none, EISDIR: a
// folder of that name).
std::optional<std::string> ReadSmallFile(const std::filesystem::path& path, std::size_t maxBytes,
                                         int& error);
