// The per-tree pool of context tree nodes, seen through the tree. The sanitizer build turns a
// block used after its pool was freed, or a pool never freed, into a failure.
#include "models/contexttree/node_pool.h"

#include <gtest/gtest.h>

#include <memory>
#include <new>
#include <string>
#include <vector>

#include "models/contexttree/context_tree.h"

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

TEST(NodePool, RefusesBlocksLargerThanItsLargestClass) {
  EXPECT_THROW(NodePool::Allocate(NodePool::kMaxBlockBytes + 1), std::bad_alloc);
}

}  // namespace
}  // namespace Quenmar::Intel
