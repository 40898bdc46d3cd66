#include "eval_report.h"

#include <cstdio>

#include "json_output.h"

namespace cmdpredict::cli {
namespace {

std::string Format(const char* format, double value) {
  char text[64];
  std::snprintf(text, sizeof text, format, value);
  return text;
}

std::string Padded(std::string text, std::size_t width) {
  if (text.size() < width) text.append(width - text.size(), ' ');
  return text;
}

std::uint64_t TotalModelBytes(const ReplayTotals& totals) {
  std::uint64_t bytes = 0;
  for (const std::int64_t size : totals.modelBytes) bytes += size > 0 ? static_cast<std::uint64_t>(size) : 0;
  return bytes;
}

std::string ScoreColumns(const Scores& scores) {
  std::string text;
  for (std::size_t i = 0; i < Scores::kCutoffs.size(); ++i)
    text += Padded(Format("%.1f%%", 100.0 * scores.HitRate(i)), 7);
  return text + Format("%.4f", scores.MeanReciprocalRank());
}

std::string TableText(const ScoreTable& table) {
  std::string text = Padded("", 20) + Padded("all events", 40) + "non-repeat events\n";
  text += Padded("predictor", 20) + "@1     @3     @5     @10    MRR      @1     @3     @5     @10    MRR\n";
  for (std::size_t p = 0; p < kPredictorCount; ++p) {
    text += Padded(PredictorName(static_cast<Predictor>(p)), 20) + ScoreColumns(table.all[p]) + "   " +
            ScoreColumns(table.nonRepeat[p]) + "\n";
  }
  return text;
}

std::string EventsText(const ScoreTable& table) {
  return std::to_string(table.all[kLibrary].Events()) + " (" +
         std::to_string(table.nonRepeat[kLibrary].Events()) + " not repeating the previous command)\n";
}

void AppendHits(std::string& json, const Scores& scores) {
  json += "{";
  for (std::size_t i = 0; i < Scores::kCutoffs.size(); ++i) {
    if (i > 0) json += ",";
    json += "\"" + std::to_string(Scores::kCutoffs[i]) + "\":" + std::to_string(scores.Hits(i));
  }
  json += "}";
}

void AppendScores(std::string& json, const Scores& scores) {
  json += "{\"events\":" + std::to_string(scores.Events()) + ",\"hits\":";
  AppendHits(json, scores);
  json += ",\"hit_rate\":{";
  for (std::size_t i = 0; i < Scores::kCutoffs.size(); ++i) {
    if (i > 0) json += ",";
    json += "\"" + std::to_string(Scores::kCutoffs[i]) + "\":";
    AppendJsonDouble(json, scores.HitRate(i));
  }
  json += "},\"mrr\":";
  AppendJsonDouble(json, scores.MeanReciprocalRank());
  json += "}";
}

// {"all":{"cmdpredict":{...},...},"non_repeat":{...}}
void AppendTable(std::string& json, const ScoreTable& table) {
  for (const auto& [name, scores] :
       {std::pair{"{\"all\":{", &table.all}, std::pair{",\"non_repeat\":{", &table.nonRepeat}}) {
    json += name;
    for (std::size_t p = 0; p < kPredictorCount; ++p) {
      json += std::string(p > 0 ? "," : "") + "\"" + PredictorName(static_cast<Predictor>(p)) + "\":";
      AppendScores(json, (*scores)[p]);
    }
    json += "}";
  }
  json += "}";
}

}  // namespace

std::string SummaryText(const Evaluation& evaluation, const ReplayTotals& totals) {
  const ScoreTable& total = evaluation.Total();
  std::string text = "events              " + EventsText(total);
  text += "environments        " + std::to_string(totals.environments.size()) + "\n";
  text += TableText(total);
  text += "latency per command " + Format(" p50 %.1f us", evaluation.LatencyPercentile(0.5)) +
          Format(", p99 %.1f us", evaluation.LatencyPercentile(0.99)) +
          Format(", max %.1f us", evaluation.LatencyMax()) + "\n";
  text += "replay time         " + Format("%.3f s", totals.seconds) + "\n";
  if (totals.modelsWritten < 0) {
    text += "models written      none (--no-save)\n";
  } else {
    text += "models written      " + std::to_string(totals.modelsWritten) + " in " + totals.modelFolder +
            " (" + std::to_string(TotalModelBytes(totals)) + " bytes)\n";
  }
  text +=
      "peak memory         " + Format("%.1f MB", static_cast<double>(totals.peakMemoryBytes) / 1e6) + "\n";
  if (!totals.perEnvironment) return text;
  for (std::size_t e = 0; e < totals.environments.size(); ++e) {
    std::string name;
    AppendJsonString(name, totals.environments[e]);
    text += "\nenvironment " + name + ": " + EventsText(evaluation.Environment(e));
    if (!totals.modelBytes.empty() && totals.modelBytes[e] >= 0) {
      text += "model file          " + std::to_string(totals.modelBytes[e]) + " bytes\n";
    }
    text += TableText(evaluation.Environment(e));
  }
  return text;
}

std::string SummaryJson(const Evaluation& evaluation, const ReplayTotals& totals) {
  const ScoreTable& total = evaluation.Total();
  const Scores& library = total.all[kLibrary];
  std::string json = "{\"summary\":{\"events\":" + std::to_string(library.Events()) + ",\"hits\":";
  AppendHits(json, library);
  json += ",\"environments\":" + std::to_string(totals.environments.size()) + ",\"mrr\":";
  AppendJsonDouble(json, library.MeanReciprocalRank());
  json += ",\"latency_us\":{\"p50\":";
  AppendJsonDouble(json, evaluation.LatencyPercentile(0.5));
  json += ",\"p99\":";
  AppendJsonDouble(json, evaluation.LatencyPercentile(0.99));
  json += ",\"max\":";
  AppendJsonDouble(json, evaluation.LatencyMax());
  json += "},\"seconds\":";
  AppendJsonDouble(json, totals.seconds);
  json += ",\"models_written\":" + std::to_string(totals.modelsWritten);
  json += ",\"model_bytes\":" + std::to_string(TotalModelBytes(totals));
  json += ",\"peak_memory_bytes\":" + std::to_string(totals.peakMemoryBytes);
  json += ",\"non_repeat_events\":" + std::to_string(total.nonRepeat[kLibrary].Events()) + ",\"scores\":";
  AppendTable(json, total);
  if (totals.perEnvironment) {
    json += ",\"per_env\":[";
    for (std::size_t e = 0; e < totals.environments.size(); ++e) {
      json += e > 0 ? ",{\"env\":" : "{\"env\":";
      AppendJsonString(json, totals.environments[e]);
      json += ",\"model_bytes\":" + std::to_string(totals.modelBytes.empty() ? -1 : totals.modelBytes[e]);
      json += ",\"scores\":";
      AppendTable(json, evaluation.Environment(e));
      json += "}";
    }
    json += "]";
  }
  return json + "}}\n";
}

}  // namespace cmdpredict::cli
