// What the system reads and writes is the system services' test's; this layer adds the system's
// reason for a failure.
#include "support/files/file_contents.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/env.h"
#include "testing/forwarding_env.h"
#include "testing/recording_env.h"

namespace cmdpredict {
namespace {

// The system's services with reads that fail for a reason the test names.
class FailingReadsEnv : public ForwardingEnv {
 public:
  bool ReadFile(const std::string&, std::string&) override { return false; }
  std::string LastErrorText() override { return "Input/output error"; }
};

TEST(FileContents, ReadWholeFileCarriesTheSystemsReasonForItsFailure) {
  FailingReadsEnv env;
  const ScopedEnv scoped(env);
  std::string contents;
  EXPECT_EQ(ReadWholeFile("any", contents).FailureReason(), "Input/output error");
}

TEST(FileContents, WriteFileAtomicallyCarriesTheSystemsReasonForItsFailure) {
  RecordingEnv env;
  env.failingWrites.insert("any");
  const ScopedEnv scoped(env);
  EXPECT_EQ(WriteFileAtomically("any", "x").FailureReason(), "No space left on device");
}

}  // namespace
}  // namespace cmdpredict
