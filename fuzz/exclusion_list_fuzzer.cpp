// Loads arbitrary bytes as both exclusion-list files and saves the user's list; checks that the
// saved text reads back as the same list, byte for byte.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <utility>

#include "cmdpredict/prediction_command_manager.h"
#include "platform/env.h"
#include "userdata/exclusion_list_file.h"

namespace {

// Serves the input as the contents of every file and keeps what is written; nothing touches the disk.
class InputFileEnv final : public cmdpredict::Env {
 public:
  explicit InputFileEnv(std::string input) : m_input(std::move(input)) {}

  int Access(const std::string&) override { return 2; }
  bool CreateFolder(const std::string&) override { return false; }
  std::unique_ptr<cmdpredict::DirectoryReader> OpenFolder(const std::string&) override { return nullptr; }
  bool ReadFile(const std::string&, std::string& contents) override {
    contents = m_input;
    return true;
  }
  bool ReplaceFile(const std::string&, const std::string& contents) override {
    m_written = contents;
    return true;
  }
  std::int64_t NowSeconds() override { return 0; }
  std::string LastErrorText() override { return {}; }

  const std::string& Written() const { return m_written; }

 private:
  std::string m_input;
  std::string m_written;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  InputFileEnv env(std::string(reinterpret_cast<const char*>(data), size));
  cmdpredict::ScopedEnv scoped(env);
  CPredictionCommandManager manager;
  manager.LoadCommandsExcludedFromTraining(CMDPREDICT_WIDE("training.txt"));
  manager.LoadCommandsUserExcluded(CMDPREDICT_WIDE("user.txt"));
  manager.SaveCommandsUserExcluded();

  cmdpredict::CommandFlags reread;
  cmdpredict::ReadUserExclusionList(env.Written(), reread);
  if (cmdpredict::FormatUserExclusionList(reread) != env.Written()) std::abort();
  return 0;
}
