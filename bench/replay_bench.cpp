// The host's path end to end: 100,000 command events over 10 environments and 500 distinct
// commands through CPredictionCommandManager::BeforeCommandRun (depth-100 models, kept in memory:
// no model folder, so no file is read or written).
//
//   BM_Replay   events/s (items_per_second), p50 and p99 µs per event. (Peak memory: the tool's
//               `replay --eval` reports it for a real log.)
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <random>
#include <string>
#include <vector>

#include "bench_support.h"
#include "cmdpredict/prediction_command_manager.h"

namespace {

constexpr int kEnvironments = 10;
constexpr std::size_t kEvents = 100000;

struct Event {
  int environment;
  LONG command;
};

// Sessions of 5 to 60 commands, each in one environment (chosen with a skew), each environment
// continuing its own habit-rich stream.
std::vector<Event> MakeEvents() {
  std::vector<std::vector<std::string>> streams;
  for (int e = 0; e < kEnvironments; ++e) {
    streams.push_back(
        cmdpredict::bench::MakeCommandStream(kEvents, 500, static_cast<std::uint32_t>(100 + e)));
  }
  std::vector<std::size_t> next(kEnvironments, 0);
  std::mt19937 random(7);
  std::vector<double> weights;
  for (int e = 1; e <= kEnvironments; ++e) weights.push_back(1.0 / e);
  std::discrete_distribution<int> pickEnvironment(weights.begin(), weights.end());
  std::uniform_int_distribution<int> sessionLength(5, 60);
  std::vector<Event> events;
  while (events.size() < kEvents) {
    const int environment = pickEnvironment(random);
    for (int i = sessionLength(random); i > 0 && events.size() < kEvents; --i) {
      events.push_back({environment, std::stoi(streams[environment][next[environment]++])});
    }
  }
  return events;
}

void BM_Replay(benchmark::State& state) {
  const std::vector<Event> events = MakeEvents();
  std::vector<std::string> names;
  for (int e = 0; e < kEnvironments; ++e) names.push_back("Environment " + std::to_string(e));
  std::vector<double> latencies;
  latencies.reserve(events.size());
  for (auto _ : state) {
    state.PauseTiming();
    auto* manager = new CPredictionCommandManager();
    manager->Initialize(CMDPREDICT_WIDE(""), nullptr, 1, 10);
    latencies.clear();
    state.ResumeTiming();
    for (const Event& event : events) {
      const auto start = std::chrono::steady_clock::now();
      manager->BeforeCommandRun(event.command, nullptr, names[event.environment].c_str(), 0, 0);
      latencies.push_back(
          std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start).count());
    }
    state.PauseTiming();
    delete manager;
    state.ResumeTiming();
  }
  std::sort(latencies.begin(), latencies.end());
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * events.size()));
  state.counters["p50_us"] = latencies[latencies.size() / 2];
  state.counters["p99_us"] = latencies[latencies.size() * 99 / 100];
}
BENCHMARK(BM_Replay)->Unit(benchmark::kSecond)->Iterations(1);

}  // namespace

BENCHMARK_MAIN();
