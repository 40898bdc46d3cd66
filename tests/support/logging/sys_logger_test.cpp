#include "support/logging/sys_logger.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "testing/temp_folder.h"

namespace cmdpredict {
namespace {

using namespace std::string_literals;

TEST(SysLogger, WritesEachPieceOnStandardOutputWithoutALineBreakAndNoFile) {
  TempFolder folder;
  const char* const previous = std::getenv("TMPDIR");
  const std::string saved = previous != nullptr ? previous : "";
  ::setenv("TMPDIR", folder.Path().c_str(), 1);
  const char* text = "pointed";
  const char* const& reference = text;
  ::testing::internal::CaptureStdout();
  SysLogger::Instance() << "text" << kLogSeparator << "a\0b"s << kLogTerminator << reference
                        << static_cast<const char*>(nullptr) << text;
  EXPECT_EQ(::testing::internal::GetCapturedStdout(), "text ,a\0b . pointedpointed"s);
  previous != nullptr ? ::setenv("TMPDIR", saved.c_str(), 1) : ::unsetenv("TMPDIR");
  EXPECT_TRUE(std::filesystem::is_empty(folder.Path()));
}

}  // namespace
}  // namespace cmdpredict
