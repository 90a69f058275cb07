// Text from outside the instrument (the pilot file, airspace names) as
// plain printable ASCII: accented Latin letters become their plain letter
// (Jürgen Łukasz Straße -> Jurgen Lukasz Strasse), a tab becomes a blank,
// and any other character that is not printable ASCII is dropped. Line
// ends (CR, LF) are kept. The track header and the screen show only what
// every IGC reader and every font has.
#pragma once

#include <string>
#include <string_view>

// UTF-8, where a byte that starts no UTF-8 sequence is taken as Latin-1
// (an older editor's text).
std::string PlainLetters(std::string_view bytes);

// A whole file: UTF-16 (little or big endian) after its byte-order mark,
// else UTF-8 (its byte-order mark skipped) or Latin-1 as above.
std::string PlainFileText(std::string_view bytes);
