// The $LK8EX1 sentence read back as an app reads it, from its text alone:
// the fields between "$LK8EX1," and ",*", the checksum over everything
// between "$" and "*".
#pragma once

#include <string>

#include <gtest/gtest.h>

struct Lk8ex1Fields {
  long pressure, altitude, vario, temperature, battery;
};

::testing::AssertionResult ReadLk8ex1(const std::string& sentence, Lk8ex1Fields& out);
