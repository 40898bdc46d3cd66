// Context tree learning and prediction at the holder's depth of 100.
//
//   BM_AddItem             ns per learnt item over a 100,000-item stream of 500 distinct commands
//                          (skewed mix with repeated habits); counters: nodes created, heap bytes
//                          per node (malloc's own accounting of small and mapped blocks, so the
//                          overhead of every allocator involved is included).
//   BM_FreeTree            ms to destroy that tree (built outside the clock).
//   BM_PredictInto/<length>  µs per prediction with a history of 1 or 10 items, on the tree above,
//                            into a map that is reused from call to call (the manager's path).
//   BM_Predict/<length>      the same through Predict, which returns a new map each time.
#include <benchmark/benchmark.h>
#include <malloc.h>

#include <memory>
#include <string>
#include <vector>

#include "bench_support.h"
#include "models/contexttree/context_tree.h"

namespace {

using Quenmar::Intel::ContextTree;

constexpr std::size_t kStreamLength = 100000;
constexpr int kDistinct = 500;

std::size_t CountNodes(const ContextTree::Node& node) {
  std::size_t count = 1;
  for (const auto& entry : node.children) count += CountNodes(*entry.second);
  return count;
}

std::size_t HeapInUse() {
  const auto info = mallinfo2();
  return info.uordblks + info.hblkhd;
}

const std::vector<std::string>& Stream() {
  static const std::vector<std::string> stream =
      cmdpredict::bench::MakeCommandStream(kStreamLength, kDistinct);
  return stream;
}

// Built once and never destroyed: tearing down millions of nodes would only slow the exit.
ContextTree& TrainedTree() {
  static ContextTree* const tree = [] {
    auto* trained = new ContextTree(100, 1);
    trained->AddSequence(Stream());
    return trained;
  }();
  return *tree;
}

void BM_AddItem(benchmark::State& state) {
  const std::vector<std::string>& stream = Stream();
  std::size_t nodes = 0;
  double bytesPerNode = 0.0;
  for (auto _ : state) {
    state.PauseTiming();
    const std::size_t heapBefore = HeapInUse();
    auto tree = std::make_unique<ContextTree>(100, 1);
    state.ResumeTiming();
    for (const std::string& item : stream) tree->AddItem(item);
    state.PauseTiming();
    nodes = CountNodes(tree->GetRoot());
    bytesPerNode = static_cast<double>(HeapInUse() - heapBefore) / static_cast<double>(nodes);
    tree.reset();
    state.ResumeTiming();
  }
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * stream.size()));
  state.counters["nodes"] = static_cast<double>(nodes);
  state.counters["bytes_per_node"] = bytesPerNode;
  state.counters["ns_per_item"] =
      benchmark::Counter(static_cast<double>(stream.size()),
                         benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_AddItem)->Unit(benchmark::kMillisecond)->Iterations(2);

void BM_FreeTree(benchmark::State& state) {
  for (auto _ : state) {
    state.PauseTiming();
    auto tree = std::make_unique<ContextTree>(100, 1);
    tree->AddSequence(Stream());
    state.ResumeTiming();
    tree.reset();
  }
}
BENCHMARK(BM_FreeTree)->Unit(benchmark::kMillisecond)->Iterations(2);

// Histories taken from the stream itself, so that their contexts are known to the tree.
template <typename PredictOnce>
void RunPredictions(benchmark::State& state, PredictOnce predictOnce) {
  const std::vector<std::string>& stream = Stream();
  const auto length = static_cast<std::size_t>(state.range(0));
  std::size_t position = 1000;
  for (auto _ : state) {
    const std::vector<std::string> history(stream.begin() + static_cast<std::ptrdiff_t>(position - length),
                                           stream.begin() + static_cast<std::ptrdiff_t>(position));
    predictOnce(history);
    position = position % (stream.size() - 1) + 1 + length;
  }
}

void BM_PredictInto(benchmark::State& state) {
  ContextTree& tree = TrainedTree();
  Quenmar::Intel::PredictionMap predictions;
  RunPredictions(state, [&](const std::vector<std::string>& history) {
    tree.PredictInto(history, predictions);
    benchmark::DoNotOptimize(predictions);
  });
}
BENCHMARK(BM_PredictInto)->Arg(1)->Arg(10)->Unit(benchmark::kMicrosecond);

void BM_Predict(benchmark::State& state) {
  ContextTree& tree = TrainedTree();
  RunPredictions(state, [&](const std::vector<std::string>& history) {
    benchmark::DoNotOptimize(tree.Predict(history));
  });
}
BENCHMARK(BM_Predict)->Arg(1)->Arg(10)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
