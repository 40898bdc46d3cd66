// The JSON document layer: parsing, values and their typed access, compact text, error reports.
#include "support/json/json_document.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "support/json/error_report.h"
#include "support/json/json_text.h"
#include "support/json/json_value.h"

namespace cmdpredict {
namespace {

using namespace std::string_literals;

// The root of a text that the layer takes.
JsonValue Parsed(const std::string& text) {
  const JsonDocumentPtr document = CreateJsonDocument();
  JsonValue root = std::move(*document->Parse(text.c_str()));
  EXPECT_FALSE(document->HasParseError()) << text.substr(0, 80);
  return root;
}

// A refused text leaves an error and a null root.
bool Refused(const std::string& text) {
  const JsonDocumentPtr document = CreateJsonDocument();
  const JsonType root = GetType(*document->Parse(text.c_str()));
  return document->HasParseError() && root == JsonType::Null;
}

std::string Repeat(const std::string& piece, int times) {
  std::string text;
  while (times-- > 0) text += piece;
  return text;
}

std::string NestedArrays(int levels) { return Repeat("[", levels) + Repeat("]", levels); }
std::string NestedObjects(int levels) {
  return Repeat("{\"a\":", levels - 1) + "{}" + Repeat("}", levels - 1);
}

struct NamedText {
  const char* name;
  std::string text;
};

void ExpectRefused(const std::vector<NamedText>& rows, bool refused) {
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    EXPECT_EQ(Refused(row.text), refused);
  }
}

// Strict JSON is RapidJSON's to read; these show that its strict reading is the one in use.
TEST(JsonDocument, RefusesTextThatIsNotOneValueOfStrictJson) {
  ExpectRefused({{"two values", "{} x"}, {"a trailing comma", "[1,]"}, {"a comment", "/* note */ 1"}}, true);
}

// Just above the largest double, RapidJSON reads infinity, which cannot be written again.
TEST(JsonDocument, RefusesNumbersThatReadAsInfinity) {
  ExpectRefused({{"positive", "1.7976931348626314e308"}, {"negative", "{\"f\":-1.797693134862316e308}"}},
                true);
}

TEST(JsonDocument, AcceptsTheLargestDoubles) {
  EXPECT_FALSE(Refused("[1.7976931348623157e308 , -1.7976931348623157e308]"));
}

// So that no hostile text can exhaust the machine stack.
TEST(JsonDocument, RefusesNestingDeeperThan1024Levels) {
  ExpectRefused({{"arrays", NestedArrays(1025)},
                 {"objects", NestedObjects(1025)},
                 {"arrays in an object", "{\"a\":" + NestedArrays(1024) + "}"},
                 {"a million levels never closed", Repeat("[", 1000000)}},
                true);
}

TEST(JsonDocument, AcceptsNestingOf1024Levels) {
  const std::string branch = NestedArrays(1023);
  ExpectRefused({{"arrays", NestedArrays(1024)},
                 {"objects", NestedObjects(1024)},
                 {"siblings", "[" + branch + "," + branch + "]"}},
                false);
}

TEST(JsonValue, IsDestroyedWithoutRecursion) {
  JsonValue deep = MakeJsonArray({});
  for (int level = 1; level < 1000000; ++level) {
    JsonValue outer = MakeJsonArray({});
    AppendJsonArrayElement(outer, deep);
    deep = std::move(outer);
  }
  EXPECT_EQ(GetArraySize(deep), 1U);
  deep = JsonValue();  // a recursive teardown would overflow the machine stack here
}

TEST(JsonValue, ClassifiesNumbersByTheRangeTheyFit) {
  const std::pair<JsonType, std::vector<const char*>> rows[] = {
      {JsonType::Int, {"2147483647", "-2147483648"}},
      {JsonType::LargeInteger, {"2147483648", "-2147483649", "9223372036854775807", "-9223372036854775808"}},
      {JsonType::Null, {"9223372036854775808", "18446744073709551615", "null"}},
      {JsonType::Double, {"18446744073709551616", "-9223372036854775809", "1.0", "1e30"}}};
  for (const auto& [type, texts] : rows) {
    for (const char* text : texts) EXPECT_EQ(GetType(Parsed(text)), type) << text;
  }
}

TEST(JsonValue, FindMemberFindsTheFirstMemberOfExactlyTheName) {
  const JsonValue object = Parsed(R"({"a\u0000b":0,"a":1,"a":3})");
  EXPECT_EQ(GetInt(FindMember(object, "a")), 1);
  EXPECT_EQ(GetType(FindMember(object, "b")), JsonType::Missing);
}

TEST(JsonValue, GetStringReadsUpToTheFirstZero) { EXPECT_EQ(GetString(Parsed(R"("x\u0000y")")), "x"); }

TEST(JsonValue, GetDoubleReadsIntegers) {
  EXPECT_EQ(GetDouble(Parsed("1")), 1.0);
  EXPECT_EQ(GetDouble(Parsed("2147483648")), 2147483648.0);
}

TEST(ToJsonText, WritesWhatItReadByteForByte) {
  for (const std::string& text :
       {R"({"v":"1.0","t":{"c":[{"f":2,"c":[]}]},"p":0.25})"s,
        "[2147483648,-2147483648,-9223372036854775808,18446744073709551615,true,false,null,{},[]]"s,
        R"(["a\"b\\c/\n\t\u0001","a\u0000b",)"s + "\"\xff\xc3\xa9\"]", NestedArrays(1024)}) {
    EXPECT_EQ(ToJsonText(Parsed(text)), text) << text.substr(0, 80);
  }
}

// The fraction is cut after 16 places.
TEST(ToJsonText, WritesDoublesShortWithAPoint) {
  EXPECT_EQ(ToJsonText(JsonValue(1.0)), "1.0");
  EXPECT_EQ(ToJsonText(JsonValue(0.1 + 0.2)), "0.3");
  EXPECT_EQ(ToJsonText(JsonValue(1e-20)), "0.0");
}

// Texts and array elements are copied in, member values moved in.
TEST(ToJsonText, WritesBuiltValuesWithEveryMemberOfOneName) {
  char text[] = "abc";
  JsonValue object = MakeJsonObject(), x(1), y(0.5), again(text);
  AddMember(object, "x", x);
  AddMember(object, "y", y);
  std::strcpy(text, "xyz");
  AddMember(object, "x", again);
  std::vector<JsonValue> elements;
  elements.push_back(std::move(object));
  const JsonValue array = MakeJsonArray(elements);
  elements.clear();
  EXPECT_EQ(ToJsonText(array), R"([{"x":1,"y":0.5,"x":"abc"}])");
}

std::string OutputOf(const std::function<void()>& run) {
  ::testing::internal::CaptureStdout();
  run();
  return ::testing::internal::GetCapturedStdout();
}

// A report handler whose text is its context, or the code for a null context.
const char* Answer(int code, void* context) {
  static std::string text;
  text = context != nullptr ? static_cast<const char*>(context) : std::to_string(code);
  return text.c_str();
}

TEST(ErrorReport, WritesNothingWithoutAHandler) {
  EXPECT_EQ(OutputOf([] { GetInt(JsonValue("s")); }), "");
}

TEST(ErrorReport, WritesEachMisuseOfTheLayerWithItsLineAndCode) {
  JsonValue value(1), integer(5), text("s");
  const std::pair<std::function<void()>, const char*> rows[] = {
      {[] { GetInt(JsonValue("s")); }, "604 ,string is not an int . 4570002"},
      {[] { GetDouble(Parsed("9223372036854775808")); },
       "625 ,number is not a double or large integer . 4570003"},
      {[] { GetString(JsonValue(5)); }, "679 ,number is not a string . 4570004"},
      {[] { GetArraySize(MakeJsonObject()); }, "724 ,object is not an array . 4570005"},
      {[] { GetArrayElement(Parsed("true"), 0); }, "848 ,true is not an array . 4570005"},
      {[] { GetArrayElement(Parsed("[1,2,3]"), 3); }, "850 ,index 3 out of range for array . 4570007"},
      {[] { FindMember(JsonValue(5), "a"); }, "870 ,number is not an object . 4570006"},
      {[&] { AddMember(integer, "a", value); }, "954 ,int is not an object . 4570006"},
      {[&] { AppendJsonArrayElement(text, value); }, "890 ,string is not an array . 4570005"},
      {[] { GetArrayElement(JsonReference(), 0); }, "83 ,reference is null . 68"},
      {[] { GetType(JsonReference()); }, ""}};
  RegisterErrorRange(0, kJsonErrorRangeFirstCode + kJsonErrorRangeCount, &Answer, nullptr);
  for (const auto& [misuse, report] : rows)
    EXPECT_EQ(OutputOf(misuse), *report ? "File: JSON_JsonDocument ,Line: "s + report : "") << report;
  UnregisterErrorRange(0);
}

TEST(ErrorReport, EndsAReportWithTheTextOfTheHandlerOfTheCodesRange) {
  RegisterErrorRange(kJsonErrorRangeFirstCode, kJsonErrorRangeCount, &Answer, const_cast<char*>("T"));
  EXPECT_EQ(OutputOf([] { GetInt(JsonValue("s")); }),
            "File: JSON_JsonDocument ,Line: 604 ,string is not an int . T");
  RegisterErrorRange(kJsonErrorRangeFirstCode, kJsonErrorRangeCount, nullptr, nullptr);
}

}  // namespace
}  // namespace cmdpredict
