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

// The root of the text. Expects the parse to succeed or, when `refused`, to fail with a null root.
JsonValue ParseJson(const std::string& text, bool refused = false) {
  JsonDocumentPtr document = CreateJsonDocument();
  JsonValue root = std::move(*document->Parse(text.c_str()));
  EXPECT_EQ(document->HasParseError() && GetType(root) == JsonType::Null, refused) << text.substr(0, 80);
  return root;
}

std::string Repeat(const std::string& piece, int times) {
  std::string text;
  while (times-- > 0) text += piece;
  return text;
}

std::string NestedArrays(int levels) { return Repeat("[", levels) + Repeat("]", levels); }

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

// Nesting deeper than 1,024 levels is refused, and no value is destroyed recursively, so that no
// hostile text can exhaust the machine stack.
TEST(JsonDocument, RefusesAnythingButOneValueOfStrictJsonNestedAtMost1024Levels) {
  const std::string object = "{\"a\":", branch = NestedArrays(1023);
  const std::string refused[] = {"", " \t\r\n", "{} x", "1 2", "[1,]", "{\"a\":1,}", "/* note */ 1",
                                 "1 // note", "NaN", "[Infinity]", "-Infinity", "\f[1]", "1e400",
                                 // just above the largest double: read as infinity, which cannot be written
                                 "1.7976931348626314e308", "{\"f\":-1.797693134862316e308}",
                                 // nested too deeply, also when never closed
                                 NestedArrays(1025), Repeat(object, 1024) + "{}" + Repeat("}", 1024),
                                 object + NestedArrays(1024) + "}", NestedArrays(1000000),
                                 Repeat("[", 1000000), Repeat("{\"\":", 1000000)};
  for (const std::string& text : refused) ParseJson(text, /*refused=*/true);
  const std::string accepted[] = {
      " \t\r\n[1.7976931348623157e308 , -1.7976931348623157e308]\n\r\t ", NestedArrays(1024),
      Repeat(object, 1023) + "{}" + Repeat("}", 1023), "[" + branch + "," + branch + "]",
      "[\"" + Repeat("[", 2000) + "\\\"" + Repeat("{", 2000) + "\"]"};  // brackets in a string do not count
  for (const std::string& text : accepted) ParseJson(text);
  JsonValue deep = MakeJsonArray({});
  for (int level = 1; level < 1000000; ++level) {
    JsonValue outer = MakeJsonArray({});
    AppendJsonArrayElement(outer, deep);
    deep = std::move(outer);
  }
  EXPECT_EQ(GetArraySize(deep), 1U);
  deep = JsonValue();  // a recursive teardown would overflow the machine stack here
}

TEST(JsonValue, ClassifiesTheBoundaryIntegersAndReadsTheFirstMemberOfExactlyTheName) {
  const std::pair<JsonType, std::vector<const char*>> cases[] = {
      {JsonType::Int, {"2147483647", "-2147483648"}},
      {JsonType::LargeInteger, {"2147483648", "-2147483649", "9223372036854775807", "-9223372036854775808"}},
      {JsonType::Null, {"9223372036854775808", "18446744073709551615", "null"}},
      {JsonType::Double, {"18446744073709551616", "-9223372036854775809", "1.0", "1e30"}}};
  for (const auto& [type, texts] : cases)
    for (const char* text : texts) EXPECT_EQ(GetType(ParseJson(text)), type) << text;
  const JsonValue model = ParseJson("{\"a\\u0000b\":0,\"a\":1,\"s\":\"x\\u0000y\",\"l\":2147483648,\"a\":3}");
  EXPECT_EQ(GetInt(FindMember(model, "a")), 1);
  EXPECT_EQ(GetType(FindMember(model, "b")), JsonType::Missing);
  EXPECT_EQ(GetString(FindMember(model, "s")), "x");  // up to the NUL
  EXPECT_EQ(GetDouble(FindMember(model, "l")), 2147483648.0);
  EXPECT_EQ(GetDouble(FindMember(model, "a")), 1.0);
}

// Texts and array elements are copied in, member values moved in; members of one name are all kept.
TEST(ToJsonText, WritesWhatItReadOrBuiltByteForByteAndDoublesShortWithAPoint) {
  for (const std::string& text :
       {"{\"v\":\"1.0\",\"t\":{\"c\":[{\"f\":2,\"c\":[]}]},\"p\":0.25}"s,
        "[2147483648,-2147483648,-9223372036854775808,18446744073709551615,true,false,null,{},[]]"s,
        "[\"a\\\"b\\\\c/\\n\\t\\u0001\",\"a\\u0000b\",\"\xff\xc3\xa9\"]"s, NestedArrays(1024)}) {
    EXPECT_EQ(ToJsonText(ParseJson(text)), text) << text.substr(0, 80);
  }
  EXPECT_EQ(ToJsonText(JsonValue(1.0)), "1.0");
  EXPECT_EQ(ToJsonText(JsonValue(0.1 + 0.2)), "0.3");  // the fraction is cut after 16 places
  EXPECT_EQ(ToJsonText(JsonValue(1e-20)), "0.0");
  char text[] = "abc";
  JsonValue object = MakeJsonObject(), x(1), y(0.5), again(text);
  AddMember(object, "x", x);
  AddMember(object, "y", y);
  EXPECT_EQ(ToJsonText(object), "{\"x\":1,\"y\":0.5}");
  std::strcpy(text, "xyz");
  AddMember(object, "x", again);
  std::vector<JsonValue> elements;
  elements.push_back(std::move(object));
  const JsonValue array = MakeJsonArray(elements);
  elements.clear();
  EXPECT_EQ(ToJsonText(array), "[{\"x\":1,\"y\":0.5,\"x\":\"abc\"}]");
}

TEST(ErrorReport, WritesTheLayersMisuseOnlyWhenAHandlerAnswersItsCode) {
  JsonValue value(1), integer(5), text("s");
  EXPECT_EQ(OutputOf([] { GetInt(JsonValue("s")); }), "");
  const std::pair<std::function<void()>, const char*> cases[] = {
      {[] { GetInt(JsonValue("s")); }, "604 ,string is not an int . 4570002"},
      {[] { GetDouble(ParseJson("9223372036854775808")); },
       "625 ,number is not a double or large integer . 4570003"},
      {[] { GetString(JsonValue(5)); }, "679 ,number is not a string . 4570004"},
      {[] { GetArraySize(MakeJsonObject()); }, "724 ,object is not an array . 4570005"},
      {[] { GetArrayElement(ParseJson("true"), 0); }, "848 ,true is not an array . 4570005"},
      {[] { GetArrayElement(ParseJson("[1,2,3]"), 3); }, "850 ,index 3 out of range for array . 4570007"},
      {[] { FindMember(JsonValue(5), "a"); }, "870 ,number is not an object . 4570006"},
      {[&] { AddMember(integer, "a", value); }, "954 ,int is not an object . 4570006"},
      {[&] { AppendJsonArrayElement(text, value); }, "890 ,string is not an array . 4570005"},
      {[] { GetArrayElement(JsonReference(), 0); }, "83 ,reference is null . 68"},
      {[] { GetType(JsonReference()); }, ""}};
  RegisterErrorRange(0, kJsonErrorRangeFirstCode + kJsonErrorRangeCount, &Answer, nullptr);
  for (const auto& [misuse, report] : cases)
    EXPECT_EQ(OutputOf(misuse), *report ? "File: JSON_JsonDocument ,Line: "s + report : "");
  UnregisterErrorRange(0);
  RegisterErrorRange(kJsonErrorRangeFirstCode, kJsonErrorRangeCount, &Answer, const_cast<char*>("T"));
  EXPECT_EQ(OutputOf([] { GetInt(JsonValue("s")); }),
            "File: JSON_JsonDocument ,Line: 604 ,string is not an int . T");
  RegisterErrorRange(kJsonErrorRangeFirstCode, kJsonErrorRangeCount, nullptr, nullptr);
}

}  // namespace
}  // namespace cmdpredict
