#include "support/json/json_value.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "support/json/json_test_support.h"
#include "support/json/json_text.h"

namespace cmdpredict {
namespace {

struct Classification {
  const char* text;
  JsonType type;
};

TEST(JsonType, ClassifiesIntegersAtTheBoundariesOfTheirWidths) {
  const Classification cases[] = {
      {"0", JsonType::Int},
      {"-0", JsonType::Int},
      {"2147483647", JsonType::Int},
      {"-2147483648", JsonType::Int},
      {"2147483648", JsonType::LargeInteger},
      {"-2147483649", JsonType::LargeInteger},
      {"4294967295", JsonType::LargeInteger},
      {"9223372036854775807", JsonType::LargeInteger},
      {"-9223372036854775808", JsonType::LargeInteger},
      {"9223372036854775808", JsonType::Null},
      {"18446744073709551615", JsonType::Null},
      {"18446744073709551616", JsonType::Double},
      {"-9223372036854775809", JsonType::Double},
  };
  for (const Classification& number : cases) {
    EXPECT_EQ(GetType(ParseJson(number.text)), number.type) << number.text;
  }
}

TEST(JsonType, ClassifiesNumbersWithAFractionOrExponentAsDoubles) {
  EXPECT_EQ(GetType(ParseJson("1.0")), JsonType::Double);
  EXPECT_EQ(GetType(ParseJson("1e2")), JsonType::Double);
  EXPECT_EQ(GetType(ParseJson("-0.0")), JsonType::Double);
}

TEST(JsonType, ClassifiesEveryOtherKind) {
  EXPECT_EQ(GetType(ParseJson("null")), JsonType::Null);
  EXPECT_EQ(GetType(ParseJson("true")), JsonType::Bool);
  EXPECT_EQ(GetType(ParseJson("false")), JsonType::Bool);
  EXPECT_EQ(GetType(ParseJson("\"s\"")), JsonType::String);
  EXPECT_EQ(GetType(ParseJson("{}")), JsonType::Object);
  EXPECT_EQ(GetType(ParseJson("[]")), JsonType::Array);
}

TEST(JsonType, KeepsTheNumbersOfItsInterface) {
  EXPECT_EQ(static_cast<int>(JsonType::Null), 0);
  EXPECT_EQ(static_cast<int>(JsonType::Int), 1);
  EXPECT_EQ(static_cast<int>(JsonType::String), 2);
  EXPECT_EQ(static_cast<int>(JsonType::Double), 3);
  EXPECT_EQ(static_cast<int>(JsonType::Bool), 4);
  EXPECT_EQ(static_cast<int>(JsonType::Object), 5);
  EXPECT_EQ(static_cast<int>(JsonType::Array), 6);
  EXPECT_EQ(static_cast<int>(JsonType::LargeInteger), 7);
  EXPECT_EQ(static_cast<int>(JsonType::Missing), 100);
}

TEST(JsonTypeName, NamesTheFirstSevenTypesAndNoOthers) {
  const char* const names[] = {"null", "int", "string", "double", "bool", "object", "array"};
  for (int type = 0; type < 7; ++type) EXPECT_STREQ(JsonTypeName(static_cast<JsonType>(type)), names[type]);
  EXPECT_STREQ(JsonTypeName(JsonType::LargeInteger), "*unknown*");
  EXPECT_STREQ(JsonTypeName(JsonType::Missing), "*unknown*");
  EXPECT_STREQ(JsonTypeName(static_cast<JsonType>(-1)), "*unknown*");
}

TEST(JsonKindName, NamesRapidJsonsSevenKindsAndNoOthers) {
  const char* const names[] = {"null", "false", "true", "object", "array", "string", "number"};
  for (int kind = 0; kind < 7; ++kind) EXPECT_STREQ(JsonKindName(kind), names[kind]);
  EXPECT_STREQ(JsonKindName(7), "*unknown*");
  EXPECT_STREQ(JsonKindName(-1), "*unknown*");
}

TEST(JsonValue, IsNullByDefault) { EXPECT_EQ(GetType(JsonValue()), JsonType::Null); }

TEST(JsonValue, HoldsAnIntAsAnInt) {
  const JsonValue value(-42);
  EXPECT_EQ(GetType(value), JsonType::Int);
  EXPECT_EQ(GetInt(value), -42);
}

TEST(JsonValue, HoldsADoubleAsADoubleEvenWhenItIsWhole) {
  const JsonValue value(2.0);
  EXPECT_EQ(GetType(value), JsonType::Double);
  EXPECT_EQ(GetDouble(value), 2.0);
}

TEST(JsonValue, CopiesTheTextItIsBuiltFrom) {
  char text[] = "abc";
  const JsonValue value(text);
  std::strcpy(text, "xyz");
  EXPECT_EQ(GetType(value), JsonType::String);
  EXPECT_EQ(GetString(value), "abc");
}

TEST(JsonValue, ReadsANullTextAsTheEmptyText) {
  const JsonValue value(static_cast<const char*>(nullptr));
  EXPECT_EQ(GetType(value), JsonType::String);
  EXPECT_EQ(GetString(value), "");
}

TEST(JsonValue, MovingLeavesTheSourceNull) {
  JsonValue source("text");
  const JsonValue target(std::move(source));
  EXPECT_EQ(GetType(source), JsonType::Null);
  EXPECT_EQ(GetString(target), "text");
}

TEST(JsonValue, MoveAssignmentReplacesTheContent) {
  JsonValue target = ParseJson("{\"a\":[1,2,{\"b\":\"c\"}]}");
  JsonValue source(7);
  target = std::move(source);
  EXPECT_EQ(GetInt(target), 7);
  EXPECT_EQ(GetType(source), JsonType::Null);
}

// Building from the inside out: each level holds the previous one as its only element.
JsonValue NestArrays(int levels) {
  JsonValue value = MakeJsonArray({});
  for (int level = 1; level < levels; ++level) {
    JsonValue outer = MakeJsonArray({});
    AppendJsonArrayElement(outer, value);
    value = std::move(outer);
  }
  return value;
}

TEST(JsonValue, IsDestroyedWithoutRecursionHoweverDeepItWasBuilt) {
  JsonValue deep = NestArrays(1000000);
  ASSERT_EQ(GetArraySize(deep), 1U);
  deep = JsonValue();  // a recursive teardown would overflow the machine stack here
  EXPECT_EQ(GetType(deep), JsonType::Null);
}

TEST(GetDouble, ConvertsEveryNumberThatFitsSixtyFourSignedBits) {
  EXPECT_EQ(GetDouble(ParseJson("3")), 3.0);
  EXPECT_EQ(GetDouble(ParseJson("2147483648")), 2147483648.0);
  EXPECT_EQ(GetDouble(ParseJson("-9223372036854775808")), -9223372036854775808.0);
  EXPECT_EQ(GetDouble(ParseJson("0.5")), 0.5);
}

TEST(GetString, EndsTheTextAtItsFirstNulByte) {
  const JsonValue value = ParseJson("\"a\\u0000b\"");
  EXPECT_EQ(value.Rapid().GetStringLength(), 3U);
  EXPECT_EQ(GetString(value), "a");
}

TEST(Getters, GiveNeutralResultsForTheWrongType) {
  EXPECT_EQ(GetInt(JsonValue("5")), 0);
  EXPECT_EQ(GetInt(JsonValue(5.0)), 0);
  EXPECT_EQ(GetDouble(JsonValue("5")), 0.0);
  EXPECT_EQ(GetDouble(ParseJson("9223372036854775808")), 0.0);
  EXPECT_EQ(GetString(JsonValue(5)), "");
  EXPECT_EQ(GetArraySize(MakeJsonObject()), 0U);
  EXPECT_TRUE(GetArrayElement(JsonValue(5), 0).IsNull());
  EXPECT_TRUE(FindMember(MakeJsonArray({}), "a").IsNull());
}

TEST(Getters, GiveNeutralResultsForANullReference) {
  const JsonReference missing;
  EXPECT_EQ(GetType(missing), JsonType::Missing);
  EXPECT_EQ(GetInt(missing), 0);
  EXPECT_EQ(GetDouble(missing), 0.0);
  EXPECT_EQ(GetString(missing), "");
  EXPECT_EQ(GetArraySize(missing), 0U);
  EXPECT_TRUE(GetArrayElement(missing, 0).IsNull());
  EXPECT_TRUE(FindMember(missing, "a").IsNull());
}

TEST(Getters, ReadThroughReferencesIntoNestedValues) {
  const JsonValue model = ParseJson("{\"tree\":{\"i\":0,\"c\":[{\"i\":1,\"f\":2.5,\"k\":\"x\"}]}}");
  const JsonReference children = FindMember(FindMember(model, "tree"), "c");
  ASSERT_EQ(GetArraySize(children), 1U);
  const JsonReference child = GetArrayElement(children, 0);
  EXPECT_EQ(GetType(child), JsonType::Object);
  EXPECT_EQ(GetInt(FindMember(child, "i")), 1);
  EXPECT_EQ(GetDouble(FindMember(child, "f")), 2.5);
  EXPECT_EQ(GetString(FindMember(child, "k")), "x");
  EXPECT_EQ(GetType(FindMember(child, "absent")), JsonType::Missing);
}

TEST(GetArrayElement, RefusesTheIndexEqualToTheSize) {
  const JsonValue array = ParseJson("[10,20,30]");
  EXPECT_EQ(GetInt(GetArrayElement(array, 2)), 30);
  EXPECT_TRUE(GetArrayElement(array, 3).IsNull());
  EXPECT_TRUE(GetArrayElement(JsonReference(array), 3).IsNull());
}

TEST(FindMember, ComparesWholeNamesByteForByte) {
  const JsonValue object = ParseJson("{\"ab\":1,\"a\\u0000b\":2,\"B\":3}");
  EXPECT_TRUE(FindMember(object, "a").IsNull());
  EXPECT_TRUE(FindMember(object, "b").IsNull());
  EXPECT_EQ(GetInt(FindMember(object, "ab")), 1);
  EXPECT_EQ(GetInt(FindMember(object, "B")), 3);
}

TEST(AddMember, AppendsMembersInOrderAndMovesTheValueIn) {
  JsonValue object = MakeJsonObject();
  JsonValue x(1);
  JsonValue y(0.5);
  AddMember(object, "x", x);
  AddMember(object, "y", y);
  EXPECT_EQ(GetType(x), JsonType::Null);
  EXPECT_EQ(GetType(y), JsonType::Null);
  EXPECT_EQ(ToJsonText(object), "{\"x\":1,\"y\":0.5}");
}

TEST(AddMember, KeepsDuplicateNamesAndFindMemberReturnsTheFirst) {
  JsonValue object = MakeJsonObject();
  JsonValue first("first");
  JsonValue second("second");
  AddMember(object, "k", first);
  AddMember(object, "k", second);
  EXPECT_EQ(ToJsonText(object), "{\"k\":\"first\",\"k\":\"second\"}");
  EXPECT_EQ(GetString(FindMember(object, "k")), "first");
}

TEST(AddMember, CopiesTheName) {
  JsonValue object = MakeJsonObject();
  JsonValue value(1);
  std::string name = "name";
  AddMember(object, name.c_str(), value);
  name = "changed, and long enough to leave the small-string buffer";
  EXPECT_EQ(GetInt(FindMember(object, "name")), 1);
}

TEST(AddMember, LeavesANonObjectAndTheValueUnchanged) {
  JsonValue array = ParseJson("[1]");
  JsonValue value(2);
  AddMember(array, "a", value);
  EXPECT_EQ(ToJsonText(array), "[1]");
  EXPECT_EQ(GetInt(value), 2);
}

TEST(MakeJsonArray, HoldsDeepCopiesInOrderWithExactCapacity) {
  std::vector<JsonValue> elements;
  elements.emplace_back(1);
  elements.emplace_back("two");
  elements.push_back(ParseJson("{\"three\":[3]}"));
  const JsonValue array = MakeJsonArray(elements);
  EXPECT_EQ(array.Rapid().Capacity(), 3U);
  EXPECT_EQ(ToJsonText(array), "[1,\"two\",{\"three\":[3]}]");
  elements.clear();
  EXPECT_EQ(ToJsonText(array), "[1,\"two\",{\"three\":[3]}]");
}

TEST(AppendJsonArrayElement, MovesTheElementOntoTheEnd) {
  JsonValue array = ParseJson("[1]");
  JsonValue element = ParseJson("{\"c\":[]}");
  AppendJsonArrayElement(array, element);
  EXPECT_EQ(GetType(element), JsonType::Null);
  EXPECT_EQ(ToJsonText(array), "[1,{\"c\":[]}]");
}

TEST(AppendJsonArrayElement, LeavesANonArrayAndTheElementUnchanged) {
  JsonValue object = MakeJsonObject();
  JsonValue element(3);
  AppendJsonArrayElement(object, element);
  EXPECT_EQ(ToJsonText(object), "{}");
  EXPECT_EQ(GetInt(element), 3);
}

TEST(CopyJsonValue, CopiesDeeplySoTheOriginalCanChangeOrGo) {
  auto original = std::make_unique<JsonValue>(ParseJson("{\"a\":[\"long enough to be allocated on the heap\"]}"));
  const JsonValue copy = CopyJsonValue(*original);
  JsonValue extra(1);
  AddMember(*original, "b", extra);
  original.reset();
  EXPECT_EQ(ToJsonText(copy), "{\"a\":[\"long enough to be allocated on the heap\"]}");
}

TEST(CopyJsonValue, CopiesTheReferencedValueOrGivesNullForANullReference) {
  const JsonValue object = ParseJson("{\"a\":[1,2]}");
  EXPECT_EQ(ToJsonText(CopyJsonValue(FindMember(object, "a"))), "[1,2]");
  EXPECT_EQ(GetType(CopyJsonValue(JsonReference())), JsonType::Null);
}

}  // namespace
}  // namespace cmdpredict
