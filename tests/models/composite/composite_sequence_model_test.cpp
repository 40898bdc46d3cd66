#include "models/composite/composite_sequence_model.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "models/contexttree/context_tree.h"
#include "testing/temp_folder.h"

namespace Quenmar::Intel {
namespace {

namespace fs = std::filesystem;
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
  // Context trees "b" of depth 3 and "a" of depth 2 that learnt a, b, a.
  void AddTrees() {
    composite.AddModel("b", std::make_shared<ContextTree>(3, 1));
    composite.AddModel("a", std::make_shared<ContextTree>(2, 1));
    composite.AddSequence({"a", "b", "a"});
  }
  // Every entry below the folder, as a path relative to it.
  std::set<std::string> Entries() const {
    std::set<std::string> entries;
    for (const auto& entry : fs::recursive_directory_iterator(folder.Path()))
      entries.insert(entry.path().lexically_relative(folder.Path()).generic_u8string());
    return entries;
  }

  Items log;
  CompositeSequenceModel composite;
  cmdpredict::TempFolder folder;
};

TEST_F(CompositeSequenceModelTest, ForwardsEachCallToEverySubModelInNameOrder) {
  Add("b");
  Add("a");
  composite.Predict(Items{"1", "2"});
  composite.AddItem("7");
  composite.AddSequence({"3", "1"});
  composite.ClearHistory();
  composite.RemoveLastItem();
  EXPECT_EQ(log, (Items{"a.Predict 1 2", "b.Predict 1 2", "a.AddSequence 7", "b.AddSequence 7",
                        "a.AddSequence 3 1", "b.AddSequence 3 1", "a.ClearHistory", "b.ClearHistory",
                        "a.RemoveLastItem", "b.RemoveLastItem"}));
}

TEST_F(CompositeSequenceModelTest, RemoveLastItemReturnsTheTextOfTheFirstSubModelByName) {
  Add("b");
  Add("a");
  EXPECT_EQ(composite.RemoveLastItem(), "last of a");
}

TEST_F(CompositeSequenceModelTest, DoesNotRenormaliseWhenASubModelPredictsNothing) {
  Add("a", {{"x", 1.0}});
  Add("b");
  EXPECT_EQ(composite.Predict(Items{}), (PredictionMap{{"x", 0.5}}));
}

// Each term is multiplied by 1.0 / N and the terms are summed in name order, rounding and all.
TEST_F(CompositeSequenceModelTest, SumsTheTermsWeightedByOneOverTheirNumber) {
  // Dividing each term by N instead would give 0.10000000000000002 and 0.09999999999999999.
  for (const auto& [count, sum] : {std::pair(1, 0.1), {7, 0.1}, {10, 0.10000000000000003}}) {
    SCOPED_TRACE(count);
    composite.ClearModels();
    for (int index = 0; index < count; ++index) Add("m" + std::to_string(index), {{"x", 0.1}});
    EXPECT_EQ(composite.Predict(Items{}), (PredictionMap{{"x", sum}}));
  }
}

TEST_F(CompositeSequenceModelTest, ReplacesASubModelOfTheSameName) {
  Add("a", {{"x", 1.0}});
  Add("a", {{"y", 1.0}});
  EXPECT_EQ(composite.Predict(Items{}), (PredictionMap{{"y", 1.0}}));
}

TEST_F(CompositeSequenceModelTest, IgnoresANullSubModel) {
  composite.AddModel("c", nullptr);
  EXPECT_TRUE(composite.GetModels().empty());
}

TEST_F(CompositeSequenceModelTest, AnswersNeutrallyOnceItsSubModelsAreRemoved) {
  Add("a", {{"x", 1.0}});
  composite.RemoveAllModels();
  EXPECT_TRUE(composite.Predict(Items{"7"}).empty());
  EXPECT_EQ(composite.RemoveLastItem(), "");
}

TEST_F(CompositeSequenceModelTest, SavesEachSubModelAsAFileOfItsModelsFolder) {
  AddTrees();
  ASSERT_TRUE(composite.Save(folder.File("x")));
  EXPECT_EQ(Entries(), (std::set<std::string>{"x.CompositeSequenceModel", "x.CompositeSequenceModel/models",
                                              "x.CompositeSequenceModel/models/a.ContextTree",
                                              "x.CompositeSequenceModel/models/b.ContextTree"}));
}

TEST_F(CompositeSequenceModelTest, SavesIntoABasePathThatEndsInTheTypeNameItself) {
  ASSERT_TRUE(composite.Save(folder.File("xCompositeSequenceModel")));
  EXPECT_EQ(Entries(), (std::set<std::string>{"xCompositeSequenceModel", "xCompositeSequenceModel/models"}));
}

TEST_F(CompositeSequenceModelTest, SaveFailsForASubModelThatCannotBeSavedButSavesTheOthers) {
  composite.AddModel("a/a",
                     std::make_shared<ContextTree>());  // the folder models/a does not exist
  composite.AddModel("c", std::make_shared<ContextTree>());
  EXPECT_FALSE(composite.Save(folder.File("x")));
  EXPECT_TRUE(fs::is_regular_file(folder.File("x.CompositeSequenceModel/models/c.ContextTree")));
}

TEST_F(CompositeSequenceModelTest, LoadReadsBackTheSubModelsThatSaveWrote) {
  AddTrees();
  ASSERT_TRUE(composite.Save(folder.File("x")));
  CompositeSequenceModel loaded;
  ASSERT_TRUE(loaded.Load(folder.File("x.CompositeSequenceModel/models")));
  EXPECT_THAT(loaded.GetModels(), ElementsAre(Key("a"), Key("b")));
  EXPECT_EQ(loaded.Predict(Items{"a"}), composite.Predict(Items{"a"}));
}

TEST_F(CompositeSequenceModelTest, LoadFailsForAPathThatIsNoFolder) {
  std::ofstream(folder.File("a.ContextTree")) << "{}";
  for (const char* name : {"missing", "a.ContextTree"})
    EXPECT_FALSE(composite.Load(folder.File(name))) << name;
}

const char kTree[] = R"({"i":0,"f":0.0,"c":[{"i":1,"f":1.0,"c":[]}],"version":"1.0","d":1,"e":["","a"]})";

// Other extensions name no registered type: backups, notes, temporaries of a save.
TEST_F(CompositeSequenceModelTest, LoadReadsEachRegularFileOfARegisteredTypeThatItsModelCanRead) {
  fs::create_directory(folder.File("c.ContextTree"));
  for (const char* name : {"a.ContextTree", "a.ContextTree.backup", "notes.txt", "n.CompositeSequenceModel",
                           ".b.ContextTree.0123456789ABCDEF.tmp"})
    std::ofstream(folder.File(name)) << kTree;
  std::ofstream(folder.File("broken.ContextTree")) << "{";
  ASSERT_TRUE(composite.Load(folder.Path()));
  EXPECT_THAT(composite.GetModels(), ElementsAre(Key("a")));
}

TEST_F(CompositeSequenceModelTest, LoadNamesASubModelAfterItsFileNameUpToTheLastDot) {
  std::ofstream(folder.File("a.b.ContextTree")) << kTree;
  ASSERT_TRUE(composite.Load(folder.Path()));
  EXPECT_THAT(composite.GetModels(), ElementsAre(Key("a.b")));
}

TEST_F(CompositeSequenceModelTest, LoadAddsToTheSubModelsReplacingThoseOfTheSameName) {
  Add("a");
  Add("b");
  std::ofstream(folder.File("a.ContextTree")) << kTree;
  ASSERT_TRUE(composite.Load(folder.Path()));
  EXPECT_EQ(composite.GetModels().at("a")->Predict(Items{}), (PredictionMap{{"a", 1.0}}));
  EXPECT_THAT(composite.GetModels(), ElementsAre(Key("a"), Key("b")));
}

}  // namespace
}  // namespace Quenmar::Intel
