#include "evaluation.h"

#include <algorithm>

namespace cmdpredict::cli {
namespace {

// 1 / (p + 1) for every position p below kRankedPositions is a whole number of units of 1/2520.
constexpr std::uint64_t kReciprocalUnits = 2520;

}  // namespace

void Scores::Add(LONG command, const RankedPositions& positions) {
  ++m_events;
  if (command == 0) return;
  const auto found = std::find(positions.begin(), positions.end(), command);
  if (found != positions.end()) ++m_hitsAt[static_cast<std::size_t>(found - positions.begin())];
}

std::size_t Scores::Hits(std::size_t cutoffIndex) const {
  const auto end = m_hitsAt.begin() + kCutoffs[cutoffIndex];
  std::size_t hits = 0;
  for (auto at = m_hitsAt.begin(); at != end; ++at) hits += *at;
  return hits;
}

double Scores::HitRate(std::size_t cutoffIndex) const {
  return m_events == 0 ? 0.0 : static_cast<double>(Hits(cutoffIndex)) / static_cast<double>(m_events);
}

double Scores::MeanReciprocalRank() const {
  if (m_events == 0) return 0.0;
  std::uint64_t units = 0;
  for (std::size_t p = 0; p < kRankedPositions; ++p) units += m_hitsAt[p] * (kReciprocalUnits / (p + 1));
  return static_cast<double>(units) / (static_cast<double>(kReciprocalUnits) * static_cast<double>(m_events));
}

const char* PredictorName(Predictor predictor) {
  static constexpr const char* kNames[kPredictorCount] = {"cmdpredict", "recent", "frequent", "transition"};
  return kNames[predictor];
}

Evaluation::Evaluation(std::size_t environments) : m_environments(environments), m_states(environments) {}

void Evaluation::AddEvent(std::uint32_t environment, LONG command, const RankedPositions& libraryPositions) {
  EnvironmentState& state = m_states[environment];
  const std::array<RankedPositions, kPredictorCount> positions = {
      libraryPositions, state.baselines.Recent(), state.baselines.Frequent(), state.baselines.Transition()};
  const bool repeat = state.seen && state.previousCommand == command;
  for (ScoreTable* table : {&m_total, &m_environments[environment]}) {
    for (std::size_t p = 0; p < kPredictorCount; ++p) {
      table->all[p].Add(command, positions[p]);
      if (!repeat) table->nonRepeat[p].Add(command, positions[p]);
    }
  }
  state.seen = true;
  state.previousCommand = command;
  if (command != 0) state.baselines.Learn(command, ++m_time);
}

double Evaluation::LatencyPercentile(double fraction) const {
  if (m_latencies.empty()) return 0.0;
  std::vector<double> sorted = m_latencies;
  const auto rank = static_cast<std::size_t>(fraction * static_cast<double>(sorted.size() - 1) + 0.5);
  std::nth_element(sorted.begin(), sorted.begin() + static_cast<std::ptrdiff_t>(rank), sorted.end());
  return sorted[rank];
}

double Evaluation::LatencyMax() const {
  return m_latencies.empty() ? 0.0 : *std::max_element(m_latencies.begin(), m_latencies.end());
}

}  // namespace cmdpredict::cli
