#include "evaluation.h"

#include <algorithm>
#include <cstdio>

#include "json_output.h"

namespace cmdpredict::cli {

void Evaluation::AddEvent(LONG command, const std::array<int, kPositions>& positions) {
  ++m_events;
  if (command == 0) return;
  const auto found = std::find(positions.begin(), positions.end(), command);
  if (found == positions.end()) return;
  const auto position = static_cast<int>(found - positions.begin());
  m_reciprocalRankSum += 1.0 / (position + 1);
  for (std::size_t i = 0; i < kCutoffs.size(); ++i) {
    if (position < kCutoffs[i]) ++m_hits[i];
  }
}

double Evaluation::HitRate(std::size_t cutoffIndex) const {
  return m_events == 0 ? 0.0 : static_cast<double>(m_hits[cutoffIndex]) / static_cast<double>(m_events);
}

double Evaluation::MeanReciprocalRank() const {
  return m_events == 0 ? 0.0 : m_reciprocalRankSum / static_cast<double>(m_events);
}

double Evaluation::LatencyPercentile(double fraction) const {
  if (m_latencies.empty()) return 0.0;
  std::vector<double> sorted = m_latencies;
  const auto rank = static_cast<std::size_t>(fraction * static_cast<double>(sorted.size() - 1) + 0.5);
  std::nth_element(sorted.begin(), sorted.begin() + static_cast<std::ptrdiff_t>(rank), sorted.end());
  return sorted[rank];
}

namespace {

std::string Format(const char* format, double value) {
  char text[64];
  std::snprintf(text, sizeof text, format, value);
  return text;
}

}  // namespace

std::string SummaryText(const Evaluation& evaluation, const ReplayTotals& totals) {
  std::string text;
  text += "events              " + std::to_string(evaluation.Events()) + "\n";
  text += "environments        " + std::to_string(totals.environments) + "\n";
  for (std::size_t i = 0; i < Evaluation::kCutoffs.size(); ++i) {
    const std::string label = "hit rate @" + std::to_string(Evaluation::kCutoffs[i]);
    text += label + std::string(20 - label.size(), ' ') + Format("%.1f%%", 100.0 * evaluation.HitRate(i)) + "  (" +
            std::to_string(evaluation.Hits(i)) + ")\n";
  }
  text += "mean reciprocal rank" + Format(" %.4f", evaluation.MeanReciprocalRank()) + "\n";
  text += "latency per command " + Format(" p50 %.1f us", evaluation.LatencyPercentile(0.5)) +
          Format(", p99 %.1f us", evaluation.LatencyPercentile(0.99)) + "\n";
  text += "replay time         " + Format("%.3f s", totals.seconds) + "\n";
  if (totals.modelsWritten < 0) {
    text += "models written      none (--no-save)\n";
  } else {
    text += "models written      " + std::to_string(totals.modelsWritten) + " in " + totals.modelFolder + "\n";
  }
  return text;
}

std::string SummaryJson(const Evaluation& evaluation, const ReplayTotals& totals) {
  std::string json = "{\"summary\":{\"events\":" + std::to_string(evaluation.Events()) + ",\"hits\":{";
  for (std::size_t i = 0; i < Evaluation::kCutoffs.size(); ++i) {
    if (i > 0) json += ",";
    json += "\"" + std::to_string(Evaluation::kCutoffs[i]) + "\":" + std::to_string(evaluation.Hits(i));
  }
  json += "},\"environments\":" + std::to_string(totals.environments) + ",\"mrr\":";
  AppendJsonDouble(json, evaluation.MeanReciprocalRank());
  json += ",\"latency_us\":{\"p50\":";
  AppendJsonDouble(json, evaluation.LatencyPercentile(0.5));
  json += ",\"p99\":";
  AppendJsonDouble(json, evaluation.LatencyPercentile(0.99));
  json += "},\"seconds\":";
  AppendJsonDouble(json, totals.seconds);
  json += ",\"models_written\":" + std::to_string(totals.modelsWritten) + "}}\n";
  return json;
}

}  // namespace cmdpredict::cli
