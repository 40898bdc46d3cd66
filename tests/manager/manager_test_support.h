// Helpers shared by the tests of the host-facing manager: managers set up the way a host sets them
// up, and short readers of an environment's latest commands and ranked positions.
#pragma once

#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <utility>
#include <vector>

#include "cmdpredict/prediction_command_manager.h"
#include "platform/paths.h"
#include "platform/unicode.h"
#include "testing/temp_folder.h"

namespace cmdpredict {

// Reports each command in the environment as a host does; the results, in order.
inline std::vector<LONG> RunCommands(CPredictionCommandManager& manager, const char* environment,
                                     const std::vector<LONG>& commands) {
  std::vector<LONG> results;
  for (const LONG command : commands)
    results.push_back(manager.BeforeCommandRun(command, nullptr, environment, 0, 0));
  return results;
}

// Every latest command of the environment, oldest first.
inline std::vector<int> LatestCommands(const CPredictionCommandManager& manager, const WString& environment) {
  std::vector<int> commands;
  manager.GetCommandsToUseForPrediction(environment, INT_MAX, commands);
  return commands;
}

// The environment's positions as the host reads them: (command, probability) pairs, best first.
inline std::vector<std::pair<LONG, double>> Positions(CPredictionCommandManager& manager,
                                                      const char* environment) {
  std::vector<PredictionCommandManagerPredictionData> records;
  manager.GetPredictionCommandIDs(environment, records);
  std::vector<std::pair<LONG, double>> positions;
  for (const auto& record : records) positions.emplace_back(record.commandId, record.probability);
  return positions;
}

// The commands at the positions 0 to count - 1 (0 for a position that does not exist).
inline std::vector<int> Commands(const CPredictionCommandManager& manager, const WString& environment,
                                 int count) {
  std::vector<int> commands;
  for (int index = 0; index < count; ++index)
    commands.push_back(manager.GetPredictionCommandID(environment, index));
  return commands;
}

// Reads positions 0 to count - 1 the way that clears their flags; true for each that was flagged.
inline std::vector<bool> TakeUpdatedFlags(CPredictionCommandManager& manager, const WString& environment,
                                          int count) {
  std::vector<bool> flags;
  for (int index = 0; index < count; ++index) {
    int command = -1;
    flags.push_back(manager.GetPredictionCommandIDIfUpdated(environment, index, command));
  }
  return flags;
}

// A manager that keeps its models in memory, as after Initialize without a folder.
class InMemoryManager : public ::testing::Test {
 protected:
  InMemoryManager() { manager.Initialize(u"", nullptr, 1, 10); }

  CPredictionCommandManager manager;
};

// A model folder in which the environment "E" has learnt 5, 7, 5, 9, 5, 7, 5, 9, 5, 7 (so it
// predicts 5, 7 and 9 with 0.5, 0.3 and 0.2 for an empty history), and a new manager on it.
class ManagerWithSavedModel : public ::testing::Test {
 protected:
  ManagerWithSavedModel() {
    CPredictionCommandManager trainer;
    trainer.Initialize(u"", appDataFolder.c_str(), 1, 10);
    RunCommands(trainer, "E", {5, 7, 5, 9, 5, 7, 5, 9, 5, 7});
    trainer.BeforeQuit();
    manager.Initialize(u"", appDataFolder.c_str(), 1, 10);
  }

  TempFolder folder;
  // With a trailing separator, so that the model folder lies inside the temporary folder.
  const WString appDataFolder = Utf8ToWide(folder.Path() + kPathSeparator);
  CPredictionCommandManager manager;
};

}  // namespace cmdpredict
