#include "json_output.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

namespace cmdpredict::cli {
namespace {

std::string Double(double value) {
  std::string out;
  AppendJsonDouble(out, value);
  return out;
}

TEST(JsonOutput, WritesDoublesInTheShortestFormThatReadsBack) {
  EXPECT_EQ(Double(1.0), "1.0");
  EXPECT_EQ(Double(0.0), "0.0");
  EXPECT_EQ(Double(0.5), "0.5");
  EXPECT_EQ(Double(7.0 / 9.0), "0.7777777777777778");
  EXPECT_EQ(Double(0.1 + 0.2), "0.30000000000000004");
  EXPECT_EQ(Double(1e-20), "1e-20");
  for (const double value : {1.0 / 3.0, 2.0 / 3.0, 1e-300, 123456789.125, 0.16666666666666669}) {
    EXPECT_EQ(std::strtod(Double(value).c_str(), nullptr), value);
  }
}

TEST(JsonOutput, EscapesQuotesBackslashesAndControlCharacters) {
  std::string out;
  AppendJsonString(out, std::string("a\"b\\c\n\t\x01\x7F\xC3\x89", 11));
  EXPECT_EQ(out, "\"a\\\"b\\\\c\\n\\t\\u0001\x7F\xC3\x89\"");
}

}  // namespace
}  // namespace cmdpredict::cli
