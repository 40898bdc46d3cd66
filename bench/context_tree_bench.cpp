// Context tree learning and prediction at the holder's depth of 100.
//
//   BM_AddItem             ns per learnt item over a 100,000-item stream of 500 distinct commands
//                          (skewed mix with repeated habits); counters: nodes created, heap bytes
//                          per node (malloc's own accounting, so allocator overhead included).
//   BM_Predict/<length>    µs per Predict with a history of 1 or 10 items, on the tree above.
#include <benchmark/benchmark.h>
#include <malloc.h>

#include <memory>

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

std::size_t HeapInUse() { return mallinfo2().uordblks; }

const std::vector<std::string>& Stream() {
  static const std::vector<std::string> stream = cmdpredict::bench::MakeCommandStream(kStreamLength, kDistinct);
  return stream;
}

const ContextTree& TrainedTree() {
  static const std::unique_ptr<ContextTree> tree = [] {
    auto trained = std::make_unique<ContextTree>(100, 1);
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
  state.counters["ns_per_item"] = benchmark::Counter(static_cast<double>(stream.size()),
                                                     benchmark::Counter::kIsIterationInvariantRate |
                                                         benchmark::Counter::kInvert);
}
BENCHMARK(BM_AddItem)->Unit(benchmark::kMillisecond)->Iterations(2);

void BM_Predict(benchmark::State& state) {
  const ContextTree& tree = TrainedTree();
  const std::vector<std::string>& stream = Stream();
  const auto length = static_cast<std::size_t>(state.range(0));
  // Histories taken from the stream itself, so that their contexts are known to the tree.
  std::size_t position = 1000;
  for (auto _ : state) {
    const std::vector<std::string> history(stream.begin() + static_cast<std::ptrdiff_t>(position - length),
                                           stream.begin() + static_cast<std::ptrdiff_t>(position));
    benchmark::DoNotOptimize(const_cast<ContextTree&>(tree).Predict(history));
    position = position % (stream.size() - 1) + 1 + length;
  }
}
BENCHMARK(BM_Predict)->Arg(1)->Arg(10)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
