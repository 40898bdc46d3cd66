// The tool's manual page and guide name every option that its --help lists.
#include <gtest/gtest.h>

#include <regex>
#include <set>
#include <string>

#include "tool_runner.h"

namespace cmdpredict::cli {
namespace {

class ToolDocs : public ToolTest {
 protected:
  static std::string Doc(const std::string& name) {
    return ReadWholeFile(std::string(CMDPREDICT_TEST_DATA_DIR) + "/../../docs/" + name);
  }

  std::set<std::string> HelpOptions(const std::string& subcommand) {
    const std::string help = RunTool(subcommand + " --help").out;
    std::set<std::string> options;
    const std::regex option("--[a-z][a-z-]*");
    for (auto match = std::sregex_iterator(help.begin(), help.end(), option); match != std::sregex_iterator();
         ++match) {
      if (match->str() != "--help") options.insert(match->str());
    }
    return options;
  }
};

TEST_F(ToolDocs, NameEveryOptionOfEverySubcommand) {
  const std::string manual = Doc("cmdpredict.1");
  const std::string guide = Doc("replay-tool.md");
  ASSERT_FALSE(manual.empty());
  for (const std::string subcommand : {"replay", "predict", "inspect", "stats"}) {
    EXPECT_NE(manual.find(".B cmdpredict " + subcommand), std::string::npos) << subcommand;
    const std::set<std::string> options = HelpOptions(subcommand);
    EXPECT_FALSE(options.empty()) << subcommand;
    for (const std::string& option : options) {
      SCOPED_TRACE(subcommand + " " + option);
      EXPECT_NE(manual.find(std::regex_replace(option, std::regex("-"), "\\-")), std::string::npos);
      EXPECT_NE(guide.find("`" + option), std::string::npos);
    }
  }
}

}  // namespace
}  // namespace cmdpredict::cli
