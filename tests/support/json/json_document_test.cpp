#include "support/json/json_document.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>

#include "support/json/json_test_support.h"
#include "support/json/json_text.h"

namespace cmdpredict {
namespace {

// True when the text is refused: the parse error is set and the root is null.
bool IsRefused(const char* text) {
  JsonDocumentPtr document = CreateJsonDocument();
  const JsonValue* root = document->Parse(text);
  return document->HasParseError() && GetType(*root) == JsonType::Null;
}

bool IsRefused(const std::string& text) { return IsRefused(text.c_str()); }

// `levels` arrays, each the only element of the one around it.
std::string NestedArrays(int levels) {
  return std::string(static_cast<std::size_t>(levels), '[') + std::string(static_cast<std::size_t>(levels), ']');
}

// `levels` objects, each the value of member "a" of the one around it, the innermost empty.
std::string NestedObjects(int levels) {
  std::string text;
  for (int level = 1; level < levels; ++level) text += "{\"a\":";
  return text + "{}" + std::string(static_cast<std::size_t>(levels - 1), '}');
}

TEST(JsonDocument, StartsWithoutAParseError) { EXPECT_FALSE(CreateJsonDocument()->HasParseError()); }

TEST(JsonDocument, ParsesAModelFileIntoItsRoot) {
  JsonDocumentPtr document = CreateJsonDocument();
  const JsonValue* root =
      document->Parse("{\"version\":\"1.0\",\"depth\":3,\"tree\":{\"i\":0,\"f\":5,\"c\":[{\"i\":1,\"f\":2}]}}");
  ASSERT_FALSE(document->HasParseError());
  EXPECT_EQ(GetString(FindMember(*root, "version")), "1.0");
  EXPECT_EQ(GetInt(FindMember(*root, "depth")), 3);
  EXPECT_EQ(GetInt(FindMember(GetArrayElement(FindMember(FindMember(*root, "tree"), "c"), 0), "f")), 2);
}

TEST(JsonDocument, AcceptsTheFourWhitespaceCharactersAroundTheValue) {
  EXPECT_FALSE(IsRefused(" \t\r\n[1 , 2]\n\r\t "));
  EXPECT_TRUE(IsRefused("\f[1]"));
}

TEST(JsonDocument, RefusesAnEmptyOrBlankText) {
  EXPECT_TRUE(IsRefused(""));
  EXPECT_TRUE(IsRefused(" \t\r\n"));
  EXPECT_TRUE(IsRefused(static_cast<const char*>(nullptr)));
}

TEST(JsonDocument, RefusesASecondValue) {
  EXPECT_TRUE(IsRefused("1 2"));
  EXPECT_TRUE(IsRefused("{} {}"));
  EXPECT_TRUE(IsRefused("[1] x"));
}

TEST(JsonDocument, RefusesTrailingCommas) {
  EXPECT_TRUE(IsRefused("[1,]"));
  EXPECT_TRUE(IsRefused("{\"a\":1,}"));
}

TEST(JsonDocument, RefusesComments) {
  EXPECT_TRUE(IsRefused("/* note */ 1"));
  EXPECT_TRUE(IsRefused("1 // note"));
}

TEST(JsonDocument, RefusesNaNAndInfinity) {
  EXPECT_TRUE(IsRefused("NaN"));
  EXPECT_TRUE(IsRefused("[Infinity]"));
  EXPECT_TRUE(IsRefused("-Infinity"));
}

TEST(JsonDocument, RefusesANumberTooLargeForADouble) {
  EXPECT_TRUE(IsRefused("1e400"));
  EXPECT_TRUE(IsRefused("[-1e309]"));
}

// RapidJSON reads these as infinity, which ToJsonText could not write back.
TEST(JsonDocument, RefusesANumberJustAboveTheLargestDouble) {
  EXPECT_TRUE(IsRefused("1.7976931348626314e308"));
  EXPECT_TRUE(IsRefused("{\"f\":-1.797693134862316e308}"));
  EXPECT_FALSE(IsRefused("[1.7976931348623157e308,-1.7976931348623157e308]"));
}

TEST(JsonDocument, EndsTheTextAtItsFirstNulByte) {
  EXPECT_FALSE(IsRefused(std::string("[1]\0garbage", 11).c_str()));
  EXPECT_TRUE(IsRefused(std::string("[1\0]", 4).c_str()));
}

TEST(JsonDocument, AFailedParseReplacesTheRootWithNull) {
  JsonDocumentPtr document = CreateJsonDocument();
  const JsonValue* first = document->Parse("{\"a\":[1,2,3]}");
  ASSERT_EQ(GetType(*first), JsonType::Object);
  const JsonValue* second = document->Parse("{\"a\":");
  EXPECT_EQ(second, first);
  EXPECT_TRUE(document->HasParseError());
  EXPECT_EQ(GetType(*second), JsonType::Null);
}

TEST(JsonDocument, ASuccessfulParseClearsTheParseError) {
  JsonDocumentPtr document = CreateJsonDocument();
  document->Parse("[");
  ASSERT_TRUE(document->HasParseError());
  const JsonValue* root = document->Parse("[7]");
  EXPECT_FALSE(document->HasParseError());
  EXPECT_EQ(ToJsonText(*root), "[7]");
}

TEST(JsonDocument, ItsValuesOutliveIt) {
  JsonDocumentPtr document = CreateJsonDocument();
  JsonValue taken = std::move(*document->Parse("{\"name\":\"a text long enough for the heap\"}"));
  document.reset();
  EXPECT_EQ(GetString(FindMember(taken, "name")), "a text long enough for the heap");
}

TEST(JsonDocument, Accepts1024LevelsOfNesting) {
  EXPECT_FALSE(IsRefused(NestedArrays(1024)));
  EXPECT_FALSE(IsRefused(NestedObjects(1024)));
  EXPECT_FALSE(IsRefused("{\"a\":" + NestedArrays(1023) + "}"));
}

TEST(JsonDocument, Refuses1025LevelsOfNesting) {
  EXPECT_TRUE(IsRefused(NestedArrays(1025)));
  EXPECT_TRUE(IsRefused(NestedObjects(1025)));
  EXPECT_TRUE(IsRefused("{\"a\":" + NestedArrays(1024) + "}"));
}

TEST(JsonDocument, CountsTheNestingOfEachBranchOnItsOwn) {
  const std::string branch = NestedArrays(1023);
  EXPECT_FALSE(IsRefused("[" + branch + "," + branch + "," + branch + "]"));
}

TEST(JsonDocument, DoesNotCountBracketsInsideStrings) {
  EXPECT_FALSE(IsRefused("[\"" + std::string(2000, '[') + "\\\"" + std::string(2000, '{') + "\"]"));
}

TEST(JsonDocument, RefusesAMillionLevelsOfNestingWithoutCrashing) {
  EXPECT_TRUE(IsRefused(NestedArrays(1000000)));
  EXPECT_TRUE(IsRefused(std::string(1000000, '[')));
  std::string objects;
  for (int level = 0; level < 1000000; ++level) objects += "{\"\":";
  EXPECT_TRUE(IsRefused(objects));
}

TEST(JsonDocument, IsDestroyedAsAWholeByItsOwner) {
  JsonDocumentPtr document = CreateJsonDocument();
  document->Parse(NestedObjects(1024).c_str());
  DestroyJsonDocument(document.release());
  DestroyJsonDocument(nullptr);
}

}  // namespace
}  // namespace cmdpredict
