// Helpers shared by the tests of the host-facing manager: managers set up the way a host sets them
// up, and short readers of an environment's latest commands and ranked positions.
#pragma once

#include <gtest/gtest.h>

#include <climits>
#include <vector>

#include "cmdpredict/prediction_command_manager.h"

namespace cmdpredict {

using CommandList = std::vector<int>;

// Reports each command in the environment as a host does; the results, in order.
inline std::vector<LONG> RunCommands(CPredictionCommandManager& manager, const char* environment,
                                     const std::vector<LONG>& commands) {
  std::vector<LONG> results;
  for (const LONG c : commands) results.push_back(manager.BeforeCommandRun(c, nullptr, environment, 0, 0));
  return results;
}

// Every latest command of the environment, oldest first.
inline CommandList LatestCommands(const CPredictionCommandManager& manager, const WString& environment) {
  CommandList commands;
  manager.GetCommandsToUseForPrediction(environment, INT_MAX, commands);
  return commands;
}

// The commands at the positions 0 to count - 1 (0 for a position that does not exist).
inline CommandList Commands(const CPredictionCommandManager& manager, const WString& environment, int count) {
  CommandList commands;
  for (int i = 0; i < count; ++i) commands.push_back(manager.GetPredictionCommandID(environment, i));
  return commands;
}

// A manager that keeps its models in memory, as after Initialize without a folder.
class InMemoryManager : public ::testing::Test {
 protected:
  InMemoryManager() { manager.Initialize(CMDPREDICT_WIDE(""), nullptr, 1, 10); }
  CPredictionCommandManager manager;
};

}  // namespace cmdpredict
