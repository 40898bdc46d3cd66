#include "models/contexttree/context_tree.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace Quenmar::Intel {
namespace {

using Node = ContextTree::Node;

// The run of items that a node stands for, oldest first, as texts.
std::vector<std::string> RunOf(const Node* node) {
  std::vector<std::string> run;
  for (; node != nullptr && node->parent != nullptr; node = node->parent) run.insert(run.begin(), node->GetItemText());
  return run;
}

std::vector<std::vector<std::string>> HistoryRuns(const ContextTree& tree) {
  std::vector<std::vector<std::string>> runs;
  for (const Node* node : tree.GetHistory()) runs.push_back(RunOf(node));
  return runs;
}

double FrequencyOf(const ContextTree& tree, const std::vector<std::string>& run) {
  const Node* node = &tree.GetRoot();
  for (const std::string& item : run) {
    const auto child = node->GetChild(item);
    if (!child) return -1.0;  // no such node
    node = child.get();
  }
  return node->frequency;
}

// A tree of depth 2 and margin 1 that has learnt a, b, a.
class LearntABA : public ::testing::Test {
 protected:
  LearntABA() { tree.AddSequence({"a", "b", "a"}); }
  ContextTree tree{2, 1};
};

TEST(ContextTree, NewTreeHasOnlyTheEmptyTextAsCodeZero) {
  ContextTree tree;
  EXPECT_EQ(tree.FindCode(""), 0);
  EXPECT_EQ(tree.HighestCode(), 0);
  EXPECT_EQ(tree.GetRoot().item, 0);
  EXPECT_EQ(tree.GetRoot().frequency, 0.0);
  EXPECT_EQ(tree.GetDepth(), 0U);
  EXPECT_EQ(tree.GetHistoryMargin(), 1U);
}

TEST(ContextTree, GivesNewTextsCodesInOrderOfFirstAppearance) {
  ContextTree tree(3, 1);
  tree.AddItem("a");
  tree.AddItem("b");
  tree.AddItem("a");
  EXPECT_EQ(tree.FindCode("a"), 1);
  EXPECT_EQ(tree.FindCode("b"), 2);
  EXPECT_EQ(tree.GetItemText(2), "b");
  EXPECT_EQ(tree.GetItemText(7), "");
  EXPECT_EQ(tree.FindCode("c"), -1);
}

TEST_F(LearntABA, LearnsEveryRunUpToTheDepth) {
  EXPECT_EQ(FrequencyOf(tree, {"a"}), 2.0);
  EXPECT_EQ(FrequencyOf(tree, {"b"}), 1.0);
  EXPECT_EQ(FrequencyOf(tree, {"a", "b"}), 1.0);
  EXPECT_EQ(FrequencyOf(tree, {"b", "a"}), 1.0);
  EXPECT_EQ(FrequencyOf(tree, {"a", "b", "a"}), -1.0);
  EXPECT_EQ(tree.GetRoot().children.size(), 2U);
  EXPECT_EQ(tree.GetRoot().frequency, 0.0);
  // Front to back: the runs of length 1 and 2 ending with the last item, then the deepest run of
  // the step before, kept for taking the item back.
  EXPECT_EQ(HistoryRuns(tree), (std::vector<std::vector<std::string>>{{"a"}, {"b", "a"}, {"a", "b"}}));
}

TEST_F(LearntABA, NextItemDropsTheOldestHistoryEntryBeforeVisiting) {
  tree.AddItem("c");
  EXPECT_EQ(FrequencyOf(tree, {"a", "c"}), 1.0);
  EXPECT_EQ(FrequencyOf(tree, {"a", "b", "c"}), -1.0);
  EXPECT_EQ(HistoryRuns(tree), (std::vector<std::vector<std::string>>{{"c"}, {"a", "c"}, {"b", "a"}}));
}

TEST_F(LearntABA, RemovingTheLastItemRestoresTheCountsOfTheStepBefore) {
  EXPECT_EQ(tree.RemoveLastItem(), "a");
  EXPECT_EQ(FrequencyOf(tree, {"a"}), 1.0);
  EXPECT_EQ(FrequencyOf(tree, {"b"}), 1.0);
  EXPECT_EQ(FrequencyOf(tree, {"a", "b"}), 1.0);
  EXPECT_EQ(FrequencyOf(tree, {"b", "a"}), 0.0);  // the node stays, at zero
  EXPECT_EQ(HistoryRuns(tree), (std::vector<std::vector<std::string>>{{"b"}, {"a", "b"}}));
}

TEST_F(LearntABA, RemovingRepeatedlyTakesBackEverythingWithinTheMargin) {
  EXPECT_EQ(tree.RemoveLastItem(), "a");
  EXPECT_EQ(tree.RemoveLastItem(), "b");
  // Two calls (1 + margin) took back everything their items added.
  EXPECT_EQ(FrequencyOf(tree, {"a", "b"}), 0.0);
  EXPECT_EQ(FrequencyOf(tree, {"b"}), 0.0);
  EXPECT_EQ(FrequencyOf(tree, {"a"}), 1.0);
  EXPECT_EQ(tree.RemoveLastItem(), "a");
  EXPECT_EQ(FrequencyOf(tree, {"a"}), 0.0);
  EXPECT_TRUE(tree.GetHistory().empty());
  EXPECT_EQ(tree.RemoveLastItem(), "");
}

TEST_F(LearntABA, RemovingFromAnEmptyHistoryChangesNothing) {
  tree.ClearHistory();
  EXPECT_EQ(tree.RemoveLastItem(), "");
  EXPECT_EQ(FrequencyOf(tree, {"a"}), 2.0);
  ContextTree empty(2, 1);
  EXPECT_EQ(empty.RemoveLastItem(), "");
}

TEST(ContextTree, DepthZeroLearnsNothingAndAssignsNoCode) {
  ContextTree tree(0, 2);
  for (const char* item : {"a", "b", "c", "d"}) tree.AddItem(item);
  EXPECT_TRUE(tree.GetRoot().children.empty());
  EXPECT_EQ(tree.FindCode("a"), -1);
  EXPECT_EQ(tree.GetHistory().size(), 2U);
  EXPECT_EQ(tree.RemoveLastItem(), "");  // the root's own text
}

TEST(ContextTree, RunsNeverJoinItemsAcrossAClearedHistory) {
  ContextTree tree(3, 1);
  tree.AddItem("a");
  tree.ClearHistory();
  tree.AddItem("b");
  EXPECT_EQ(FrequencyOf(tree, {"b"}), 1.0);
  EXPECT_EQ(FrequencyOf(tree, {"a", "b"}), -1.0);
}

TEST(ContextTree, AddSequenceLearnsLikeSuccessiveAddItemCalls) {
  ContextTree bySequence(3, 1);
  bySequence.AddSequence({"x", "y"});
  bySequence.AddSequence({});
  ContextTree byItem(3, 1);
  byItem.AddItem("x");
  byItem.AddItem("y");
  EXPECT_EQ(HistoryRuns(bySequence), HistoryRuns(byItem));
  EXPECT_EQ(FrequencyOf(bySequence, {"x", "y"}), 1.0);
  EXPECT_EQ(bySequence.FindCode("y"), byItem.FindCode("y"));
}

TEST(ContextTree, AcceptsTheEmptyTextAsAnItem) {
  ContextTree tree(2, 1);
  tree.AddItem("");
  tree.AddItem("");
  EXPECT_EQ(FrequencyOf(tree, {""}), 2.0);
  EXPECT_EQ(FrequencyOf(tree, {"", ""}), 1.0);
  EXPECT_EQ(tree.HighestCode(), 0);
}

TEST_F(LearntABA, LookupsByUnknownTextAssignNoCode) {
  EXPECT_FALSE(tree.GetRoot().HasChild("never"));
  EXPECT_EQ(tree.GetRoot().GetChild("never"), nullptr);
  EXPECT_FALSE(tree.HasItem("never"));
  EXPECT_TRUE(tree.GetRoot().HasChild("a"));
  EXPECT_TRUE(tree.GetRoot().HasChild(2));
  EXPECT_FALSE(tree.GetRoot().HasChild(5));
}

TEST_F(LearntABA, AttachChildMovesANodeAndReplacesASiblingOfTheSameCode) {
  tree.ClearHistory();
  Node& root = tree.GetRoot();
  Node* nodeA = root.GetChild("a").get();
  const auto nodeAB = nodeA->GetChild("b");
  root.AttachChild(nodeAB);  // (a, b) becomes the root's child for b, replacing (b)
  EXPECT_FALSE(nodeA->HasChild("b"));
  EXPECT_EQ(root.GetChild("b"), nodeAB);
  EXPECT_EQ(nodeAB->GetParent(), &root);
  EXPECT_EQ(FrequencyOf(tree, {"b"}), 1.0);
  EXPECT_EQ(FrequencyOf(tree, {"b", "a"}), -1.0);  // went with the replaced node
}

TEST(ContextTreeNode, AGapInTheCodesMakesNewTextsTakeTheHighestCodePlusOne) {
  ContextTree tree;
  tree.Clear();
  EXPECT_TRUE(tree.AddEncoding("", 0));
  EXPECT_TRUE(tree.AddEncoding("x", 2));
  EXPECT_FALSE(tree.AddEncoding("x", 3));
  EXPECT_FALSE(tree.AddEncoding("y", 2));
  EXPECT_EQ(tree.GetOrAddCode("new"), 3);
  EXPECT_EQ(tree.GetItemText(1), "");
  EXPECT_EQ(tree.GetItemText(2), "x");
}

TEST(ContextTree, ClearEmptiesEverythingButKeepsTheHistoryMargin) {
  ContextTree tree(2, 3);
  tree.AddSequence({"a", "b"});
  tree.Clear();
  EXPECT_EQ(tree.GetDepth(), 0U);
  EXPECT_EQ(tree.GetHistoryMargin(), 3U);
  EXPECT_TRUE(tree.GetHistory().empty());
  EXPECT_TRUE(tree.GetRoot().children.empty());
  EXPECT_EQ(tree.HighestCode(), -1);
  EXPECT_EQ(tree.GetRoot().item, 0);
}

TEST(ContextTree, DestroysAVeryDeepTreeWithoutExhaustingTheStack) {
  auto tree = std::make_unique<ContextTree>(2, 1);
  Node* node = &tree->GetRoot();
  for (int level = 0; level < 1000000; ++level) node = node->GetOrAddChild(level % 7).get();
  EXPECT_NO_FATAL_FAILURE(tree.reset());
}

TEST(ContextTreeNode, ASharedSubtreeOutlivesItsTreeWithoutAParent) {
  std::shared_ptr<Node> kept;
  {
    ContextTree tree(2, 1);
    tree.AddSequence({"a", "b", "a"});
    kept = tree.GetRoot().GetChild("a");
  }
  EXPECT_EQ(kept->parent, nullptr);
  ASSERT_EQ(kept->children.size(), 1U);
  EXPECT_EQ(kept->children.begin()->second->parent, kept.get());
}

}  // namespace
}  // namespace Quenmar::Intel
