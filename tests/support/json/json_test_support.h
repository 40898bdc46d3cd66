// Helpers shared by the JSON layer's tests.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <utility>

#include "support/json/error_report.h"
#include "support/json/json_document.h"

namespace cmdpredict {

// The value of a text that must parse; a null value when it does not (the test then fails).
inline JsonValue ParseJson(const char* text) {
  JsonDocumentPtr document = CreateJsonDocument();
  JsonValue* root = document->Parse(text);
  EXPECT_FALSE(document->HasParseError()) << text;
  return std::move(*root);
}

// Makes error reports visible: registers a handler that answers "T" for a range of codes and
// captures standard output until TakeOutput. Restores the layer's own range afterwards.
class ReportCapture {
 public:
  explicit ReportCapture(std::int32_t firstCode = kJsonErrorRangeFirstCode,
                         std::int32_t count = kJsonErrorRangeCount)
      : m_firstCode(firstCode) {
    RegisterErrorRange(firstCode, count, &AnswerT, nullptr);
    ::testing::internal::CaptureStdout();
  }

  ~ReportCapture() {
    if (m_capturing) TakeOutput();
    if (m_firstCode == kJsonErrorRangeFirstCode) {
      RegisterErrorRange(kJsonErrorRangeFirstCode, kJsonErrorRangeCount, nullptr, nullptr);
    } else {
      UnregisterErrorRange(m_firstCode);
    }
  }

  ReportCapture(const ReportCapture&) = delete;
  ReportCapture& operator=(const ReportCapture&) = delete;

  // Everything written to standard output since construction; call once.
  std::string TakeOutput() {
    m_capturing = false;
    return ::testing::internal::GetCapturedStdout();
  }

 private:
  static const char* AnswerT(int, void*) { return "T"; }

  std::int32_t m_firstCode;
  bool m_capturing = true;
};

}  // namespace cmdpredict
