#include "models/composite/composite_sequence_model.h"

#include <gtest/gtest.h>

#include <list>
#include <memory>
#include <string>
#include <vector>

#include "models/composite/recording_model.h"
#include "models/model_registry.h"

namespace Quenmar::Intel {
namespace {

class CompositeSequenceModelTest : public ::testing::Test {
 protected:
  // Adds a recording sub-model that predicts the map and returns it for further setup.
  std::shared_ptr<RecordingModel> Add(const std::string& name, PredictionMap predictions = {}) {
    auto model = std::make_shared<RecordingModel>(name, log, std::move(predictions));
    composite.AddModel(name, model);
    return model;
  }

  // The composite's prediction with `count` sub-models that each predict {"x": 1.0}.
  PredictionMap PredictWithCertainSubModels(int count) {
    for (int index = 0; index < count; ++index) Add("m" + std::to_string(index), {{"x", 1.0}});
    return composite.Predict(std::vector<std::string>{});
  }

  CallLog log;
  CompositeSequenceModel composite;
};

TEST_F(CompositeSequenceModelTest, WithoutSubModelsPredictsNothingAndTakesBackNothing) {
  composite.AddItem("7");
  composite.AddSequence({"1", "2"});
  composite.ClearHistory();
  EXPECT_TRUE(composite.Predict(std::vector<std::string>{"1"}).empty());
  EXPECT_EQ(composite.RemoveLastItem(), "");
}

TEST_F(CompositeSequenceModelTest, WithOneSubModelPredictsItsMapUnchanged) {
  Add("a", {{"x", 0.3}, {"y", 0.7}});
  EXPECT_EQ(composite.Predict(std::vector<std::string>{"h"}), (PredictionMap{{"x", 0.3}, {"y", 0.7}}));
}

TEST_F(CompositeSequenceModelTest, AveragesTheSubModelsWithEqualWeights) {
  Add("a", {{"x", 1.0}});
  Add("b", {{"x", 0.5}, {"y", 0.5}});
  EXPECT_EQ(composite.Predict(std::vector<std::string>{}), (PredictionMap{{"x", 0.75}, {"y", 0.25}}));
}

TEST_F(CompositeSequenceModelTest, DoesNotRenormaliseWhenASubModelPredictsNothing) {
  Add("a", {{"x", 1.0}});
  Add("b");
  EXPECT_EQ(composite.Predict(std::vector<std::string>{}), (PredictionMap{{"x", 0.5}}));
}

TEST_F(CompositeSequenceModelTest, SumsTenWeightedTermsWithTheirRounding) {
  EXPECT_EQ(PredictWithCertainSubModels(10), (PredictionMap{{"x", 0.9999999999999999}}));
}

TEST_F(CompositeSequenceModelTest, SumsThreeWeightedTermsToExactlyOne) {
  EXPECT_EQ(PredictWithCertainSubModels(3), (PredictionMap{{"x", 1.0}}));
}

TEST_F(CompositeSequenceModelTest, SumsSevenWeightedTermsWithTheirRounding) {
  EXPECT_EQ(PredictWithCertainSubModels(7), (PredictionMap{{"x", 0.9999999999999998}}));
}

TEST_F(CompositeSequenceModelTest, DropsAnItemWhoseWeightedScoresCancelOut) {
  // Scores are not validated; a merged score of exactly 0.0 drops the item, as SetScore does.
  Add("a", {{"x", 0.5}, {"y", 0.5}});
  Add("b", {{"x", -0.5}, {"z", 1.5}});
  EXPECT_EQ(composite.Predict(std::vector<std::string>{}), (PredictionMap{{"y", 0.25}, {"z", 0.75}}));
}

TEST_F(CompositeSequenceModelTest, AsksEverySubModelInNameOrderWithTheSameHistory) {
  Add("b");
  Add("a");
  composite.Predict(std::list<std::string>{"1", "2"});
  EXPECT_EQ(log, (CallLog{"a.Predict(1,2)", "b.Predict(1,2)"}));
}

TEST_F(CompositeSequenceModelTest, PassesAnItemToEverySubModelAsAOneItemSequence) {
  Add("b");
  Add("a");
  composite.AddItem("7");
  EXPECT_EQ(log, (CallLog{"a.AddSequence(7)", "b.AddSequence(7)"}));
}

TEST_F(CompositeSequenceModelTest, PassesASequenceUnchangedToEverySubModel) {
  Add("b");
  Add("a");
  composite.AddSequence({"3", "1", "3"});
  EXPECT_EQ(log, (CallLog{"a.AddSequence(3,1,3)", "b.AddSequence(3,1,3)"}));
}

TEST_F(CompositeSequenceModelTest, ClearsTheHistoryOfEverySubModel) {
  Add("b");
  Add("a");
  composite.ClearHistory();
  EXPECT_EQ(log, (CallLog{"a.ClearHistory()", "b.ClearHistory()"}));
}

TEST_F(CompositeSequenceModelTest, TakesBackTheLastItemOfEverySubModelAndAnswersTheFirst) {
  Add("b")->learnt = {"2"};
  Add("a")->learnt = {"1"};
  EXPECT_EQ(composite.RemoveLastItem(), "1");
  EXPECT_EQ(log, (CallLog{"a.RemoveLastItem()", "b.RemoveLastItem()"}));
  EXPECT_EQ(composite.RemoveLastItem(), "");
}

TEST_F(CompositeSequenceModelTest, BehavesAsANewCompositeAfterRemoveAllModels) {
  Add("a", {{"x", 1.0}});
  composite.RemoveAllModels();
  EXPECT_TRUE(composite.GetModels().empty());
  composite.AddItem("1");
  EXPECT_TRUE(composite.Predict(std::vector<std::string>{}).empty());
  EXPECT_TRUE(log.empty());
}

TEST_F(CompositeSequenceModelTest, BehavesAsANewCompositeAfterClearModels) {
  Add("a", {{"x", 1.0}});
  composite.ClearModels();
  EXPECT_TRUE(composite.GetModels().empty());
  composite.AddItem("1");
  EXPECT_TRUE(composite.Predict(std::vector<std::string>{}).empty());
  EXPECT_TRUE(log.empty());
}

TEST_F(CompositeSequenceModelTest, ReleasesItsShareOfRemovedSubModels) {
  const std::weak_ptr<RecordingModel> added = Add("a");
  composite.ClearModels();
  EXPECT_TRUE(added.expired());
}

TEST_F(CompositeSequenceModelTest, AddModelWithAnExistingNameReplacesThatSubModel) {
  const std::weak_ptr<RecordingModel> first = Add("a", {{"x", 1.0}});
  Add("a", {{"y", 1.0}});
  EXPECT_TRUE(first.expired());
  EXPECT_EQ(composite.GetModels().size(), 1U);
  EXPECT_EQ(composite.Predict(std::vector<std::string>{}), (PredictionMap{{"y", 1.0}}));
}

TEST_F(CompositeSequenceModelTest, AddModelIgnoresANullModel) {
  Add("a", {{"x", 1.0}});
  composite.AddModel("a", nullptr);
  composite.AddModel("b", nullptr);
  EXPECT_EQ(composite.GetModels().size(), 1U);
  EXPECT_EQ(composite.Predict(std::vector<std::string>{}), (PredictionMap{{"x", 1.0}}));
}

TEST_F(CompositeSequenceModelTest, SaveSettingsWritesNothingAndAnswersFalse) {
  Add("a");
  EXPECT_FALSE(composite.SaveSettings("unused"));
  EXPECT_TRUE(log.empty());
}

TEST(CompositeSequenceModel, ReportsItsTypeName) {
  EXPECT_EQ(CompositeSequenceModel().GetTypeName(), "CompositeSequenceModel");
}

TEST(CompositeSequenceModel, IsCreatedEmptyByTheRegistry) {
  const std::unique_ptr<ISequencePredictionModel> created = CreateModel("CompositeSequenceModel");
  const auto* composite = dynamic_cast<const CompositeSequenceModel*>(created.get());
  ASSERT_NE(composite, nullptr);
  EXPECT_TRUE(composite->GetModels().empty());
}

}  // namespace
}  // namespace Quenmar::Intel
