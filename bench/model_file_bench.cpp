// Saving and loading a context tree file, against the JSON work that each one cannot avoid.
//
// The tree has the holder's depth of 100 and has learnt a 100,000-item stream of 500 distinct
// commands (skewed mix with repeated habits); it holds millions of nodes and is built once.
//
//   BM_SaveLearntTree   seconds per ContextTree::Save of that tree: write the text straight from the
//                       tree into a temporary file as it is made, flush that to the disk, rename it.
//                       The nodes lie in memory in the order they were learnt, far from their parents.
//   BM_FileTextOfLearntTree  seconds per ToFileText of that tree: the walk and the text, without
//                       the file.
//   BM_SaveLoadedTree   the same for the tree loaded from that tree's file, whose nodes lie in file
//                       order: the case of a host that loads its model at start.
//   BM_ToJsonText       seconds per cmdpredict::ToJsonText of the tree's JSON object, the reference
//                       for saving. The object is the one the JSON layer parses from the tree's
//                       file: the same values as ToJson builds, without the spare capacity that
//                       makes ToJson's object several times larger.
//   BM_Load             seconds per ContextTree::Load of the tree's file into a new tree: read the
//                       file, parse it, fill the tree, grade it. The new tree is released outside
//                       the clock.
//   BM_FreeLoadedTree   seconds to destroy a tree loaded from that file (loaded outside the clock):
//                       the release of a model that a host loaded at start.
//   BM_ParseDom         seconds per parse of the same text into a RapidJSON DOM on the C runtime
//                       heap (GenericDocument<UTF8<>, CrtAllocator, CrtAllocator>), released outside
//                       the clock: the reference for BM_Load.
//
// Every figure comes with the file's bytes per second and its size (file_bytes); the ratios of
// saving to ToJsonText and of Load to ParseDom are the ones to watch.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <memory>
#include <string>

#include "bench_support.h"
#include "models/contexttree/context_tree.h"
#include "models/contexttree/context_tree_file.h"
#include "support/json/json_document.h"
#include "support/json/json_text.h"
#include "support/json/rapidjson_config.h"
#include "testing/temp_folder.h"

namespace {

using Quenmar::Intel::ContextTree;

constexpr std::size_t kStreamLength = 100000;
constexpr int kDistinct = 500;
constexpr std::uint64_t kDepth = 100;

ContextTree& LearntTree() {
  static const std::unique_ptr<ContextTree> tree = [] {
    auto learnt = std::make_unique<ContextTree>(kDepth, 1);
    learnt->AddSequence(cmdpredict::bench::MakeCommandStream(kStreamLength, kDistinct));
    return learnt;
  }();
  return *tree;
}

const std::string& TreeText() {
  static const std::string text = *Quenmar::Intel::ToFileText(LearntTree());
  return text;
}

// A folder of this run's own in the system's temporary folder, removed at exit.
const cmdpredict::TempFolder& Folder() {
  static const cmdpredict::TempFolder folder;
  return folder;
}

// The model path under which the learnt tree has been saved.
const std::string& SavedModelPath() {
  static const std::string path = [] {
    const std::string saved = Folder().File("bench") + "-learnt";
    if (!LearntTree().Save(saved)) std::abort();
    return saved;
  }();
  return path;
}

ContextTree& LoadedTree() {
  static const std::unique_ptr<ContextTree> tree = [] {
    auto loaded = std::make_unique<ContextTree>(kDepth, 1);
    if (!loaded->Load(SavedModelPath())) std::abort();
    return loaded;
  }();
  return *tree;
}

void ReportFileBytes(benchmark::State& state) {
  const auto bytes = static_cast<std::int64_t>(TreeText().size());
  state.SetBytesProcessed(state.iterations() * bytes);
  state.counters["file_bytes"] = static_cast<double>(bytes);
}

void Save(benchmark::State& state, ContextTree& tree) {
  for (auto _ : state) {
    if (!tree.Save(Folder().File("bench"))) state.SkipWithError("Save failed");
  }
  ReportFileBytes(state);
}

void BM_SaveLearntTree(benchmark::State& state) { Save(state, LearntTree()); }

void BM_FileTextOfLearntTree(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(Quenmar::Intel::ToFileText(LearntTree()));
  ReportFileBytes(state);
}

void BM_SaveLoadedTree(benchmark::State& state) { Save(state, LoadedTree()); }

void BM_ToJsonText(benchmark::State& state) {
  const cmdpredict::JsonDocumentPtr document = cmdpredict::CreateJsonDocument();
  const cmdpredict::JsonValue& object = *document->Parse(TreeText().c_str());
  for (auto _ : state) benchmark::DoNotOptimize(cmdpredict::ToJsonText(object));
  ReportFileBytes(state);
}

void BM_Load(benchmark::State& state) {
  const std::string& path = SavedModelPath();
  for (auto _ : state) {
    state.PauseTiming();
    auto tree = std::make_unique<ContextTree>(kDepth, 1);
    state.ResumeTiming();
    if (!tree->Load(path)) state.SkipWithError("Load failed");
    state.PauseTiming();
    tree.reset();
    state.ResumeTiming();
  }
  ReportFileBytes(state);
}

void BM_FreeLoadedTree(benchmark::State& state) {
  const std::string& path = SavedModelPath();
  for (auto _ : state) {
    state.PauseTiming();
    auto tree = std::make_unique<ContextTree>(kDepth, 1);
    if (!tree->Load(path)) state.SkipWithError("Load failed");
    state.ResumeTiming();
    tree.reset();
  }
}

void BM_ParseDom(benchmark::State& state) {
  const std::string& text = TreeText();
  for (auto _ : state) {
    state.PauseTiming();
    auto document = std::make_unique<cmdpredict::RapidDocument>();
    state.ResumeTiming();
    document->Parse(text.c_str());
    state.PauseTiming();
    if (document->HasParseError()) state.SkipWithError("parse failed");
    document.reset();
    state.ResumeTiming();
  }
  ReportFileBytes(state);
}

}  // namespace

BENCHMARK(BM_SaveLearntTree)->Unit(benchmark::kSecond)->Iterations(3);
BENCHMARK(BM_FileTextOfLearntTree)->Unit(benchmark::kSecond)->Iterations(3);
BENCHMARK(BM_SaveLoadedTree)->Unit(benchmark::kSecond)->Iterations(3);
BENCHMARK(BM_ToJsonText)->Unit(benchmark::kSecond)->Iterations(3);
BENCHMARK(BM_Load)->Unit(benchmark::kSecond)->Iterations(3);
BENCHMARK(BM_FreeLoadedTree)->Unit(benchmark::kSecond)->Iterations(3);
BENCHMARK(BM_ParseDom)->Unit(benchmark::kSecond)->Iterations(3);

BENCHMARK_MAIN();
