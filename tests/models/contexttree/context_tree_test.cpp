#include "models/contexttree/context_tree.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <list>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "models/contexttree/context_tree_file.h"

namespace Quenmar::Intel {
namespace {

using Node = ContextTree::Node;
using Items = std::vector<std::string>;
using Runs = std::vector<Items>;
using Counts = std::vector<double>;

// The runs of the history's nodes, front first, each oldest item first.
Runs HistoryRuns(const ContextTree& tree) {
  Runs runs;
  for (const Node* node : tree.GetHistory()) {
    Items run;
    for (; node->parent != nullptr; node = node->parent) run.insert(run.begin(), node->GetItemText());
    runs.push_back(run);
  }
  return runs;
}

// The frequency of each run's node; -1 for a run without a node.
Counts FrequenciesOf(const ContextTree& tree, const Runs& runs) {
  Counts frequencies;
  for (const Items& run : runs) {
    const Node* node = &tree.GetRoot();
    for (auto item = run.begin(); node != nullptr && item != run.end(); ++item)
      node = node->GetChild(*item).get();
    frequencies.push_back(node == nullptr ? -1.0 : node->frequency);
  }
  return frequencies;
}

// A tree of depth 2 and margin 1 that has learnt a, b, a.
class LearntABA : public ::testing::Test {
 protected:
  LearntABA() { tree.AddSequence({"a", "b", "a"}); }
  Counts Frequencies() const {
    return FrequenciesOf(tree, {{"a"}, {"b"}, {"a", "b"}, {"b", "a"}, {"a", "b", "a"}});
  }

  ContextTree tree{2, 1};
};

TEST_F(LearntABA, CountsEveryRunUpToTheDepth) {
  EXPECT_EQ(Frequencies(), (Counts{2.0, 1.0, 1.0, 1.0, -1.0}));
}

TEST_F(LearntABA, KeepsTheRunsThatTheNextItemExtendsAndTheDeepestRunOfTheStepBefore) {
  EXPECT_EQ(HistoryRuns(tree), (Runs{{"a"}, {"b", "a"}, {"a", "b"}}));
}

TEST_F(LearntABA, DropsTheDeepestRunOfTheStepBeforeWhenLearningTheNextItem) {
  tree.AddItem("c");
  EXPECT_EQ(HistoryRuns(tree), (Runs{{"c"}, {"a", "c"}, {"b", "a"}}));
}

TEST_F(LearntABA, LearnsTheEmptyTextUnderTheCodeItHasFromTheStart) {
  tree.AddItem("");
  EXPECT_EQ(FrequenciesOf(tree, {{""}, {"a", ""}}), (Counts{1.0, 1.0}));
  EXPECT_EQ(tree.HighestCode(), 2);
}

TEST_F(LearntABA, LooksUpAnUnlearntTextWithoutFindingOrCodingIt) {
  EXPECT_FALSE(tree.GetRoot().HasChild("never"));
  EXPECT_EQ(tree.GetRoot().GetChild("never"), nullptr);
  EXPECT_FALSE(tree.HasItem("never"));
  tree.Predict(Items{"never"});
  EXPECT_EQ(tree.HighestCode(), 2);
}

TEST_F(LearntABA, PredictsFromAListHistoryAsFromAVector) {
  EXPECT_EQ(tree.Predict(std::list<std::string>{"a", "b"}), tree.Predict(Items{"a", "b"}));
}

// Counts and history as after learning a, b; the node of (b, a) stays, at zero.
TEST_F(LearntABA, RemoveLastItemReturnsToTheStepBefore) {
  tree.RemoveLastItem();
  EXPECT_EQ(Frequencies(), (Counts{1.0, 1.0, 1.0, 0.0, -1.0}));
  EXPECT_EQ(HistoryRuns(tree), (Runs{{"b"}, {"a", "b"}}));
}

TEST_F(LearntABA, RemovingEveryItemInTurnTakesBackEveryCount) {
  for (const char* item : {"a", "b", "a"}) EXPECT_EQ(tree.RemoveLastItem(), item);
  EXPECT_EQ(Frequencies(), (Counts{0.0, 0.0, 0.0, 0.0, -1.0}));
}

TEST_F(LearntABA, RemoveLastItemWithAnEmptyHistoryReturnsTheEmptyTextAndChangesNothing) {
  tree.ClearHistory();
  EXPECT_EQ(tree.RemoveLastItem(), "");
  EXPECT_EQ(Frequencies(), (Counts{2.0, 1.0, 1.0, 1.0, -1.0}));
}

// Nodes are released without recursion.
TEST(ContextTreeNodes, AMillionLevelsAreReleasedWithoutExhaustingTheStack) {
  auto tree = std::make_unique<ContextTree>(2, 1);
  Node* node = &tree->GetRoot();
  for (int level = 0; level < 1000000; ++level) node = node->GetOrAddChild(level % 7).get();
  const std::weak_ptr<Node> top = tree->GetRoot().GetChild(0);
  tree.reset();
  EXPECT_TRUE(top.expired());
}

TEST(ContextTreeNodes, ASubtreeHeldElsewhereLosesOnlyItsParentWhenTheTreeGoes) {
  auto tree = std::make_unique<ContextTree>(2, 1);
  const std::shared_ptr<Node> kept = tree->GetRoot().GetOrAddChild(1)->GetOrAddChild(2);
  kept->GetOrAddChild(3);
  tree.reset();
  EXPECT_EQ(kept->parent, nullptr);
  EXPECT_EQ(kept->GetChild(3)->parent, kept.get());
}

TEST_F(LearntABA, PredictIntoReplacesTheWholeContentOfTheMap) {
  PredictionMap into{{"0", 1.0}, {"ab", 1.0}, {"b", 9.0}, {"zz", 2.0}};  // "ab" must not pass for "a"
  tree.PredictInto({"b"}, into);
  EXPECT_EQ(into, (PredictionMap{{"a", 8.0 / 9.0}, {"b", 1.0 / 9.0}}));
}

// (b, a) drops to 0.0 and leaves the distribution of (b).
TEST_F(LearntABA, LeavesAChildTakenBackToZeroOutOfThePrediction) {
  tree.RemoveLastItem();
  EXPECT_EQ(tree.Predict(Items{"b"}), (PredictionMap{{"a", 0.5}, {"b", 0.5}}));
}

// A damaged file can leave codes without text. Both ways of collecting a node's children are used: many
// children for few texts, and few children among many texts.
TEST(ContextTreePrediction, PredictsChildrenWithoutTextUnderTheEmptyTextTheHighestCodeDeciding) {
  for (const auto& [name, texts] : {std::pair("many children", 1), std::pair("few children", 100)}) {
    SCOPED_TRACE(name);
    ContextTree tree(2, 1);
    tree.Clear();
    for (int code = 0; code < texts; ++code) tree.AddEncoding("t" + std::to_string(code), code);
    Node& root = tree.GetRoot();
    root.GetOrAddChild(0)->frequency = 1.0;
    root.GetOrAddChild(150)->frequency = 2.0;
    root.GetOrAddChild(160)->frequency = 0.0;  // removes the empty text again
    EXPECT_EQ(tree.GetDistribution(root), (PredictionMap{{"t0", 1.0}}));
    root.GetOrAddChild(170)->frequency = 3.0;
    EXPECT_EQ(tree.Predict(Items{}), (PredictionMap{{"", 0.75}, {"t0", 0.25}}));
  }
}

const Items kStream{"a", "b", "c", "a", "b", "d", "a", "b", "c", "e", "a", "b"};

// Runs up to the new depth are counted the same whatever depth learnt them, so a trimmed tree is the tree
// learnt at that depth, node for node and code for code; only the history is gone.
TEST(ContextTreeDepth, FittingToALowerDepthGivesTheTreeLearntAtThatDepthWithoutHistory) {
  ContextTree trimmed(6, 1), learnt(2, 1);
  trimmed.AddSequence(kStream);
  trimmed.FitToDepth(2);
  learnt.AddSequence(kStream);
  EXPECT_EQ(ToFileText(trimmed), ToFileText(learnt));
  EXPECT_TRUE(trimmed.GetHistory().empty());
}

// The deepest run of the step before (kept for RemoveLastItem) leaves the history, or the deeper visits would
// join it to the next item across the one in between: (a, b, d).
TEST(ContextTreeDepth, RaisingTheDepthLearnsDeeperRunsFromTheNextItemOn) {
  ContextTree tree(2, 1);
  tree.AddSequence({"a", "b", "c"});
  tree.FitToDepth(4);
  tree.AddSequence({"d", "e"});
  EXPECT_EQ(FrequenciesOf(tree, {{"b", "c", "d"}, {"b", "c", "d", "e"}, {"a", "b", "c"}, {"a", "b", "d"}}),
            (Counts{1.0, 1.0, -1.0, -1.0}));
}

// A tiny reference that counts runs directly from the learnt sequences and blends their distributions with
// the documented arithmetic, for comparing bits with the tree.
struct ReferencePredictor {
  std::size_t depth;
  std::map<Items, PredictionMap> followers;  // context -> next item -> count

  void Learn(const Items& sequence) {
    for (std::size_t end = 0; end < sequence.size(); ++end) {
      // The runs ending at `end`, of 1 to `depth` items: their first items but one are the context.
      for (std::size_t start = end + 1; start-- > 0 && end - start < depth;)
        followers[Items(sequence.begin() + start, sequence.begin() + end)][sequence[end]] += 1.0;
    }
  }

  PredictionMap Predict(const Items& history) const {
    PredictionMap blended = Distribution({});
    const std::size_t longest = depth == 0 ? history.size() : std::min(depth - 1, history.size());
    for (std::size_t length = longest; length >= 1; --length) {
      const double weight = std::ldexp(1.0, static_cast<int>(std::min<std::size_t>(length, 127)));
      for (const auto& [item, probability] : Distribution(Items(history.end() - length, history.end())))
        blended[item] += probability * weight;
    }
    return Normalized(blended);
  }

  PredictionMap Distribution(const Items& context) const {
    const auto found = followers.find(context);
    return found == followers.end() ? PredictionMap() : Normalized(found->second);
  }

  static PredictionMap Normalized(PredictionMap scores) {
    double sum = 0.0;
    for (const auto& entry : scores) sum += entry.second;
    for (auto& entry : scores) entry.second /= sum;
    return scores;
  }
};

// Seeded random streams, with cleared histories between sequences. The last query of each stream is the last
// sequence but its last item, so that with depth 200 contexts longer than 127 are found and followed: their
// weights must stay finite (capped as in the reference).
TEST(ContextTreePrediction, MatchesTheReferenceBitForBitOnRandomStreams) {
  std::mt19937 random(7);
  // Items of the alphabet; the first may lie one beyond it, unknown to the tree.
  const auto draw = [&random](std::size_t count, unsigned alphabet) {
    Items items;
    while (items.size() < count)
      items.push_back(std::to_string(random() % alphabet + (items.empty() ? 1 : 0)));
    return items;
  };
  for (const std::size_t depth : {0U, 1U, 2U, 3U, 5U, 8U, 100U, 200U}) {
    for (const unsigned alphabet : {3U, 12U, 40U}) {
      ContextTree tree(depth, 1);
      ReferencePredictor reference{depth, {}};
      Items learnt;
      for (int sequence = 0; sequence < 3; ++sequence) {
        learnt = draw(150, alphabet);
        tree.AddSequence(learnt);
        tree.ClearHistory();
        reference.Learn(learnt);
      }
      for (int query = 0; query <= 40; ++query) {
        const Items history =
            query < 40 ? draw(random() % 11, alphabet) : Items(learnt.begin(), learnt.end() - 1);
        ASSERT_EQ(tree.Predict(history), reference.Predict(history))
            << "depth " << depth << ", alphabet " << alphabet << ", query " << query;
      }
    }
  }
}

}  // namespace
}  // namespace Quenmar::Intel
