#include "models/composite/composite_sequence_model.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <iterator>
#include <list>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "models/composite/composite_folder.h"
#include "models/contexttree/context_tree.h"
#include "platform/env.h"
#include "platform/paths.h"
#include "testing/temp_folder.h"

namespace Quenmar::Intel {
namespace {

using ::testing::ElementsAre;
using ::testing::Key;
using cmdpredict::SystemEnv;
using Items = std::vector<std::string>;

// A sub-model that predicts a fixed map and writes every call, tagged with its name, into a log.
struct RecordingModel : ISequencePredictionModel {
  RecordingModel(std::string name, Items& log, PredictionMap predictions) : name(name), log(log), predictions(predictions) {}
  using ISequencePredictionModel::Predict;
  PredictionMap Predict(const Items& history) override { return Log("Predict", history, predictions); }
  void AddSequence(const Items& items) override { Log("AddSequence", items); }
  std::string RemoveLastItem() override { return Log("RemoveLastItem", {}, "last of " + name); }
  void ClearHistory() override { Log("ClearHistory", {}); }
  bool Save(const std::string&) override { return true; }
  bool Load(const std::string&) override { return true; }
  // Logs the call and gives the result back, so that an operation can answer in the same breath.
  template <typename Result = int>
  Result Log(const std::string& call, const Items& items, Result result = {}) {
    std::string entry = name + "." + call + "(";
    for (const std::string& item : items) entry += (&item == &items.front() ? "" : ",") + item;
    log.push_back(entry + ")");
    return result;
  }

  const std::string name;
  Items& log;
  const PredictionMap predictions;
};

const std::string kSeparator(1, cmdpredict::kPathSeparator);

// A composite, and a temporary folder in which it is stored as x.CompositeSequenceModel.
class CompositeSequenceModelTest : public ::testing::Test {
 protected:
  std::shared_ptr<RecordingModel> Add(const std::string& name, const PredictionMap& predictions = {}) {
    auto model = std::make_shared<RecordingModel>(name, log, predictions);
    composite.AddModel(name, model);
    return model;
  }
  std::string In(const std::string& name) const { return folder.Path() + kSeparator + name; }
  std::string Models(const std::string& name = "") const {
    return In("x.CompositeSequenceModel" + kSeparator + "models" + (name.empty() ? "" : kSeparator + name));
  }

  Items log;
  CompositeSequenceModel composite;
  cmdpredict::TempFolder folder;
};

TEST_F(CompositeSequenceModelTest, ForwardsEveryCallToEverySubModelInNameOrder) {
  Add("b");
  const std::weak_ptr<RecordingModel> a = Add("a");
  EXPECT_EQ(composite.RemoveLastItem(), "last of a");
  composite.Predict(std::list<std::string>{"1", "2"});
  composite.AddItem("7");
  composite.AddSequence({"3", "1"});
  composite.ClearHistory();
  EXPECT_EQ(log, (Items{"a.RemoveLastItem()", "b.RemoveLastItem()", "a.Predict(1,2)", "b.Predict(1,2)",
                        "a.AddSequence(7)", "b.AddSequence(7)", "a.AddSequence(3,1)", "b.AddSequence(3,1)",
                        "a.ClearHistory()", "b.ClearHistory()"}));
  // Without sub-models every operation is a no-op.
  composite.RemoveAllModels();
  EXPECT_TRUE(a.expired());
  EXPECT_TRUE(composite.Predict(Items{"7"}).empty());
  EXPECT_EQ(composite.RemoveLastItem(), "");
}

TEST_F(CompositeSequenceModelTest, AveragesWithEqualWeightsWithoutRenormalising) {
  const struct { PredictionMap a, b, average; } cases[] = {
      {{{"x", 1.0}}, {{"x", 0.5}, {"y", 0.5}}, {{"x", 0.75}, {"y", 0.25}}},
      {{{"x", 1.0}}, {}, {{"x", 0.5}}},
      {{{"x", 0.5}, {"y", 0.5}}, {{"x", -0.5}, {"z", 1.5}}, {{"y", 0.25}, {"z", 0.75}}},  // 0.0 drops x
  };
  for (const auto& averageCase : cases) {
    SCOPED_TRACE(&averageCase - cases);
    Add("a", averageCase.a);  // replaces the sub-model "a" of the case before
    Add("b", averageCase.b);
    composite.AddModel("c", nullptr);  // ignored
    EXPECT_EQ(composite.GetModels().size(), 2U);
    EXPECT_EQ(composite.Predict(Items{}), averageCase.average);
  }
}

// Each term is multiplied by 1.0 / N and the terms are summed in name order, rounding and all.
TEST_F(CompositeSequenceModelTest, SumsTheTermsOfNSubModelsWithTheirRounding) {
  for (const auto& [count, sum] :
       std::vector<std::pair<int, double>>{{1, 1.0}, {3, 1.0}, {7, 0.9999999999999998}, {10, 0.9999999999999999}}) {
    composite.ClearModels();
    for (int index = 0; index < count; ++index) Add("m" + std::to_string(index), {{"x", 1.0}});
    EXPECT_EQ(composite.Predict(Items{}), (PredictionMap{{"x", sum}})) << count << " sub-models";
  }
}

// --- The composite's folder ----------------------------------------------------------------

// The file of a context tree that has learnt one item.
const std::string kTreeText = R"({"i":0,"f":0.0,"c":[{"i":1,"f":1.0,"c":[]}],"version":"1.0","d":1,"e":["","a"]})";

TEST_F(CompositeSequenceModelTest, SavesEachSubModelInTheModelsFolderAndLoadsThemBack) {
  composite.AddModel("b", std::make_shared<ContextTree>(3, 1));
  composite.AddModel("a", std::make_shared<ContextTree>(2, 1));
  composite.AddSequence({"a", "b", "a"});
  ASSERT_TRUE(composite.Save(In("x")));
  ASSERT_TRUE(composite.Save(In("x.CompositeSequenceModel")));  // the composite's folder itself
  EXPECT_EQ(CompositeFolderPath("xCompositeSequenceModel", {}), "xCompositeSequenceModel");
  EXPECT_EQ(CompositeFolderPath("x.compositesequencemodel", {}), "x.compositesequencemodel.CompositeSequenceModel");
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.Path()), {}), 1);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(Models()), {}), 2);
  CompositeSequenceModel loaded;
  ASSERT_TRUE(loaded.Load(Models()));
  EXPECT_THAT(loaded.GetModels(), ElementsAre(Key("a"), Key("b")));
  EXPECT_EQ(loaded.Predict(Items{"a"}), composite.Predict(Items{"a"}));
}

TEST_F(CompositeSequenceModelTest, SaveReportsAFailureAndStillSavesTheOtherSubModels) {
  composite.AddModel("a" + kSeparator + "a", std::make_shared<ContextTree>());  // its folder does not exist
  composite.AddModel("b", std::make_shared<ContextTree>());
  EXPECT_FALSE(composite.Save(In("x")));
  EXPECT_TRUE(std::filesystem::is_regular_file(Models("b.ContextTree")));
  EXPECT_FALSE(composite.Save(In("missing" + kSeparator + "x")));
  EXPECT_FALSE(std::filesystem::exists(In("missing")));
}

// Only files whose extension names a registered type, and that their model can read, are loaded,
// each named after its file name up to the last dot; they join or replace the sub-models held.
TEST_F(CompositeSequenceModelTest, LoadReadsTheFilesThatARegisteredModelCanRead) {
  const auto held = std::make_shared<ContextTree>(7, 1);
  composite.AddModel("a", held);
  composite.AddModel("z", held);
  EXPECT_FALSE(composite.Load(In("x")));  // missing
  std::filesystem::create_directories(Models("c.ContextTree"));
  EXPECT_TRUE(composite.Load(Models()));  // nothing but a sub-folder
  for (const auto& [name, text] : std::vector<std::pair<std::string, std::string>>{
           {"a.ContextTree", kTreeText}, {"a.b.ContextTree", kTreeText}, {"a.ContextTree.backup", kTreeText},
           {"notes.txt", kTreeText}, {"README", kTreeText}, {"l.contexttree", kTreeText}, {"dot.", kTreeText},
           {"n.CompositeSequenceModel", kTreeText}, {"broken.ContextTree", R"({"i":0,)"}, {"empty.ContextTree", ""},
           {"damaged.ContextTree", R"({"i":0,"f":0.0,"c":[null,{"i":1,"f":1.0}],"d":1,"e":["","a"]})"}}) {
    ASSERT_TRUE(SystemEnv().ReplaceFile(Models(name), text));
  }
  EXPECT_FALSE(composite.Load(Models("a.ContextTree")));  // a file is no folder
  EXPECT_THAT(composite.GetModels(), ElementsAre(Key("a"), Key("z")));
  ASSERT_TRUE(composite.Load(Models()));
  EXPECT_THAT(composite.GetModels(), ElementsAre(Key("a"), Key("a.b"), Key("damaged"), Key("z")));
  EXPECT_NE(composite.GetModels().at("a"), held);
  EXPECT_EQ(composite.GetModels().at("damaged")->Predict(Items{}), (PredictionMap{{"a", 1.0}}));
}

}  // namespace
}  // namespace Quenmar::Intel
