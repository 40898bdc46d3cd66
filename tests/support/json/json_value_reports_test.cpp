// The exact reports of the layer's checks, as a host's handler would see them.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "support/json/json_test_support.h"
#include "support/json/json_value.h"

namespace cmdpredict {
namespace {

// The text written when `misuse` runs with a handler answering "T" for the layer's range.
std::string ReportOf(const std::function<void()>& misuse) {
  ReportCapture capture;
  misuse();
  return capture.TakeOutput();
}

TEST(JsonValueReports, GetIntOfAStringNamesItsKind) {
  EXPECT_EQ(ReportOf([] { GetInt(JsonValue("s")); }),
            "File: JSON_JsonDocument ,Line: 604 ,string is not an int . T");
}

TEST(JsonValueReports, GetIntOfALargeIntegerNamesItANumber) {
  EXPECT_EQ(ReportOf([] { GetInt(ParseJson("2147483648")); }),
            "File: JSON_JsonDocument ,Line: 604 ,number is not an int . T");
}

TEST(JsonValueReports, GetDoubleOfAnIntegerBeyondSixtyFourSignedBits) {
  EXPECT_EQ(ReportOf([] { GetDouble(ParseJson("9223372036854775808")); }),
            "File: JSON_JsonDocument ,Line: 625 ,number is not a double or large integer . T");
}

TEST(JsonValueReports, GetStringOfANumber) {
  EXPECT_EQ(ReportOf([] { GetString(JsonValue(5)); }),
            "File: JSON_JsonDocument ,Line: 679 ,number is not a string . T");
}

TEST(JsonValueReports, GetArraySizeOfAnObject) {
  EXPECT_EQ(ReportOf([] { GetArraySize(MakeJsonObject()); }),
            "File: JSON_JsonDocument ,Line: 724 ,object is not an array . T");
}

TEST(JsonValueReports, GetArrayElementOfTrue) {
  EXPECT_EQ(ReportOf([] { GetArrayElement(ParseJson("true"), 0); }),
            "File: JSON_JsonDocument ,Line: 848 ,true is not an array . T");
}

TEST(JsonValueReports, GetArrayElementPastTheEnd) {
  EXPECT_EQ(ReportOf([] { GetArrayElement(ParseJson("[1,2,3]"), 3); }),
            "File: JSON_JsonDocument ,Line: 850 ,index 3 out of range for array . T");
}

TEST(JsonValueReports, FindMemberNamesTheKindOfANonObject) {
  EXPECT_EQ(ReportOf([] { FindMember(JsonValue(5), "a"); }),
            "File: JSON_JsonDocument ,Line: 870 ,number is not an object . T");
}

TEST(JsonValueReports, AddMemberNamesTheTypeOfANonObject) {
  JsonValue value(1);
  EXPECT_EQ(ReportOf([&] {
              JsonValue integer(5);
              AddMember(integer, "a", value);
            }),
            "File: JSON_JsonDocument ,Line: 954 ,int is not an object . T");
  EXPECT_EQ(ReportOf([&] {
              JsonValue large = ParseJson("4294967295");
              AddMember(large, "a", value);
            }),
            "File: JSON_JsonDocument ,Line: 954 ,*unknown* is not an object . T");
}

TEST(JsonValueReports, AppendJsonArrayElementOfANonArray) {
  EXPECT_EQ(ReportOf([] {
              JsonValue text("s");
              JsonValue element(1);
              AppendJsonArrayElement(text, element);
            }),
            "File: JSON_JsonDocument ,Line: 890 ,string is not an array . T");
}

TEST(JsonValueReports, ANullReferenceUsesCode68OutsideTheLayersRange) {
  EXPECT_EQ(ReportOf([] { GetInt(JsonReference()); }), "");

  ReportCapture capture(0, 100);
  GetInt(JsonReference());
  EXPECT_EQ(capture.TakeOutput(), "File: JSON_JsonDocument ,Line: 83 ,reference is null . T");
}

TEST(JsonValueReports, GetTypeOfANullReferenceReportsNothing) {
  ReportCapture capture(0, 100);
  EXPECT_EQ(GetType(JsonReference()), JsonType::Missing);
  EXPECT_EQ(capture.TakeOutput(), "");
}

TEST(JsonValueReports, CorrectUseReportsNothing) {
  EXPECT_EQ(ReportOf([] {
              const JsonValue model = ParseJson("{\"c\":[{\"i\":1,\"f\":0.5,\"s\":\"x\"}]}");
              const JsonReference child = GetArrayElement(FindMember(model, "c"), 0);
              GetInt(FindMember(child, "i"));
              GetDouble(FindMember(child, "f"));
              GetDouble(FindMember(child, "i"));
              GetString(FindMember(child, "s"));
            }),
            "");
}

TEST(JsonValueReports, NothingIsWrittenWhileOnlyTheLayersOwnRangeIsRegistered) {
  ::testing::internal::CaptureStdout();
  GetInt(JsonValue("s"));
  GetArrayElement(ParseJson("[]"), 0);
  EXPECT_EQ(::testing::internal::GetCapturedStdout(), "");
}

}  // namespace
}  // namespace cmdpredict
