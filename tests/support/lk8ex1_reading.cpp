#include "tests/support/lk8ex1_reading.h"

#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <vector>

::testing::AssertionResult ReadLk8ex1(const std::string& sentence, Lk8ex1Fields& out) {
  if (sentence.rfind("$LK8EX1,", 0) != 0) return ::testing::AssertionFailure() << "no $LK8EX1: " << sentence;
  const std::size_t star = sentence.find('*');
  if (star == std::string::npos || star + 3 != sentence.size() || sentence[star - 1] != ',') {
    return ::testing::AssertionFailure() << "not ...,*hh: " << sentence;
  }
  int sum = 0;
  for (std::size_t i = 1; i < star; ++i) sum ^= static_cast<unsigned char>(sentence[i]);
  char expected[3];
  std::snprintf(expected, sizeof expected, "%02X", sum);
  if (sentence.substr(star + 1) != expected) {
    return ::testing::AssertionFailure() << "checksum " << sentence.substr(star + 1) << " for " << expected;
  }
  std::vector<long> fields;
  std::stringstream text(sentence.substr(8, star - 9));
  for (std::string field; std::getline(text, field, ',');) {
    char* end = nullptr;
    fields.push_back(std::strtol(field.c_str(), &end, 10));
    if (field.empty() || *end != '\0') return ::testing::AssertionFailure() << "field \"" << field << "\"";
  }
  if (fields.size() != 5) return ::testing::AssertionFailure() << fields.size() << " fields";
  out = {fields[0], fields[1], fields[2], fields[3], fields[4]};
  return ::testing::AssertionSuccess();
}
