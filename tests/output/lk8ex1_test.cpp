#include "output/lk8ex1.h"

#include <cmath>
#include <cstdlib>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include <gtest/gtest.h>

namespace {

// The sentence read back as an app reads it, from its text alone: fields
// between "$LK8EX1," and ",*", the checksum over everything between "$"
// and "*".
struct Decoded {
  long pressure, altitude, vario, temperature, battery;
};

::testing::AssertionResult Decode(const std::string& sentence, Decoded& out) {
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

TEST(Lk8ex1Test, EachFieldInItsUnitWholeAndChecked) {
  // legend, values, then pressure [Pa], altitude, vario [cm/s], temperature [C], battery
  const std::tuple<const char*, Lk8ex1Values, Decoded> cases[] = {
      {"a climb at sea level", {101325.0, 2.345, 21.4, 75}, {101325, 99999, 235, 21, 1075}},
      {"sink, frost, a flat battery", {79495.6, -1.234, -5.6, 0}, {79496, 99999, -123, -6, 1000}},
      {"halves round away from zero", {1000.5, -0.005, 0.5, 100}, {1001, 99999, -1, 1, 1100}},
      {"nothing known", {}, {999999, 99999, 9999, 99, 999}},
      {"not numbers are none", {NAN, INFINITY, NAN, std::nullopt}, {999999, 99999, 9999, 99, 999}},
      {"beyond the field: one short of the marker", {2e6, 150.0, 120.0, 130}, {999998, 99999, 9998, 98, 1100}},
      {"and below it", {-3.0, -150.0, -120.0, -4}, {0, 99999, -9999, -99, 1000}},
  };
  for (const auto& [legend, values, expected] : cases) {
    Decoded got{};
    ASSERT_TRUE(Decode(Lk8ex1Sentence(values), got)) << legend;
    EXPECT_EQ(std::tie(got.pressure, got.altitude, got.vario, got.temperature, got.battery),
              std::tie(expected.pressure, expected.altitude, expected.vario, expected.temperature,
                       expected.battery))
        << legend;
  }
}

TEST(Lk8ex1Test, TheBytesAsAppsExpectThem) {
  // Checksum worked by hand: the comma before "*" counts, hex in upper case.
  EXPECT_EQ(Lk8ex1Sentence({101325.0, -1.23, 22.0, std::nullopt}), "$LK8EX1,101325,99999,-123,22,999,*0A");
}

}  // namespace
