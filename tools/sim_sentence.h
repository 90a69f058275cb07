// An NMEA sentence as a device sends it: "$", the body, "*", the checksum
// (the exclusive or of the body's bytes) in two upper-case hex digits, and
// CR LF.
#pragma once

#include <cstdio>
#include <string>

inline std::string SimSentence(const std::string& body) {
  unsigned char sum = 0;
  for (const char c : body) sum ^= static_cast<unsigned char>(c);
  char tail[8];
  std::snprintf(tail, sizeof tail, "*%02X\r\n", sum);
  return "$" + body + tail;
}
