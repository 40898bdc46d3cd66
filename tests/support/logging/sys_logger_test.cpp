#include "support/logging/sys_logger.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "testing/process.h"
#include "testing/temp_folder.h"

namespace cmdpredict {
namespace {

using namespace std::string_literals;

TEST(SysLogger, WritesEachPieceAsItIsToStandardOutputOnly) {
  TempFolder folder;
  // Every variable that names the temporary folder on some platform.
  const ScopedEnvironmentVariable tmpdir("TMPDIR", folder.Path()), tmp("TMP", folder.Path()),
      temp("TEMP", folder.Path());
  const char* text = "pointed";
  const char* const& reference = text;
  ::testing::internal::CaptureStdout();
  SysLogger::Instance() << "text" << kLogSeparator << "a\0b"s << kLogTerminator << reference
                        << static_cast<const char*>(nullptr) << text;
  EXPECT_EQ(::testing::internal::GetCapturedStdout(), "text ,a\0b . pointedpointed"s);
  EXPECT_TRUE(std::filesystem::is_empty(folder.Path()));
}

}  // namespace
}  // namespace cmdpredict
