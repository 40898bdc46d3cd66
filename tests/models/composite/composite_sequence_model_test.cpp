#include "models/composite/composite_sequence_model.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "models/contexttree/context_tree.h"
#include "testing/temp_folder.h"

namespace Quenmar::Intel {
namespace {

using ::testing::ElementsAre;
using ::testing::Key;
using Items = std::vector<std::string>;

// A sub-model that predicts a fixed map and writes every call, tagged with its name, into a log.
struct RecordingModel : ISequencePredictionModel {
  RecordingModel(const std::string& n, Items& l, const PredictionMap& p) : name(n), log(l), predictions(p) {}
  PredictionMap Predict(const Items& history) override { return Record("Predict", history), predictions; }
  void AddSequence(const Items& items) override { Record("AddSequence", items); }
  std::string RemoveLastItem() override { return Record("RemoveLastItem"), "last of " + name; }
  void ClearHistory() override { Record("ClearHistory"); }
  bool Save(const std::string&) override { return true; }
  bool Load(const std::string&) override { return true; }
  void Record(std::string call, const Items& items = {}) {
    for (const std::string& item : items) call += " " + item;
    log.push_back(name + "." + call);
  }

  const std::string name;
  Items& log;
  const PredictionMap predictions;
};

class CompositeSequenceModelTest : public ::testing::Test {
 protected:
  void Add(const std::string& name, const PredictionMap& predictions = {}) {
    composite.AddModel(name, std::make_shared<RecordingModel>(name, log, predictions));
  }

  Items log;
  CompositeSequenceModel composite;
  cmdpredict::TempFolder folder;
};

// Each term is multiplied by 1.0 / N and the terms are summed in name order, rounding and all.
TEST_F(CompositeSequenceModelTest, ForwardsEveryCallInNameOrderAndAveragesWithoutRenormalising) {
  Add("b", {{"x", 0.5}, {"y", 0.5}});
  Add("a", {{"x", 1.0}});
  composite.AddModel("c", nullptr);  // ignored
  EXPECT_EQ(composite.RemoveLastItem(), "last of a");
  EXPECT_EQ(composite.Predict(Items{"1", "2"}), (PredictionMap{{"x", 0.75}, {"y", 0.25}}));
  composite.AddItem("7");
  composite.AddSequence({"3", "1"});
  composite.ClearHistory();
  EXPECT_EQ(log, (Items{"a.RemoveLastItem", "b.RemoveLastItem", "a.Predict 1 2", "b.Predict 1 2",
                        "a.AddSequence 7", "b.AddSequence 7", "a.AddSequence 3 1", "b.AddSequence 3 1",
                        "a.ClearHistory", "b.ClearHistory"}));
  Add("b");  // replaces "b" by a sub-model that predicts nothing
  EXPECT_EQ(composite.Predict(Items{}), (PredictionMap{{"x", 0.5}}));
  for (const auto& [count, sum] : std::vector<std::pair<int, double>>{
           {1, 1.0}, {3, 1.0}, {7, 0.9999999999999998}, {10, 0.9999999999999999}}) {
    composite.ClearModels();
    for (int index = 0; index < count; ++index) Add("m" + std::to_string(index), {{"x", 1.0}});
    EXPECT_EQ(composite.Predict(Items{}), (PredictionMap{{"x", sum}})) << count << " sub-models";
  }
  composite.RemoveAllModels();  // without sub-models every operation is a no-op
  EXPECT_TRUE(composite.Predict(Items{"7"}).empty());
  EXPECT_EQ(composite.RemoveLastItem(), "");
}

const char kTree[] = R"({"i":0,"f":0.0,"c":[{"i":1,"f":1.0,"c":[]}],"version":"1.0","d":1,"e":["","a"]})";

// Saved under the base path x, each sub-model is a file of x.CompositeSequenceModel/models; one that
// cannot be saved makes Save false but keeps no other from being saved. Load adds the sub-models of
// the files whose extension names a registered type and that their model can read, each named after
// its file name up to the last dot; sub-folders are skipped.
TEST_F(CompositeSequenceModelTest, SavesEachSubModelInTheModelsFolderAndLoadsTheFilesItCanRead) {
  composite.AddModel("b", std::make_shared<ContextTree>(3, 1));
  composite.AddModel("a", std::make_shared<ContextTree>(2, 1));
  composite.AddSequence({"a", "b", "a"});
  ASSERT_TRUE(composite.Save(folder.File("x")));
  ASSERT_TRUE(composite.Save(folder.File("x.CompositeSequenceModel")));  // the composite's folder itself
  // x.CompositeSequenceModel, its models folder and their two files
  EXPECT_EQ(std::distance(std::filesystem::recursive_directory_iterator(folder.Path()), {}), 4);
  CompositeSequenceModel loaded;
  ASSERT_TRUE(loaded.Load(folder.File("x.CompositeSequenceModel/models")));
  EXPECT_THAT(loaded.GetModels(), ElementsAre(Key("a"), Key("b")));
  EXPECT_EQ(loaded.Predict(Items{"a"}), composite.Predict(Items{"a"}));
  loaded.AddModel("a/a", std::make_shared<ContextTree>());  // the folder models/a does not exist
  loaded.AddModel("c", std::make_shared<ContextTree>());
  EXPECT_FALSE(loaded.Save(folder.File("x")));
  EXPECT_TRUE(std::filesystem::is_regular_file(folder.File("x.CompositeSequenceModel/models/c.ContextTree")));

  EXPECT_FALSE(composite.Load(folder.File("missing")));
  std::filesystem::create_directory(folder.File("c.ContextTree"));
  EXPECT_TRUE(composite.Load(folder.Path()));  // nothing but sub-folders
  const char* const names[] = {"a.ContextTree", "a.b.ContextTree",          "a.ContextTree.backup",
                               "notes.txt",     "n.CompositeSequenceModel", "broken.ContextTree"};
  for (const char* name : names) std::ofstream(folder.File(name)) << (*name == 'b' ? "{" : kTree);
  EXPECT_FALSE(composite.Load(folder.File("a.ContextTree")));  // a file is no folder
  ASSERT_TRUE(composite.Load(folder.Path()));
  // "a" replaced, "a.b" added, "b" kept.
  EXPECT_THAT(composite.GetModels(), ElementsAre(Key("a"), Key("a.b"), Key("b")));
  EXPECT_EQ(composite.GetModels().at("a")->Predict(Items{}), (PredictionMap{{"a", 1.0}}));
}

TEST_F(CompositeSequenceModelTest, LoadTakesNoTemporaryOfASaveForAModel) {
  std::ofstream(folder.File(".a.ContextTree.0123456789ABCDEF.tmp")) << kTree;
  ASSERT_TRUE(composite.Load(folder.Path()));
  EXPECT_TRUE(composite.GetModels().empty());
}

}  // namespace
}  // namespace Quenmar::Intel
