// Prediction: blends the next-item distributions of every known context of the history, from the
// empty context up to the longest one that the depth allows, each longer context weighing twice as
// much as the one shorter by one item.
//
// The order of the floating-point operations is fixed, because stored probabilities and rankings
// depend on their exact bits: the distribution of the empty context first, then the found contexts
// from the longest down to length 1, each merged with addition, then one normalisation.
#include <algorithm>
#include <cmath>

#include "models/contexttree/context_tree.h"
#include "models/prediction_map.h"

namespace Quenmar::Intel {
namespace {

// Contexts longer than this share its weight, so that weights stay finite in single precision.
constexpr int kLongestWeightedContext = 127;

// 2^length in single precision, widened: exact for every length up to the cap.
double ContextWeight(std::size_t length) {
  const int exponent = static_cast<int>(std::min<std::size_t>(length, kLongestWeightedContext));
  return static_cast<double>(std::ldexp(1.0F, exponent));
}

double Sum(double incoming, double existing) { return incoming + existing; }

}  // namespace

PredictionMap ContextTree::GetDistribution(const Node& node) const {
  PredictionMap frequencies;
  for (const auto& [code, child] : node.children) SetScore(frequencies, child->GetItemText(), child->frequency);
  return NormalizePredictions(frequencies);
}

PredictionMap ContextTree::Predict(const std::vector<std::string>& history) {
  PredictionMap blended = GetDistribution(*m_root);

  // The longest usable context is depth - 1 items, computed in 32-bit arithmetic from the low 32
  // bits of the depth; a negative limit (depth 0) does not limit the context at all.
  const std::size_t n = history.size();
  const auto limit = static_cast<std::int32_t>(static_cast<std::uint32_t>(m_depth) - 1U);
  const std::size_t longest = limit < 0 ? n : std::min<std::size_t>(static_cast<std::size_t>(limit), n);

  // Codes of the items that contexts are made of; -1 for items the tree has never seen.
  std::vector<int> codes(longest);
  for (std::size_t i = 0; i < longest; ++i) codes[i] = FindCode(history[n - longest + i]);

  for (std::size_t length = longest; length >= 1; --length) {
    const Node* node = m_root.get();
    for (std::size_t i = longest - length; i < longest && node != nullptr; ++i) {
      const auto child = codes[i] == -1 ? node->children.end() : node->children.find(codes[i]);
      node = child == node->children.end() ? nullptr : child->second.get();
    }
    if (node == nullptr) continue;
    PredictionMap distribution = GetDistribution(*node);
    ScalePredictions(distribution, ContextWeight(length));
    MergePredictions(blended, distribution, Sum);
  }
  return NormalizePredictions(blended);
}

}  // namespace Quenmar::Intel
