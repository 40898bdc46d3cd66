#include "baselines.h"

#include <algorithm>

namespace cmdpredict::cli {

bool CountRanking::Entry::operator<(const Entry& other) const {
  if (count != other.count) return count > other.count;
  return lastTime > other.lastTime;
}

void CountRanking::Count(LONG command, std::uint64_t time) {
  const auto [found, added] = m_entries.try_emplace(command, Entry{0, 0, command});
  if (!added) m_ranked.erase(found->second);
  ++found->second.count;
  found->second.lastTime = time;
  m_ranked.insert(found->second);
}

RankedPositions CountRanking::Top() const {
  RankedPositions positions{};
  auto entry = m_ranked.begin();
  for (std::size_t i = 0; i < kRankedPositions && entry != m_ranked.end(); ++i, ++entry) {
    positions[i] = entry->command;
  }
  return positions;
}

RankedPositions Baselines::Recent() const {
  RankedPositions positions{};
  std::copy(m_recent.begin(), m_recent.end(), positions.begin());
  return positions;
}

RankedPositions Baselines::Transition() const {
  if (!m_hasLast) return RankedPositions{};
  const auto successors = m_successors.find(m_last);
  return successors == m_successors.end() ? RankedPositions{} : successors->second.Top();
}

void Baselines::Learn(LONG command, std::uint64_t time) {
  const auto found = std::find(m_recent.begin(), m_recent.end(), command);
  if (found != m_recent.end()) {
    m_recent.erase(found);
  } else if (m_recent.size() == kRankedPositions) {
    m_recent.pop_back();
  }
  m_recent.insert(m_recent.begin(), command);

  m_frequent.Count(command, time);
  if (m_hasLast) m_successors[m_last].Count(command, time);
  m_hasLast = true;
  m_last = command;
}

}  // namespace cmdpredict::cli
