#include "support/json/error_report.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include "support/json/json_test_support.h"

namespace cmdpredict {
namespace {

// A handler whose text is its context, recording the code it was asked about.
int g_lastCode = 0;
const char* AnswerContext(int code, void* context) {
  g_lastCode = code;
  return static_cast<const char*>(context);
}
const char* AnswerNothing(int, void*) { return nullptr; }

// Registers ranges for one test and removes them afterwards; captures standard output meanwhile.
class ErrorReport : public ::testing::Test {
 protected:
  ~ErrorReport() override {
    for (std::int32_t firstCode : m_registered) UnregisterErrorRange(firstCode);
  }

  void Register(std::int32_t firstCode, std::int32_t count, const char* text,
                ErrorTextHandler handler = &AnswerContext) {
    RegisterErrorRange(firstCode, count, handler, const_cast<char*>(text));
    m_registered.push_back(firstCode);
  }

  // The output of one report.
  static std::string OutputOf(int code, const char* file = "F") {
    ::testing::internal::CaptureStdout();
    ReportError(file, 12, code, "message %d", 34);
    return ::testing::internal::GetCapturedStdout();
  }

 private:
  std::vector<std::int32_t> m_registered;
};

TEST_F(ErrorReport, WritesFileLineMessageAndHandlerTextOnOneLine) {
  Register(1000, 10, "text");
  EXPECT_EQ(OutputOf(1005), "File: F ,Line: 12 ,message 34 . text");
}

TEST_F(ErrorReport, OmitsTheFilePartWithoutAFile) {
  Register(1000, 10, "text");
  EXPECT_EQ(OutputOf(1005, nullptr), "Line: 12 ,message 34 . text");
}

TEST_F(ErrorReport, PassesTheCodeAndTheContextToTheHandler) {
  Register(1000, 10, "context");
  g_lastCode = 0;
  EXPECT_EQ(OutputOf(1007), "File: F ,Line: 12 ,message 34 . context");
  EXPECT_EQ(g_lastCode, 1007);
}

TEST_F(ErrorReport, RangesExcludeTheirFirstCodeAndIncludeFirstCodePlusCount) {
  Register(1000, 10, "T");
  EXPECT_EQ(OutputOf(1000), "");
  EXPECT_NE(OutputOf(1001), "");
  EXPECT_NE(OutputOf(1010), "");
  EXPECT_EQ(OutputOf(1011), "");
}

TEST_F(ErrorReport, TheRangeWithTheLowestFirstCodeWins) {
  Register(100, 50, "low");
  Register(120, 50, "high");
  EXPECT_EQ(OutputOf(130), "File: F ,Line: 12 ,message 34 . low");
  EXPECT_EQ(OutputOf(160), "File: F ,Line: 12 ,message 34 . high");
}

TEST_F(ErrorReport, AHandlerWithoutATextSuppressesTheReport) {
  Register(1000, 10, nullptr, &AnswerNothing);
  EXPECT_EQ(OutputOf(1001), "");
}

TEST_F(ErrorReport, RegisteringTheSameFirstCodeReplacesTheRange) {
  Register(1000, 10, "old");
  Register(1000, 20, "new");
  EXPECT_EQ(OutputOf(1015), "File: F ,Line: 12 ,message 34 . new");
}

TEST_F(ErrorReport, UnregisteringRemovesOnlyThatRange) {
  Register(1000, 10, "T");
  UnregisterErrorRange(2000);
  EXPECT_NE(OutputOf(1001), "");
  UnregisterErrorRange(1000);
  EXPECT_EQ(OutputOf(1001), "");
}

TEST_F(ErrorReport, ARangeAtTheTopOfTheCodesDoesNotOverflow) {
  const std::int32_t top = std::numeric_limits<std::int32_t>::max();
  Register(top - 5, 100, "T");
  EXPECT_NE(OutputOf(top), "");
}

TEST_F(ErrorReport, ConsecutiveReportsRunOnOneLine) {
  Register(1000, 10, "T");
  ::testing::internal::CaptureStdout();
  ReportError("F", 1, 1001, "a");
  ReportError("F", 2, 1001, "b");
  EXPECT_EQ(::testing::internal::GetCapturedStdout(), "File: F ,Line: 1 ,a . TFile: F ,Line: 2 ,b . T");
}

TEST_F(ErrorReport, TheLayersOwnRangeHasNoHandler) {
  EXPECT_EQ(OutputOf(4570002), "");
  EXPECT_EQ(OutputOf(4575000), "");
}

TEST_F(ErrorReport, TheLayersOwnRangeCoversItsFiveThousandCodes) {
  ReportCapture capture;
  ReportError("F", 1, 4570000, "first");
  ReportError("F", 1, 4570001, "in");
  ReportError("F", 1, 4575000, "last");
  ReportError("F", 1, 4575001, "beyond");
  EXPECT_EQ(capture.TakeOutput(), "File: F ,Line: 1 ,in . TFile: F ,Line: 1 ,last . T");
}

}  // namespace
}  // namespace cmdpredict
