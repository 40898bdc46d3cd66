#include "support/files/file_contents.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>

#include "platform/env.h"
#include "testing/forwarding_env.h"
#include "testing/recording_env.h"
#include "testing/temp_folder.h"

namespace cmdpredict {
namespace {

using namespace std::string_literals;

const std::string kBytes = "a\0b\r\n\xff"s;

void WriteBytes(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

std::string BytesOf(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The system's services with reads that fail for a reason the test names.
class FailingReadsEnv : public ForwardingEnv {
 public:
  bool ReadFile(const std::string&, std::string&) override { return false; }
  std::string LastErrorText() override { return "Input/output error"; }
};

TEST(FileContents, ReadWholeFileGivesEveryByteOfTheFile) {
  TempFolder folder;
  WriteBytes(folder.File("f"), kBytes);
  std::string contents;
  const FileResult read = ReadWholeFile(folder.File("f"), contents);
  EXPECT_TRUE(read);
  EXPECT_EQ(read.FailureReason(), "");
  EXPECT_EQ(contents, kBytes);
}

TEST(FileContents, ReadWholeFileFailsWithAReasonForAMissingFile) {
  TempFolder folder;
  std::string contents;
  const FileResult read = ReadWholeFile(folder.File("missing"), contents);
  EXPECT_FALSE(read);
  EXPECT_NE(read.FailureReason(), "");
}

TEST(FileContents, ReadWholeFileFailsForAFolder) {
  TempFolder folder;
  std::string contents;
  EXPECT_FALSE(ReadWholeFile(folder.Path(), contents));
}

TEST(FileContents, ReadWholeFileCarriesTheSystemsReasonForItsFailure) {
  FailingReadsEnv env;
  const ScopedEnv scoped(env);
  std::string contents;
  EXPECT_EQ(ReadWholeFile("any", contents).FailureReason(), "Input/output error");
}

TEST(FileContents, WriteFileAtomicallyReplacesTheWholeFile) {
  TempFolder folder;
  WriteBytes(folder.File("f"), "the old and longer contents");
  EXPECT_TRUE(WriteFileAtomically(folder.File("f"), kBytes));
  EXPECT_EQ(BytesOf(folder.File("f")), kBytes);
}

TEST(FileContents, WriteFileAtomicallyCreatesAMissingFile) {
  TempFolder folder;
  EXPECT_TRUE(WriteFileAtomically(folder.File("new"), kBytes));
  EXPECT_EQ(BytesOf(folder.File("new")), kBytes);
}

TEST(FileContents, WriteFileAtomicallyThatFailsCarriesTheSystemsReasonAndLeavesTheFile) {
  TempFolder folder;
  WriteBytes(folder.File("f"), "old");
  RecordingEnv env;
  env.failingWrites.insert(folder.File("f"));
  const ScopedEnv scoped(env);
  EXPECT_EQ(WriteFileAtomically(folder.File("f"), kBytes).FailureReason(), "No space left on device");
  EXPECT_EQ(BytesOf(folder.File("f")), "old");
}

}  // namespace
}  // namespace cmdpredict
