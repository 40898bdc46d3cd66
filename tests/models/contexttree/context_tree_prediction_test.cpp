#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <list>
#include <map>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "models/contexttree/context_tree.h"

namespace Quenmar::Intel {
namespace {

using Items = std::vector<std::string>;

// A tiny reference that counts runs directly from the learnt sequences and blends their
// distributions with the documented arithmetic, for comparing bits with the tree.
class ReferencePredictor {
 public:
  explicit ReferencePredictor(std::size_t depth) : m_depth(depth) {}

  void Learn(const Items& sequence) {
    for (std::size_t end = 0; end < sequence.size(); ++end) {
      for (std::size_t length = 1; length <= std::min(m_depth, end + 1); ++length) {
        const Items run(sequence.begin() + static_cast<std::ptrdiff_t>(end + 1 - length),
                      sequence.begin() + static_cast<std::ptrdiff_t>(end + 1));
        m_known.insert(run);
        m_followers[Items(run.begin(), run.end() - 1)][run.back()] += 1.0;
      }
    }
  }

  PredictionMap Predict(const Items& history) const {
    PredictionMap blended = Distribution({});
    const std::size_t n = history.size();
    const std::size_t longest = m_depth == 0 ? n : std::min(m_depth - 1, n);
    for (std::size_t length = longest; length >= 1; --length) {
      const Items context(history.end() - static_cast<std::ptrdiff_t>(length), history.end());
      if (m_known.count(context) == 0) continue;
      const double weight = std::ldexp(1.0, static_cast<int>(std::min<std::size_t>(length, 127)));
      for (const auto& [item, probability] : Distribution(context)) {
        const auto existing = blended.find(item);
        if (existing == blended.end()) {
          blended[item] = probability * weight;
        } else {
          existing->second = probability * weight + existing->second;
        }
      }
    }
    return Normalized(blended);
  }

 private:
  PredictionMap Distribution(const Items& context) const {
    const auto found = m_followers.find(context);
    return found == m_followers.end() ? PredictionMap() : Normalized(found->second);
  }

  static PredictionMap Normalized(const PredictionMap& scores) {
    double sum = 0.0;
    for (const auto& entry : scores) sum += entry.second;
    PredictionMap result;
    for (const auto& [item, score] : scores) result[item] = score / sum;
    return result;
  }

  std::size_t m_depth;
  std::set<Items> m_known;                        // every run learnt
  std::map<Items, PredictionMap> m_followers;     // run -> next item -> count
};

class PredictingAfterABA : public ::testing::Test {
 protected:
  PredictingAfterABA() { tree.AddSequence({"a", "b", "a"}); }
  ContextTree tree{2, 1};
};

TEST_F(PredictingAfterABA, PredictsTheSingleItemDistributionForAnEmptyHistory) {
  EXPECT_EQ(tree.Predict(Items{}), (PredictionMap{{"a", 2.0 / 3.0}, {"b", 1.0 / 3.0}}));
}

TEST_F(PredictingAfterABA, WeighsAKnownContextTwiceAsMuchAsTheEmptyOne) {
  EXPECT_EQ(tree.Predict(Items{"b"}), (PredictionMap{{"a", 8.0 / 9.0}, {"b", 1.0 / 9.0}}));
  // Only the last depth - 1 = 1 item is used.
  EXPECT_EQ(tree.Predict(Items{"a", "b"}), (PredictionMap{{"a", 8.0 / 9.0}, {"b", 1.0 / 9.0}}));
}

TEST_F(PredictingAfterABA, SkipsContextsMadeOfUnknownItems) {
  EXPECT_EQ(tree.Predict(Items{"c"}), tree.Predict(Items{}));
  EXPECT_EQ(tree.Predict(Items{""}), tree.Predict(Items{}));
  EXPECT_FALSE(tree.HasItem("c"));
}

TEST_F(PredictingAfterABA, ListAndVectorHistoriesAnswerAlike) {
  EXPECT_EQ(tree.Predict(std::list<std::string>{"b"}), tree.Predict(Items{"b"}));
  EXPECT_EQ(tree.Predict(std::list<std::string>{}), tree.Predict(Items{}));
}

TEST_F(PredictingAfterABA, PredictionLeavesTheTreeUntouched) {
  const std::list<ContextTree::Node*> before = tree.GetHistory();
  tree.Predict(Items{"x", "b"});
  EXPECT_EQ(tree.GetHistory(), before);
  EXPECT_EQ(tree.HighestCode(), 2);
}

TEST_F(PredictingAfterABA, LeavesOutChildrenWhoseCountWasTakenBack) {
  tree.RemoveLastItem();  // (b, a) drops to 0.0: b's only child no longer contributes
  EXPECT_EQ(tree.Predict(Items{"b"}), (PredictionMap{{"a", 0.5}, {"b", 0.5}}));
}

TEST(ContextTreePrediction, NewTreePredictsNothing) {
  ContextTree tree(100, 1);
  EXPECT_TRUE(tree.Predict(Items{}).empty());
  EXPECT_TRUE(tree.Predict(Items{"1", "2"}).empty());
}

TEST(ContextTreePrediction, DepthOneUsesNoContext) {
  ContextTree tree(1, 1);
  tree.AddSequence({"a", "b", "a", "a"});
  EXPECT_EQ(tree.Predict(Items{"a"}), (PredictionMap{{"a", 0.75}, {"b", 0.25}}));
}

TEST(ContextTreePrediction, DepthZeroPredictsNothing) {
  ContextTree tree(0, 1);
  tree.AddSequence({"a", "b"});
  EXPECT_TRUE(tree.Predict(Items{"a", "b"}).empty());
}

TEST(ContextTreePrediction, ChildrenWithoutTextShareTheEmptyTextAndTheHighestCodeDecides) {
  ContextTree tree(2, 1);
  tree.Clear();
  tree.SetDepth(2);
  tree.AddEncoding("", 0);
  tree.AddEncoding("x", 1);
  ContextTree::Node& root = tree.GetRoot();
  root.GetOrAddChild(1)->frequency = 4.0;
  root.GetOrAddChild(5)->frequency = 1.0;
  root.GetOrAddChild(6)->frequency = 3.0;
  EXPECT_EQ(tree.Predict(Items{}), (PredictionMap{{"", 3.0 / 7.0}, {"x", 4.0 / 7.0}}));
}

// The same rule for a node with few children among many codes.
TEST(ContextTreePrediction, ChildrenWithoutTextOfASmallNodeShareTheEmptyText) {
  ContextTree tree(2, 1);
  tree.Clear();
  tree.SetDepth(2);
  for (int code = 0; code < 100; ++code) tree.AddEncoding(std::to_string(code), code);
  ContextTree::Node& root = tree.GetRoot();
  root.GetOrAddChild(150)->frequency = 2.0;
  root.GetOrAddChild(160)->frequency = 0.0;  // the later child without text removes ""
  root.GetOrAddChild(7)->frequency = 1.0;
  EXPECT_EQ(tree.GetDistribution(root), (PredictionMap{{"7", 1.0}}));
  root.GetOrAddChild(170)->frequency = 3.0;
  EXPECT_EQ(tree.GetDistribution(root), (PredictionMap{{"", 0.75}, {"7", 0.25}}));
}

TEST(ContextTreePrediction, PredictingIntoAMapReplacesItsWholeContent) {
  ContextTree tree(3, 1);
  tree.AddSequence({"a", "b", "c", "a", "b"});
  PredictionMap predictions{{"a", 9.0}, {"stale", 1.0}, {"zz", 2.0}};
  tree.PredictInto({"a"}, predictions);
  EXPECT_EQ(predictions, tree.Predict(Items{"a"}));
  tree.PredictInto({}, predictions);
  EXPECT_EQ(predictions, tree.Predict(Items{}));
}

TEST(ContextTreePrediction, WeightsOfVeryLongContextsStayFinite) {
  ContextTree tree(200, 1);
  Items sequence;
  for (int i = 0; i < 170; ++i) sequence.push_back(std::to_string(i % 150));
  tree.AddSequence(sequence);
  ReferencePredictor reference(200);
  reference.Learn(sequence);
  const Items history(sequence.begin(), sequence.begin() + 160);
  const PredictionMap predicted = tree.Predict(history);
  ASSERT_FALSE(predicted.empty());
  for (const auto& entry : predicted) EXPECT_TRUE(std::isfinite(entry.second)) << entry.first;
  EXPECT_EQ(predicted, reference.Predict(history));
}

// Seeded random streams, with cleared histories between sequences, against the reference.
TEST(ContextTreePrediction, MatchesTheReferenceBitForBitOnRandomStreams) {
  std::mt19937 random(7);
  for (const std::size_t depth : {1U, 2U, 3U, 5U, 8U, 100U}) {
    for (const int alphabet : {3, 12, 40}) {
      ContextTree tree(depth, 1);
      ReferencePredictor reference(depth);
      std::uniform_int_distribution<int> item(0, alphabet - 1);
      for (int sequenceIndex = 0; sequenceIndex < 3; ++sequenceIndex) {
        Items sequence;
        for (int i = 0; i < 150; ++i) sequence.push_back(std::to_string(item(random)));
        tree.AddSequence(sequence);
        tree.ClearHistory();
        reference.Learn(sequence);
      }
      for (int query = 0; query < 40; ++query) {
        Items history;
        const int length = std::uniform_int_distribution<int>(0, 10)(random);
        for (int i = 0; i < length; ++i) history.push_back(std::to_string(item(random) + (i == 0 ? 1 : 0)));
        ASSERT_EQ(tree.Predict(history), reference.Predict(history))
            << "depth " << depth << ", alphabet " << alphabet << ", query " << query;
      }
    }
  }
}

}  // namespace
}  // namespace Quenmar::Intel
