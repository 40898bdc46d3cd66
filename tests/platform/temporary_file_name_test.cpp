#include "platform/temporary_file_name.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/paths.h"

namespace cmdpredict {
namespace {

const std::string kFolder = std::string("models") + kPathSeparator;

TEST(TemporaryFileName, NamesTheTemporaryAfterItsTargetInTheTargetsFolder) {
  EXPECT_EQ(TemporaryPathFor(kFolder + "E1.ContextTree", 0x0123456789ABCDEFu),
            kFolder + ".E1.ContextTree.0123456789ABCDEF.tmp");
  EXPECT_EQ(TemporaryPathFor("E1.ContextTree", 0), ".E1.ContextTree.0000000000000000.tmp");
}

// Not: the target itself, another target's, a longer target's, lower-case or fifteen digits, no
// leading dot, a longer or another ending.
TEST(TemporaryFileName, RecognisesOnlyTheTemporariesOfItsTarget) {
  EXPECT_TRUE(IsTemporaryNameOf(".E1.ContextTree.FEDCBA9876543210.tmp", "E1.ContextTree"));
  for (const char* other :
       {"E1.ContextTree", ".E2.ContextTree.FEDCBA9876543210.tmp", ".E1.ContextTree.x.FEDCBA9876543210.tmp",
        ".E1.ContextTree.fedcba9876543210.tmp", ".E1.ContextTree.FEDCBA987654321.tmp",
        "E1.ContextTree.FEDCBA9876543210.tmp", ".E1.ContextTree.FEDCBA9876543210.tmpx",
        ".E1.ContextTree.FEDCBA9876543210.bak"}) {
    SCOPED_TRACE(other);
    EXPECT_FALSE(IsTemporaryNameOf(other, "E1.ContextTree"));
  }
}

TEST(TemporaryFileName, RecognisesTheTemporariesOfEveryTarget) {
  for (const char* name : {".E1.ContextTree.FEDCBA9876543210.tmp", ".x.0000000000000000.tmp"}) {
    SCOPED_TRACE(name);
    EXPECT_TRUE(IsTemporaryName(name));
  }
  for (const char* name : {"..0000000000000000.tmp", ".x.000000000000000.tmp", "x.0000000000000000.tmp"}) {
    SCOPED_TRACE(name);
    EXPECT_FALSE(IsTemporaryName(name));
  }
}

TEST(TemporaryFileName, DrawsAFreshNumberOnEachCall) {
  EXPECT_NE(NewTemporaryNumber(), NewTemporaryNumber());
}

}  // namespace
}  // namespace cmdpredict
