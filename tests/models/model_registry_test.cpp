#include "models/model_registry.h"

#include <gtest/gtest.h>

#include "models/contexttree/context_tree.h"

namespace Quenmar::Intel {
namespace {

TEST(ModelRegistry, CreatesTheBuiltInTypesByTheirExactNames) {
  const auto tree = CreateModel("ContextTree");
  ASSERT_NE(tree, nullptr);
  EXPECT_EQ(tree->GetTypeName(), "ContextTree");
  EXPECT_EQ(dynamic_cast<ContextTree&>(*tree).GetDepth(), 0U);
  EXPECT_EQ(CreateModel("CompositeSequenceModel")->GetTypeName(), "CompositeSequenceModel");
  EXPECT_EQ(CreateModel(""), nullptr);
  EXPECT_EQ(CreateModel("contexttree"), nullptr);
}

TEST(ModelRegistry, KeepsTheFirstRegistrationOfAName) {
  RegisterModelType("ContextTree", [] { return static_cast<ISequencePredictionModel*>(nullptr); });
  EXPECT_NE(CreateModel("ContextTree"), nullptr);
}

}  // namespace
}  // namespace Quenmar::Intel
