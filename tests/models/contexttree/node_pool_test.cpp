// The per-tree pool of context tree nodes, seen through the tree. The sanitizer build turns a
// block used after its pool was freed, or a pool never freed, into a failure.
#include "models/contexttree/node_pool.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <map>
#include <memory>
#include <new>
#include <string>
#include <utility>
#include <vector>

#include "models/contexttree/context_tree.h"
#include "models/contexttree/context_tree_file.h"

namespace Quenmar::Intel {
namespace {

TEST(NodePool, ANodeHeldByACallerKeepsItsSubtreeReadableAfterTheTreeIsGoneAndIsFreedWithIt) {
  auto tree = std::make_unique<ContextTree>(4, 1);
  tree->AddSequence({"a", "b", "c", "a", "b", "d"});
  std::shared_ptr<ContextTree::Node> held = tree->GetRoot().GetChild("a");
  const int codeOfB = tree->FindCode("b");
  tree.reset();
  EXPECT_EQ(held->frequency, 2.0);
  ASSERT_EQ(held->children.size(), 1U);
  EXPECT_EQ(held->children.at(codeOfB)->frequency, 2.0);
  EXPECT_EQ(held->children.at(codeOfB)->children.size(), 2U);
  held.reset();  // the last block: the pool goes with it
}

TEST(NodePool, ReusesTheMemoryOfReleasedNodesForNewOnes) {
  ContextTree tree(2, 1);
  const ContextTree::Node* released = tree.GetRoot().GetOrAddChild("a").get();
  tree.GetRoot().ReleaseChildren();
  EXPECT_EQ(tree.GetRoot().GetOrAddChild("b").get(), released);
}

// 50 items in a cycle at depth 100: 50 nodes on each of the first two levels, thousands below them.
ContextTree& LearnCycleOfFiftyItems(ContextTree& tree) {
  for (int round = 0; round < 20; ++round) {
    for (int item = 0; item < 50; ++item) tree.AddItem("item" + std::to_string(item));
  }
  return tree;
}

std::uintptr_t AddressOf(const std::shared_ptr<ContextTree::Node>& node) {
  return reinterpret_cast<std::uintptr_t>(node.get());
}

TEST(NodePool, KeepsTheRootsChildrenApartFromDeeperNodesInTheOrderOfTheirCodes) {
  ContextTree tree(100, 1);
  std::vector<std::uintptr_t> children;
  std::vector<std::uintptr_t> grandchildren;
  for (const auto& [code, child] : LearnCycleOfFiftyItems(tree).GetRoot().children) {
    children.push_back(AddressOf(child));
    for (const auto& [grandchildCode, grandchild] : child->children)
      grandchildren.push_back(AddressOf(grandchild));
  }
  ASSERT_EQ(children.size(), 50U);
  EXPECT_TRUE(std::is_sorted(children.begin(), children.end()));
  for (const std::uintptr_t grandchild : grandchildren) {
    EXPECT_FALSE(grandchild > children.front() && grandchild < children.back());
  }
}

// The span of the addresses of the root's grandchildren.
std::uintptr_t SecondLevelSpan(const ContextTree& tree) {
  std::vector<std::uintptr_t> addresses;
  for (const auto& [code, child] : tree.GetRoot().children) {
    for (const auto& [grandchildCode, grandchild] : child->children)
      addresses.push_back(AddressOf(grandchild));
  }
  const auto [lowest, highest] = std::minmax_element(addresses.begin(), addresses.end());
  return addresses.size() == 50U ? *highest - *lowest : ~std::uintptr_t{0};
}

TEST(NodePool, KeepsTheSecondLevelTogetherWhileDeeperRunsAreLearnt) {
  ContextTree tree(100, 1);
  EXPECT_LT(SecondLevelSpan(LearnCycleOfFiftyItems(tree)), NodePool::kGranuleBytes);
}

TEST(NodePool, KeepsTheSecondLevelOfALoadedTreeTogether) {
  ContextTree learnt(100, 1);
  const std::string text = *ToFileText(LearnCycleOfFiftyItems(learnt));
  ContextTree loaded(100, 1);
  ASSERT_TRUE(LoadFromText(loaded, text).isJson);
  EXPECT_LT(SecondLevelSpan(loaded), NodePool::kGranuleBytes);
}

// A tree released at once must not take along what nodes outside it still use.
TEST(NodePool, ChildrenThatATreeAddedToANodeBuiltOutsideItsPoolOutliveTheTree) {
  auto tree = std::make_unique<ContextTree>(4, 1);
  tree->AddSequence({"a", "b"});
  const auto outside = std::make_shared<ContextTree::Node>(tree.get(), nullptr);
  outside->GetOrAddChild("a")->AddFrequency(3.0);
  tree.reset();
  ASSERT_EQ(outside->children.size(), 1U);
  EXPECT_EQ(outside->children.begin()->second->frequency, 3.0);
}

TEST(NodePool, ChildrenThatATreeAddedToANodeMovedInFromAnotherTreeOutliveTheTree) {
  auto tree = std::make_unique<ContextTree>(4, 1);
  ContextTree other(4, 1);
  const std::shared_ptr<ContextTree::Node> moved = other.GetRoot().GetOrAddChild("x");
  tree->GetRoot().AttachChild(moved);
  moved->GetOrAddChild("y")->AddFrequency(2.0);
  other.GetRoot().AttachChild(moved);
  tree.reset();
  ASSERT_EQ(moved->children.size(), 1U);
  EXPECT_EQ(moved->children.begin()->second->frequency, 2.0);
}

TEST(NodePool, ANodeDetachedFromItsTreeAndHeldByACallerOutlivesTheTree) {
  auto tree = std::make_unique<ContextTree>(4, 1);
  tree->AddSequence({"a", "b", "a"});
  const std::shared_ptr<ContextTree::Node> held = tree->GetRoot().GetChild("a");
  tree->GetRoot().children.clear();
  tree->ClearHistory();
  tree->AddSequence({"c", "d"});
  tree.reset();
  EXPECT_EQ(held->frequency, 2.0);
  ASSERT_EQ(held->children.size(), 1U);
  EXPECT_EQ(held->children.begin()->second->frequency, 1.0);
}

TEST(NodePool, ANodeKeptFromTheLevelsThatLoweringTheDepthDroppedKeepsItsNewChildren) {
  auto tree = std::make_unique<ContextTree>(4, 1);
  tree->AddSequence({"a", "b", "c"});
  const std::shared_ptr<ContextTree::Node> kept = tree->GetRoot().GetChild("a")->GetChild("b");
  tree->FitToDepth(1);
  kept->GetOrAddChild("d")->AddFrequency(5.0);
  tree.reset();
  ASSERT_EQ(kept->children.size(), 2U);
  EXPECT_EQ(kept->children.rbegin()->second->frequency, 5.0);
}

TEST(NodePool, MarksTheLiveObjectsOfItsTrackedTypeAndNothingElse) {
  using Entry = std::pair<const int, double>;
  NodePool* const pool = NodePool::Create();
  {
    const NodePool::Scope scope(pool);
    std::map<int, double, std::less<int>, NodeAllocator<Entry, Entry>> tracked{{1, 1.0}, {2, 2.0}, {3, 3.0}};
    std::map<int, double, std::less<int>, NodeAllocator<Entry>> untracked{{4, 4.0}};
    tracked.erase(2);
    std::vector<const void*> marked;
    pool->ForEachMarked([&marked](const void* address) { marked.push_back(address); });
    std::vector<const void*> live{&*tracked.find(1), &*tracked.find(3)};
    std::sort(live.begin(), live.end());
    EXPECT_EQ(marked, live);
  }
  pool->ReleaseOwner();
}

TEST(NodePool, RefusesBlocksLargerThanItsLargestClass) {
  EXPECT_THROW(NodePool::Allocate(NodePool::kMaxBlockBytes + 1), std::bad_alloc);
}

}  // namespace
}  // namespace Quenmar::Intel
