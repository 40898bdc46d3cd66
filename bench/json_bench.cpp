// Reading and writing a context-tree model file of about 20 MB through the JSON layer, side by side
// with RapidJSON's own DOM on the same text. Every figure is MB/s of JSON text (SetBytesProcessed).
//
//   JsonLayer/Parse          CreateJsonDocument, Parse, DestroyJsonDocument: what loading a model costs.
//   RapidJson/Parse          rapidjson::Document (default MemoryPoolAllocator) Parse and destruction.
//   JsonLayer/Destroy        destroying the parsed value alone (heap values, torn down without recursion).
//   RapidJson/DestroyCrt     the same value destroyed by RapidJSON's recursive destructor.
//   JsonLayer/ToJsonText     writing the parsed value as compact text into a std::string.
//   RapidJson/Write          rapidjson::Writer over a StringBuffer, from the rapidjson::Document.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <iterator>
#include <random>
#include <string>
#include <utility>

#include "support/json/json_document.h"
#include "support/json/json_text.h"
#include "support/json/rapidjson_config.h"

namespace cmdpredict::bench {
namespace {

constexpr std::size_t kModelTextBytes = 20u << 20;

// Appends one node {"i":item,"f":frequency,"c":[...]} whose children thin out with depth, as a
// context tree's do: many short contexts, few long ones.
void AppendNode(std::string& text, std::mt19937& random, int item, int level) {
  static const int kChildrenPerLevel[] = {400, 24, 10, 5, 2};
  text += "{\"i\":" + std::to_string(item) + ",\"f\":";
  text += std::to_string(std::uniform_int_distribution<int>(1, 5000 >> level)(random)) +
          (level % 2 ? ".5" : ".0");
  text += ",\"c\":[";
  if (level < static_cast<int>(std::size(kChildrenPerLevel))) {
    const int children = std::uniform_int_distribution<int>(1, kChildrenPerLevel[level])(random);
    for (int child = 0; child < children; ++child) {
      if (child > 0) text += ',';
      AppendNode(text, random, std::uniform_int_distribution<int>(1, 999)(random), level + 1);
    }
  }
  text += "]}";
}

// A model file of at least kModelTextBytes: roots' subtrees are added until it is large enough,
// then the header fields and 1,000 encodings follow.
std::string MakeModelText() {
  std::mt19937 random(42);
  std::string text = "{\"i\":0,\"f\":0.0,\"c\":[";
  for (int subtree = 0; text.size() < kModelTextBytes; ++subtree) {
    if (subtree > 0) text += ',';
    AppendNode(text, random, subtree % 1000, 1);
  }
  text +=
      "],\"schema\":\"concise\",\"version\":\"1.0\",\"release\":\"221.0.0.0\",\"d\":5,\"encodings\":[\"\"";
  for (int code = 1; code < 1000; ++code) text += ",\"" + std::to_string(100 + code) + "\"";
  return text + "]}";
}

const std::string& ModelText() {
  static const std::string text = MakeModelText();
  return text;
}

void SetThroughput(benchmark::State& state) {
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * ModelText().size()));
}

JsonValue ParseModel() {
  JsonDocumentPtr document = CreateJsonDocument();
  return std::move(*document->Parse(ModelText().c_str()));
}

void JsonLayerParse(benchmark::State& state) {
  for (auto _ : state) {
    JsonDocumentPtr document = CreateJsonDocument();
    benchmark::DoNotOptimize(document->Parse(ModelText().c_str()));
  }
  SetThroughput(state);
}

void RapidJsonParse(benchmark::State& state) {
  for (auto _ : state) {
    rapidjson::Document document;
    document.Parse(ModelText().c_str());
    benchmark::DoNotOptimize(document.IsObject());
  }
  SetThroughput(state);
}

void JsonLayerDestroy(benchmark::State& state) {
  for (auto _ : state) {
    state.PauseTiming();
    JsonValue value = ParseModel();
    state.ResumeTiming();
    value = JsonValue();
  }
  SetThroughput(state);
}

void RapidJsonDestroyCrt(benchmark::State& state) {
  for (auto _ : state) {
    state.PauseTiming();
    JsonValue parsed = ParseModel();
    auto* value = new RapidValue(std::move(parsed.Rapid()));
    state.ResumeTiming();
    delete value;
  }
  SetThroughput(state);
}

void JsonLayerToJsonText(benchmark::State& state) {
  const JsonValue value = ParseModel();
  for (auto _ : state) benchmark::DoNotOptimize(ToJsonText(value));
  SetThroughput(state);
}

void RapidJsonWrite(benchmark::State& state) {
  rapidjson::Document document;
  document.Parse(ModelText().c_str());
  for (auto _ : state) {
    rapidjson::StringBuffer buffer;
    rapidjson::Writer<rapidjson::StringBuffer> writer(buffer);
    document.Accept(writer);
    benchmark::DoNotOptimize(buffer.GetString());
  }
  SetThroughput(state);
}

BENCHMARK(JsonLayerParse)->Name("JsonLayer/Parse")->Unit(benchmark::kMillisecond);
BENCHMARK(RapidJsonParse)->Name("RapidJson/Parse")->Unit(benchmark::kMillisecond);
BENCHMARK(JsonLayerDestroy)->Name("JsonLayer/Destroy")->Unit(benchmark::kMillisecond);
BENCHMARK(RapidJsonDestroyCrt)->Name("RapidJson/DestroyCrt")->Unit(benchmark::kMillisecond);
BENCHMARK(JsonLayerToJsonText)->Name("JsonLayer/ToJsonText")->Unit(benchmark::kMillisecond);
BENCHMARK(RapidJsonWrite)->Name("RapidJson/Write")->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace cmdpredict::bench

BENCHMARK_MAIN();
