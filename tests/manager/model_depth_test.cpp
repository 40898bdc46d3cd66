// The model depth option of the manager: its range, and that history + 1 predicts as 100 does.
#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "manager/manager_test_support.h"
#include "platform/unicode.h"

namespace cmdpredict {
namespace {

TEST(ModelDepth, Is100UntilSet) { EXPECT_EQ(CPredictionCommandManager().GetModelDepth(), 100); }

TEST(ModelDepth, AcceptsEachDepthFrom1To128) {
  for (const int depth : {1, 128}) {
    CPredictionCommandManager manager;
    EXPECT_EQ(manager.SetModelDepth(depth), S_OK) << depth;
    EXPECT_EQ(manager.GetModelDepth(), depth);
  }
}

TEST(ModelDepth, RefusesADepthOutside1To128WithoutChange) {
  for (const int depth : {0, -1, 129}) {
    CPredictionCommandManager manager;
    manager.SetModelDepth(7);
    EXPECT_EQ(manager.SetModelDepth(depth), E_INVALIDARG) << depth;
    EXPECT_EQ(manager.GetModelDepth(), 7) << depth;
  }
}

// One host event: a command in an environment, or the take-back of the environment's last one.
struct Event {
  const char* environment;
  LONG command;  // 0: take the last command back
};

// Commands of three environments drawn with a skewed mix and interrupted by habits (fixed runs of
// 3 to 8 commands), with a take-back now and then but never two in a row: a run of take-backs
// longer than 1 + the history margin misses the deepest run, which a lean model reads.
std::vector<Event> MakeEvents(std::uint32_t seed, std::size_t count) {
  std::mt19937 random(seed);
  std::vector<double> weights;
  for (int rank = 1; rank <= 40; ++rank) weights.push_back(1.0 / rank);
  std::discrete_distribution<LONG> pick(weights.begin(), weights.end());
  std::vector<std::vector<LONG>> habits(8);
  for (auto& habit : habits) {
    habit.resize(std::uniform_int_distribution<std::size_t>(3, 8)(random));
    for (LONG& command : habit) command = 100 + pick(random);
  }
  const char* const environments[] = {"A", "B", "C"};
  bool tookBack[] = {false, false, false};  // whether the environment's last event was a take-back
  std::vector<Event> events;
  while (events.size() < count) {
    const std::size_t e = random() % 3;
    tookBack[e] = random() % 30 == 0 && !tookBack[e];
    if (tookBack[e]) {
      events.push_back({environments[e], 0});
    } else if (random() % 20 == 0) {
      for (const LONG command : habits[random() % habits.size()])
        events.push_back({environments[e], command});
    } else {
      events.push_back({environments[e], 100 + pick(random)});
    }
  }
  return events;
}

// The whole ranked list of the environment (probabilities compared exactly).
std::vector<std::pair<int, double>> RankedList(CPredictionCommandManager& manager, const char* environment) {
  std::vector<PredictionCommandManagerPredictionData> predictions;
  manager.GetPredictionCommandIDs(environment, predictions);
  std::vector<std::pair<int, double>> list;
  for (const auto& p : predictions) list.emplace_back(p.commandId, p.probability);
  return list;
}

TEST(ModelDepth, HistoryPlusOnePredictsBitForBitWhatDepth100Predicts) {
  for (const int history : {1, 3, 10}) {
    SCOPED_TRACE(::testing::Message() << "history " << history);
    CPredictionCommandManager lean;
    ASSERT_EQ(lean.SetModelDepth(history + 1), S_OK);  // before Initialize: kept for the models to come
    CPredictionCommandManager deep;
    for (CPredictionCommandManager* manager : {&lean, &deep}) {
      manager->Initialize(CMDPREDICT_WIDE(""), nullptr, history, 10);
      manager->SetNumberOfPredictionCommands(0);  // every prediction
    }
    const std::vector<Event> events = MakeEvents(static_cast<std::uint32_t>(history), 1500);
    for (std::size_t i = 0; i < events.size(); ++i) {
      const Event& event = events[i];
      for (CPredictionCommandManager* manager : {&lean, &deep}) {
        if (event.command == 0) {
          manager->RemoveTrainingSequenceCommand(Utf8ToWide(event.environment));
        } else {
          manager->BeforeCommandRun(event.command, nullptr, event.environment, 0, 0);
        }
      }
      ASSERT_EQ(RankedList(lean, event.environment), RankedList(deep, event.environment)) << "event " << i;
    }
  }
}

}  // namespace
}  // namespace cmdpredict
