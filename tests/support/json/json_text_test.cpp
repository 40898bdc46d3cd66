#include "support/json/json_text.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include "support/json/json_document.h"
#include "support/json/json_test_support.h"

namespace cmdpredict {
namespace {

TEST(ToJsonText, WritesMembersInTheirOrderWithoutWhitespace) {
  JsonValue object = MakeJsonObject();
  JsonValue x(1);
  JsonValue y(0.5);
  AddMember(object, "x", x);
  AddMember(object, "y", y);
  EXPECT_EQ(ToJsonText(object), "{\"x\":1,\"y\":0.5}");
}

TEST(ToJsonText, WritesWholeDoublesWithADecimalPoint) {
  EXPECT_EQ(ToJsonText(JsonValue(1.0)), "1.0");
  EXPECT_EQ(ToJsonText(JsonValue(-0.0)), "-0.0");
}

TEST(ToJsonText, CutsFractionsAfterSixteenPlaces) {
  EXPECT_EQ(ToJsonText(JsonValue(0.1 + 0.2)), "0.3");
  EXPECT_EQ(ToJsonText(JsonValue(1e-20)), "0.0");
  EXPECT_EQ(ToJsonText(JsonValue(0.12345678901234567)), "0.1234567890123456");
}

TEST(ToJsonText, WritesSmallDoublesWithAnExponentWhenTheyKeepADigit) {
  EXPECT_EQ(ToJsonText(JsonValue(1e-7)), "1e-7");
  EXPECT_EQ(ToJsonText(JsonValue(1e-16)), "1e-16");
}

TEST(ToJsonText, WritesDoublesInTheirShortestForm) {
  EXPECT_EQ(ToJsonText(JsonValue(0.1)), "0.1");
  EXPECT_EQ(ToJsonText(JsonValue(1.0 / 3.0)), "0.3333333333333333");
  EXPECT_EQ(ToJsonText(JsonValue(123456789.125)), "123456789.125");
  EXPECT_EQ(ToJsonText(JsonValue(1e300)), "1e300");
}

TEST(ToJsonText, WritesIntegersOfEveryWidthAsIntegers) {
  EXPECT_EQ(ToJsonText(JsonValue(-2147483647 - 1)), "-2147483648");
  EXPECT_EQ(ToJsonText(ParseJson("[2147483648,-9223372036854775808,18446744073709551615]")),
            "[2147483648,-9223372036854775808,18446744073709551615]");
}

TEST(ToJsonText, WritesLiteralsAndEmptyContainers) {
  EXPECT_EQ(ToJsonText(JsonValue()), "null");
  EXPECT_EQ(ToJsonText(ParseJson(" [ true , false , { } , [ ] ] ")), "[true,false,{},[]]");
}

TEST(ToJsonText, EscapesQuotesBackslashesAndControlCharacters) {
  EXPECT_EQ(ToJsonText(JsonValue("a\"b\\c/\n\t\x01")), "\"a\\\"b\\\\c/\\n\\t\\u0001\"");
  EXPECT_EQ(ToJsonText(ParseJson("\"a\\u0000b\"")), "\"a\\u0000b\"");
}

TEST(ToJsonText, PassesBytesThroughWithoutValidatingThem) {
  EXPECT_EQ(ToJsonText(JsonValue("\xff\xc3\xa9")), "\"\xff\xc3\xa9\"");
}

TEST(ToJsonText, GivesTheEmptyTextForNumbersItCannotWrite) {
  EXPECT_EQ(ToJsonText(JsonValue(std::numeric_limits<double>::quiet_NaN())), "");
  JsonValue array = MakeJsonArray({});
  JsonValue infinity(std::numeric_limits<double>::infinity());
  AppendJsonArrayElement(array, infinity);
  EXPECT_EQ(ToJsonText(array), "");
}

TEST(ToJsonText, GivesBackACompactModelFileByteForByte) {
  const char* const text =
      "{\"version\":\"1.0\",\"depth\":2,\"encodings\":[\"100\",\"101\"],"
      "\"tree\":{\"i\":0,\"f\":3,\"c\":[{\"i\":1,\"f\":2,\"c\":[]},{\"i\":2,\"f\":1,\"c\":[]}]},\"p\":0.25}";
  EXPECT_EQ(ToJsonText(ParseJson(text)), text);
}

TEST(ToJsonText, WritesTheDeepestAcceptedNestingSoItReadsBack) {
  const std::string text = std::string(1024, '[') + std::string(1024, ']');
  EXPECT_EQ(ToJsonText(ParseJson(text.c_str())), text);
}

}  // namespace
}  // namespace cmdpredict
