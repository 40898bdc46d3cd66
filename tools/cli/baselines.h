// Three simple predictors of an environment's next command, computed online beside the library so
// that its hit rates can be judged against what a trivial method does on the same events. Each
// ranks at most kRankedPositions commands, never command 0; docs/replay-tool.md defines them.
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <set>
#include <vector>

#include "cmdpredict/platform_types.h"

namespace cmdpredict::cli {

inline constexpr std::size_t kRankedPositions = 10;
// Commands at positions 0 to 9, best first; 0 where there is none.
using RankedPositions = std::array<LONG, kRankedPositions>;

// Commands ranked by how often they were counted, more often first; among equal counts the one
// counted last first.
class CountRanking {
 public:
  // Counts the command once; `time` increases with every call on any ranking.
  void Count(LONG command, std::uint64_t time);
  RankedPositions Top() const;

 private:
  struct Entry {
    std::uint64_t count;
    std::uint64_t lastTime;
    LONG command;
    bool operator<(const Entry& other) const;  // rank order
  };
  std::map<LONG, Entry> m_entries;
  std::set<Entry> m_ranked;
};

// The baselines of one environment: the most recent distinct commands, the most frequent commands
// so far, and the commands that followed the environment's last command most often.
class Baselines {
 public:
  RankedPositions Recent() const;
  RankedPositions Frequent() const { return m_frequent.Top(); }
  RankedPositions Transition() const;

  // Learns a command of the environment (never 0); `time` increases with every event.
  void Learn(LONG command, std::uint64_t time);

 private:
  std::vector<LONG> m_recent;  // most recent first, distinct, at most kRankedPositions
  CountRanking m_frequent;
  std::map<LONG, CountRanking> m_successors;  // by the command they followed
  bool m_hasLast = false;
  LONG m_last = 0;
};

}  // namespace cmdpredict::cli
