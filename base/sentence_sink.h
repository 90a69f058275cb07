// Where whole, valid NMEA sentences go as the GPS port delivers them: the
// acquisition loop hands each one over the moment its checksum has come
// and matched, so that other programs (a phone's flight app, a glide
// computer) get the receiver's stream as the instrument reads it.
#pragma once

#include <string_view>

class SentenceSink {
 public:
  virtual ~SentenceSink() = default;
  // One sentence from its "$" to its two checksum digits, byte for byte as
  // received, without the line end. Called on the producing thread: must
  // not block.
  virtual void PassOn(std::string_view sentence) = 0;
};
