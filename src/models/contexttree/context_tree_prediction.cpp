// Prediction: blends the next-item distributions of every known context of the history, from the
// empty context up to the longest one that the depth allows, each longer context weighing twice as
// much as the one shorter by one item.
//
// The order of the floating-point operations is fixed, because stored probabilities and rankings
// depend on their exact bits: each distribution is summed in ascending text order; the
// distribution of the empty context comes first, then the found contexts from the longest down to
// length 1, each scaled by its weight and added item by item; then one normalisation summed in
// ascending text order. The work is done on the ranks of the texts (GetTextOrder), which gives the
// same sums as maps keyed by text at a fraction of the cost.
#include <algorithm>
#include <cmath>
#include <cstdint>

#include "models/contexttree/context_tree.h"

namespace Quenmar::Intel {
namespace {

// Contexts longer than this share its weight, so that weights stay finite in single precision.
constexpr int kLongestWeightedContext = 127;

// 2^length in single precision, widened: exact for every length up to the cap.
double ContextWeight(std::size_t length) {
  const int exponent = static_cast<int>(std::min<std::size_t>(length, kLongestWeightedContext));
  return static_cast<double>(std::ldexp(1.0F, exponent));
}

// Scores by rank with a presence mark: an item absent from a map differs from one scored 0.0. The
// two vectors are the caller's, emptied and sized here, so that their memory is reused.
class RankAccumulator {
 public:
  RankAccumulator(std::size_t ranks, std::vector<double>& scores, std::vector<char>& present)
      : m_scores(scores), m_present(present) {
    m_scores.assign(ranks, 0.0);
    m_present.assign(ranks, 0);
  }

  // Adds the incoming score to the item's score, or stores it for an absent item; a result of
  // exactly 0.0 leaves the item absent.
  void Add(int rank, double incoming) {
    const auto r = static_cast<std::size_t>(rank);
    const double merged = m_present[r] ? incoming + m_scores[r] : incoming;
    m_scores[r] = merged;
    m_present[r] = merged != 0.0;
  }

  double Sum() const {
    double sum = 0.0;
    for (std::size_t r = 0; r < m_scores.size(); ++r) {
      if (m_present[r]) sum += m_scores[r];
    }
    return sum;
  }

  bool Present(std::size_t rank) const { return m_present[rank] != 0; }
  double Score(std::size_t rank) const { return m_scores[rank]; }

 private:
  std::vector<double>& m_scores;
  std::vector<char>& m_present;
};

// std::string::compare, written out: the texts of a model are mostly a few bytes long, so a call to
// memcmp for each entry of a prediction map costs more than comparing them here.
int CompareTexts(const std::string& left, const std::string& right) {
  const std::size_t common = std::min(left.size(), right.size());
  for (std::size_t i = 0; i < common; ++i) {
    const auto a = static_cast<unsigned char>(left[i]);
    const auto b = static_cast<unsigned char>(right[i]);
    if (a != b) return a < b ? -1 : 1;
  }
  return left.size() < right.size() ? -1 : (left.size() > right.size() ? 1 : 0);
}

}  // namespace

int ContextTree::TextOrder::RankOf(int code) const {
  return code >= 0 && static_cast<std::size_t>(code) < rankOfCode.size()
             ? rankOfCode[static_cast<std::size_t>(code)]
             : 0;
}

const ContextTree::TextOrder& ContextTree::GetTextOrder() const {
  if (!m_textOrderStale) return m_textOrder;
  static const std::string kEmptyText;
  m_textOrder.rankOfCode.assign(static_cast<std::size_t>(HighestCode() + 1), 0);
  m_textOrder.textOfRank.assign(1, &kEmptyText);
  for (const auto& [text, code] : m_encodings.left) {
    if (text.empty()) continue;  // rank 0
    m_textOrder.rankOfCode[static_cast<std::size_t>(code)] = static_cast<int>(m_textOrder.textOfRank.size());
    m_textOrder.textOfRank.push_back(&text);
  }
  m_textOrderStale = false;
  return m_textOrder;
}

void ContextTree::RankedDistribution(const Node& node, const TextOrder& order,
                                     RankedScores& distribution) const {
  CollectFrequenciesByRank(node, order, distribution);
  double sum = 0.0;
  for (const RankedScore& entry : distribution) sum += entry.score;
  std::size_t kept = 0;
  for (const RankedScore& entry : distribution) {
    const double quotient = entry.score / sum;
    if (quotient != 0.0) distribution[kept++] = {entry.rank, quotient};
  }
  distribution.resize(kept);
}

// The children's frequencies by ascending rank, as if each child's frequency were stored under its
// text in code order: a later child sharing the text (codes without one) overwrites an earlier
// one, and a frequency of 0.0 removes the item.
void ContextTree::CollectFrequenciesByRank(const Node& node, const TextOrder& order,
                                           RankedScores& frequencies) const {
  frequencies.clear();
  const std::size_t ranks = order.textOfRank.size();
  if (node.children.size() * 16 >= ranks) {
    // Many children (the root's, say): place them by rank, which needs no sorting.
    std::vector<double>& byRank = m_buffers.frequencyByRank;
    std::vector<char>& present = m_buffers.frequencyPresent;
    byRank.resize(ranks);
    present.assign(ranks, 0);
    for (const auto& [code, child] : node.children) {
      const auto rank = static_cast<std::size_t>(order.RankOf(code));
      byRank[rank] = child->frequency;
      present[rank] = 1;
    }
    // Written by index rather than pushed: push_back keeps the vector's end in memory, so each
    // entry would wait for the store of the one before.
    frequencies.resize(ranks);
    std::size_t kept = 0;
    for (std::size_t rank = 0; rank < ranks; ++rank) {
      if (present[rank] && byRank[rank] != 0.0) frequencies[kept++] = {static_cast<int>(rank), byRank[rank]};
    }
    frequencies.resize(kept);
    return;
  }
  // Few children: sort them by rank, then by code order.
  std::vector<std::uint64_t>& keys = m_buffers.rankKeys;
  std::vector<double>& values = m_buffers.frequencies;
  keys.clear();
  values.clear();
  for (const auto& [code, child] : node.children) {
    keys.push_back(static_cast<std::uint64_t>(order.RankOf(code)) << 32 | values.size());
    values.push_back(child->frequency);
  }
  std::sort(keys.begin(), keys.end());
  for (std::size_t i = 0; i < keys.size(); ++i) {
    const auto rank = static_cast<int>(keys[i] >> 32);
    if (i + 1 < keys.size() && static_cast<int>(keys[i + 1] >> 32) == rank) continue;  // overwritten
    const double frequency = values[keys[i] & 0xFFFFFFFFU];
    if (frequency != 0.0) frequencies.push_back({rank, frequency});
  }
}

void ContextTree::AssignInTextOrder(const RankedScores& scores, const TextOrder& order, PredictionMap& map) {
  bool inserted = false;
  auto position = map.begin();
  for (const RankedScore& entry : scores) {
    const std::string& text = *order.textOfRank[static_cast<std::size_t>(entry.rank)];
    int comparison = 1;  // of the entry at `position` with the text; 1 past the end
    while (position != map.end() && (comparison = CompareTexts(position->first, text)) < 0) {
      position = map.erase(position);
      comparison = 1;
    }
    if (comparison == 0) {
      (position++)->second = entry.score;
    } else {
      map.emplace_hint(position, text, entry.score);
      inserted = true;
    }
  }
  map.erase(position, map.end());
  // The map is read in full each time its environment is chosen again, by when it has left the
  // cache: entries added one by one lie all over the heap, a copy's lie in the order they are read.
  if (inserted) map = PredictionMap(map.begin(), map.end());
}

PredictionMap ContextTree::GetDistribution(const Node& node) const {
  const TextOrder& order = GetTextOrder();
  RankedScores distribution;
  RankedDistribution(node, order, distribution);
  PredictionMap map;
  AssignInTextOrder(distribution, order, map);
  return map;
}

PredictionMap ContextTree::Predict(const std::vector<std::string>& history) {
  PredictionMap predictions;
  PredictInto(history, predictions);
  return predictions;
}

void ContextTree::PredictInto(const std::vector<std::string>& history, PredictionMap& predictions) {
  const TextOrder& order = GetTextOrder();
  RankAccumulator blended(order.textOfRank.size(), m_buffers.scoreByRank, m_buffers.scorePresent);
  RankedScores& distribution = m_buffers.distribution;
  RankedDistribution(*m_root, order, distribution);
  for (const RankedScore& entry : distribution) blended.Add(entry.rank, entry.score);

  // The longest usable context is depth - 1 items, computed in 32-bit arithmetic from the low 32
  // bits of the depth; a negative limit (depth 0) does not limit the context at all.
  const std::size_t n = history.size();
  const auto limit = static_cast<std::int32_t>(static_cast<std::uint32_t>(m_depth) - 1U);
  const std::size_t longest = limit < 0 ? n : std::min<std::size_t>(static_cast<std::size_t>(limit), n);

  // Codes of the items that contexts are made of; -1 for items the tree has never seen.
  std::vector<int>& codes = m_buffers.contextCodes;
  codes.resize(longest);
  for (std::size_t i = 0; i < longest; ++i) codes[i] = FindCode(history[n - longest + i]);

  for (std::size_t length = longest; length >= 1; --length) {
    const Node* node = m_root.get();
    for (std::size_t i = longest - length; i < longest && node != nullptr; ++i) {
      const auto child = codes[i] == -1 ? node->children.end() : node->children.find(codes[i]);
      node = child == node->children.end() ? nullptr : child->second.get();
    }
    if (node == nullptr) continue;  // an unknown context contributes nothing
    RankedDistribution(*node, order, distribution);
    const double weight = ContextWeight(length);
    for (const RankedScore& entry : distribution) blended.Add(entry.rank, entry.score * weight);
  }

  const double sum = blended.Sum();
  const std::size_t ranks = order.textOfRank.size();
  distribution.resize(ranks);  // written by index, as in CollectFrequenciesByRank
  std::size_t kept = 0;
  for (std::size_t rank = 0; rank < ranks; ++rank) {
    if (!blended.Present(rank)) continue;
    const double quotient = blended.Score(rank) / sum;
    if (quotient != 0.0) distribution[kept++] = {static_cast<int>(rank), quotient};
  }
  distribution.resize(kept);
  AssignInTextOrder(distribution, order, predictions);
}

}  // namespace Quenmar::Intel
