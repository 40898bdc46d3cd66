// The model manager's path after every command: GetPredictions (predict and cache) followed by
// GetTopPredictions (rank the cache, count 10), for one environment whose depth-100 tree learnt a
// 100,000-item stream over 500 distinct commands.
//
//   BM_PredictAndRank/<length>   µs per pair of calls with a history of 1 or 10 commands.
#include <benchmark/benchmark.h>

#include <memory>
#include <string>
#include <vector>

#include "bench_support.h"
#include "modelmgr/prediction_model_manager.h"

namespace {

const cmdpredict::WString kEnvironment = CMDPREDICT_WIDE("E");

std::vector<int> Commands() {
  std::vector<int> commands;
  for (const std::string& item : cmdpredict::bench::MakeCommandStream(100000, 500))
    commands.push_back(std::stoi(item));
  return commands;
}

struct Trained {
  std::vector<int> commands = Commands();
  CPredictionModelManager manager;
  Trained() {
    manager.AddEnvironmentModel(kEnvironment);
    for (const int command : commands) manager.RecordCommand(kEnvironment, command);
  }
};

Trained& TrainedManager() {
  static Trained* trained = new Trained();  // built once; never destroyed, to keep exit quick
  return *trained;
}

void BM_PredictAndRank(benchmark::State& state) {
  Trained& trained = TrainedManager();
  const auto length = static_cast<std::size_t>(state.range(0));
  const std::map<LONG, bool> noExclusions;
  std::size_t position = 1000;
  for (auto _ : state) {
    const std::vector<int> history(trained.commands.begin() + static_cast<std::ptrdiff_t>(position - length),
                                   trained.commands.begin() + static_cast<std::ptrdiff_t>(position));
    trained.manager.GetPredictions(kEnvironment, history);
    RankedCommands ranked;
    trained.manager.GetTopPredictions(kEnvironment, 10, ranked, noExclusions);
    benchmark::DoNotOptimize(ranked.data());
    position = position % (trained.commands.size() - 1) + 1 + length;
  }
}
BENCHMARK(BM_PredictAndRank)->Arg(1)->Arg(10)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
