#include "predict.h"

#include <algorithm>

#include "exit_status.h"
#include "input_file.h"
#include "json_output.h"
#include "model_files.h"
#include "modelmgr/top_predictions.h"
#include "models/contexttree/context_tree_file.h"

namespace cmdpredict::cli {
namespace {

std::string Text(const std::vector<LONG>& history, const RankedCommands& ranked) {
  std::string text = "history";
  for (const LONG command : history) text += " " + std::to_string(command);
  text += history.empty() ? " (none)\n" : "\n";
  for (std::size_t i = 0; i < ranked.size(); ++i) {
    char line[96];
    std::snprintf(line, sizeof line, "%3zu  %11d  %.6f\n", i + 1, ranked[i].first, ranked[i].second);
    text += line;
  }
  return text;
}

std::string Json(const PredictOptions& options, const std::vector<LONG>& history,
                 const RankedCommands& ranked) {
  std::string json = "{\"env\":";
  AppendJsonString(json, options.environment);
  json += ",\"history\":[";
  for (std::size_t i = 0; i < history.size(); ++i) json += (i > 0 ? "," : "") + std::to_string(history[i]);
  json += "],\"predictions\":[";
  for (std::size_t i = 0; i < ranked.size(); ++i) {
    json += (i > 0 ? ",[" : "[") + std::to_string(ranked[i].first) + ",";
    AppendJsonDouble(json, ranked[i].second);
    json += "]";
  }
  return json + "]}\n";
}

}  // namespace

std::vector<LONG> HistoryAfter(const std::vector<LONG>& commands, int history) {
  std::vector<LONG> latest;
  for (const LONG command : commands) {
    if (command != 0 && (latest.empty() || latest.back() != command)) latest.push_back(command);
  }
  const std::size_t keep = history <= 0 ? 0 : std::min(latest.size(), static_cast<std::size_t>(history));
  return std::vector<LONG>(latest.end() - static_cast<std::ptrdiff_t>(keep), latest.end());
}

int Predict(const PredictOptions& options, std::FILE* out) {
  const std::string file = ModelFileOf(ModelFolderOf(options.appData), options.environment);
  std::string text;
  std::string reason;
  if (!ReadInputFile(file, text, reason)) {
    std::fprintf(stderr, "%s: cannot read the model: %s\n", file.c_str(), reason.c_str());
    return kExitFileError;
  }
  Quenmar::Intel::ContextTree tree(kHolderDepth, kHolderHistoryMargin);
  const Quenmar::Intel::TextLoad loaded = Quenmar::Intel::LoadFromText(tree, text);
  if (!loaded.isJson || loaded.severity == Quenmar::Intel::kUnusable) {
    std::fprintf(stderr, "%s: not a usable model file (see cmdpredict inspect)\n", file.c_str());
    return kExitUsageError;
  }
  if (loaded.backUp) {
    std::fprintf(stderr, "cmdpredict: warning: %s: damaged; predicting from what loading it would keep\n",
                 file.c_str());
  }

  const std::vector<LONG> history = HistoryAfter(options.commands, options.history);
  std::vector<std::string> items;
  for (const LONG command : history) items.push_back(std::to_string(command));
  RankedCommands ranked;
  SelectTopPredictions(tree.Predict(items), options.predictions, ranked, {});
  const std::string output = options.json ? Json(options, history, ranked) : Text(history, ranked);
  std::fwrite(output.data(), 1, output.size(), out);
  return kExitOk;
}

}  // namespace cmdpredict::cli
