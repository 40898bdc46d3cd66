#include "support/logging/sys_logger.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "testing/temp_folder.h"

namespace cmdpredict {
namespace {

std::string Captured(void (*write)(SysLogger&)) {
  ::testing::internal::CaptureStdout();
  write(SysLogger::Instance());
  return ::testing::internal::GetCapturedStdout();
}

TEST(SysLogger, WritesTextSeparatorStringAndTerminatorWithoutALineBreak) {
  EXPECT_EQ(Captured([](SysLogger& logger) { logger << "text" << kLogSeparator << std::string("str") << kLogTerminator; }),
            "text ,str . ");
}

TEST(SysLogger, WritesTextGivenThroughAPointerVariable) {
  EXPECT_EQ(Captured([](SysLogger& logger) {
              const char* text = "pointed";
              const char* const& reference = text;
              logger << text << reference;
            }),
            "pointedpointed");
}

TEST(SysLogger, WritesEveryByteOfAString) {
  EXPECT_EQ(Captured([](SysLogger& logger) { logger << std::string("a\0b", 3); }), std::string("a\0b", 3));
}

TEST(SysLogger, SkipsANullTextAndKeepsWriting) {
  EXPECT_EQ(Captured([](SysLogger& logger) { logger << static_cast<const char*>(nullptr) << "after"; }), "after");
}

// Points the temporary folder, as the runtime finds it, somewhere the test can watch.
class ScopedTemporaryFolder {
 public:
  explicit ScopedTemporaryFolder(const std::string& path) {
    if (const char* previous = std::getenv("TMPDIR")) m_previous = previous;
    ::setenv("TMPDIR", path.c_str(), 1);
  }
  ~ScopedTemporaryFolder() {
    if (m_previous.empty()) {
      ::unsetenv("TMPDIR");
    } else {
      ::setenv("TMPDIR", m_previous.c_str(), 1);
    }
  }

 private:
  std::string m_previous;
};

TEST(SysLogger, CreatesNoFileInTheTemporaryFolder) {
  TempFolder folder;
  {
    ScopedTemporaryFolder temporary(folder.Path());
    Captured([](SysLogger& logger) { logger << "text" << kLogSeparator << kLogTerminator; });
  }
  EXPECT_TRUE(std::filesystem::is_empty(folder.Path()));
}

}  // namespace
}  // namespace cmdpredict
