// Scores a replay: how often the command that was run next stood among the manager's predictions,
// and how long the manager took to handle each command.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "cmdpredict/platform_types.h"

namespace cmdpredict::cli {

class Evaluation {
 public:
  static constexpr int kPositions = 10;
  static constexpr std::array<int, 4> kCutoffs = {1, 3, 5, 10};

  // Counts one event: `positions` holds the commands at positions 0 to 9 of the environment's list
  // just before the command ran (0 where there is none). A hit at k: a non-zero command among the
  // first k positions.
  void AddEvent(LONG command, const std::array<int, kPositions>& positions);
  void AddLatency(double microseconds) { m_latencies.push_back(microseconds); }

  std::size_t Events() const { return m_events; }
  std::size_t Hits(std::size_t cutoffIndex) const { return m_hits[cutoffIndex]; }
  double HitRate(std::size_t cutoffIndex) const;
  // The mean over all events of 1 / (position + 1) of the command, 0 when it was not predicted.
  double MeanReciprocalRank() const;
  // The latency below which the given fraction of the events stay, in microseconds.
  double LatencyPercentile(double fraction) const;

 private:
  std::size_t m_events = 0;
  std::array<std::size_t, kCutoffs.size()> m_hits{};
  double m_reciprocalRankSum = 0.0;
  std::vector<double> m_latencies;
};

// What the replay adds to the scores for the summary.
struct ReplayTotals {
  std::size_t environments = 0;
  double seconds = 0.0;
  std::int64_t modelsWritten = -1;  // -1: models were not saved
  std::string modelFolder;
};

// The summary for people, several lines.
std::string SummaryText(const Evaluation& evaluation, const ReplayTotals& totals);
// The summary as one JSON line: {"summary":{"events":N,"hits":{"1":a,"3":b,"5":c,"10":d},...}}.
std::string SummaryJson(const Evaluation& evaluation, const ReplayTotals& totals);

}  // namespace cmdpredict::cli
