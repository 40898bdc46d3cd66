// Scores a replay: how often the command that was run next stood among a predictor's first ten
// commands, over all events and over the events that do not repeat the previous command of their
// environment, for the library and for the baselines; and how long the manager took per command.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "baselines.h"
#include "cmdpredict/platform_types.h"

namespace cmdpredict::cli {

// The hits of one predictor over a set of events.
class Scores {
 public:
  static constexpr std::array<int, 4> kCutoffs = {1, 3, 5, 10};

  // Counts one event: a hit at position p when the command is non-zero and stands at p.
  void Add(LONG command, const RankedPositions& positions);

  std::size_t Events() const { return m_events; }
  std::size_t Hits(std::size_t cutoffIndex) const;
  // Hits / events, one division; 0 without events.
  double HitRate(std::size_t cutoffIndex) const;
  // The mean over the events of 1 / (position + 1), 0 for a miss. Summed exactly (in units of
  // 1/2520, which every 1/(p + 1) up to position 9 is a whole multiple of) and divided once, so
  // that it does not depend on the order of the events.
  double MeanReciprocalRank() const;

 private:
  std::size_t m_events = 0;
  std::array<std::size_t, kRankedPositions> m_hitsAt{};  // hits at each position
};

enum Predictor : std::size_t { kLibrary, kRecent, kFrequent, kTransition, kPredictorCount };
// "cmdpredict", "recent", "frequent", "transition".
const char* PredictorName(Predictor predictor);

// The scores of every predictor over all events and over the non-repeat events.
struct ScoreTable {
  std::array<Scores, kPredictorCount> all;
  std::array<Scores, kPredictorCount> nonRepeat;
};

class Evaluation {
 public:
  explicit Evaluation(std::size_t environments);

  // Scores the event against the library's positions and the baselines' rankings, then lets the
  // baselines learn it.
  void AddEvent(std::uint32_t environment, LONG command, const RankedPositions& libraryPositions);
  void AddLatency(double microseconds) { m_latencies.push_back(microseconds); }

  const ScoreTable& Total() const { return m_total; }
  const ScoreTable& Environment(std::size_t environment) const { return m_environments[environment]; }
  // The latency below which the given fraction of the events stay (nearest rank), in microseconds.
  double LatencyPercentile(double fraction) const;
  double LatencyMax() const;

 private:
  struct EnvironmentState {
    Baselines baselines;
    bool seen = false;
    LONG previousCommand = 0;
  };

  ScoreTable m_total;
  std::vector<ScoreTable> m_environments;
  std::vector<EnvironmentState> m_states;
  std::uint64_t m_time = 0;
  std::vector<double> m_latencies;
};

}  // namespace cmdpredict::cli
