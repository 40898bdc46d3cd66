#include "models/model_registry.h"

#include <gtest/gtest.h>

#include "models/contexttree/context_tree.h"

namespace Quenmar::Intel {
namespace {

TEST(ModelRegistry, CreatesAContextTreeOfDepth0) {
  const auto tree = CreateModel("ContextTree");
  ASSERT_NE(dynamic_cast<ContextTree*>(tree.get()), nullptr);
  EXPECT_EQ(dynamic_cast<ContextTree&>(*tree).GetDepth(), 0U);
}

TEST(ModelRegistry, CreatesACompositeModel) {
  EXPECT_EQ(CreateModel("CompositeSequenceModel")->GetTypeName(), "CompositeSequenceModel");
}

TEST(ModelRegistry, CreatesNothingForANameNotRegisteredByItsExactBytes) {
  EXPECT_EQ(CreateModel(""), nullptr);
  EXPECT_EQ(CreateModel("contexttree"), nullptr);
}

TEST(ModelRegistry, KeepsTheFirstRegistrationOfAName) {
  RegisterModelType("ContextTree", [] { return static_cast<ISequencePredictionModel*>(nullptr); });
  EXPECT_NE(CreateModel("ContextTree"), nullptr);
}

}  // namespace
}  // namespace Quenmar::Intel
