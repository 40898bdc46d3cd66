#include "models/composite/composite_folder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "models/composite/composite_sequence_model.h"
#include "models/composite/recording_model.h"
#include "models/contexttree/context_tree.h"
#include "platform/paths.h"
#include "testing/temp_folder.h"

namespace Quenmar::Intel {
namespace {

namespace fs = std::filesystem;

// The parts joined with the platform's separator.
std::string Path(const std::vector<std::string>& parts) {
  std::string path;
  for (const std::string& part : parts)
    path += (path.empty() ? "" : std::string(1, cmdpredict::kPathSeparator)) + part;
  return path;
}

std::string ReadBytes(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

void WriteBytes(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

// A tree of depth 2 that has learnt the items.
std::shared_ptr<ContextTree> TreeThatLearnt(const std::vector<std::string>& items) {
  auto tree = std::make_shared<ContextTree>(2, 1);
  tree->AddSequence(items);
  return tree;
}

// The names of the composite's sub-models, in its order.
std::vector<std::string> NamesOf(const CompositeSequenceModel& composite) {
  std::vector<std::string> names;
  for (const auto& entry : composite.GetModels()) names.push_back(entry.first);
  return names;
}

TEST(CompositeFolderPath, AppendsTheTypeNameAsExtension) {
  EXPECT_EQ(CompositeFolderPath(Path({"m", "x"}), {}), Path({"m", "x.CompositeSequenceModel"}));
}

TEST(CompositeFolderPath, KeepsABasePathThatEndsWithTheTypeName) {
  EXPECT_EQ(CompositeFolderPath(Path({"m", "x.CompositeSequenceModel"}), {}),
            Path({"m", "x.CompositeSequenceModel"}));
  EXPECT_EQ(CompositeFolderPath(Path({"m", "xCompositeSequenceModel"}), {}),
            Path({"m", "xCompositeSequenceModel"}));
}

TEST(CompositeFolderPath, AppendsEachSubFolderInOrder) {
  EXPECT_EQ(CompositeFolderPath("x", {"models", "a"}), Path({"x.CompositeSequenceModel", "models", "a"}));
}

TEST(CompositeFolderPath, ComparesTheTypeNameByteForByte) {
  EXPECT_EQ(CompositeFolderPath("x.compositesequencemodel", {}),
            "x.compositesequencemodel.CompositeSequenceModel");
}

class CompositeFolderTest : public ::testing::Test {
 protected:
  std::string In(const std::vector<std::string>& parts) const {
    std::vector<std::string> all{folder.Path()};
    all.insert(all.end(), parts.begin(), parts.end());
    return Path(all);
  }
  std::string ModelsFolder() const { return In({"x.CompositeSequenceModel", "models"}); }

  // A models folder holding a context tree file for each name (with its extension).
  void WriteTreeFiles(const std::vector<std::string>& fileNames) {
    fs::create_directories(ModelsFolder());
    for (const std::string& fileName : fileNames) WriteBytes(Path({ModelsFolder(), fileName}), kTreeText);
  }

  // A context tree of depth 2 that has learnt a, b, a, as its file holds it.
  static constexpr const char* kTreeText =
      R"({"i":0,"f":0.0,"c":[{"i":1,"f":2.0,"c":[{"i":2,"f":1.0,"c":[]}]},{"i":2,"f":1.0,"c":[{"i":1,"f":1.0,"c":[]}]}],)"
      R"("schema":"concise","version":"1.0","release":"221.0.0.0","d":2,"encodings":["","a","b"]})";

  cmdpredict::TempFolder folder;
  CallLog log;
  CompositeSequenceModel composite;
};

TEST_F(CompositeFolderTest, EnsureCreatesTheFolderOneLevelDeep) {
  EXPECT_EQ(EnsureCompositeFolder(In({"x"}), {}), 0);
  EXPECT_TRUE(fs::is_directory(In({"x.CompositeSequenceModel"})));
  EXPECT_EQ(EnsureCompositeFolder(In({"x"}), {"models"}), 0);
  EXPECT_TRUE(fs::is_directory(ModelsFolder()));
}

TEST_F(CompositeFolderTest, EnsureAcceptsAFolderThatExists) {
  fs::create_directory(In({"x.CompositeSequenceModel"}));
  EXPECT_EQ(EnsureCompositeFolder(In({"x"}), {}), 0);
}

TEST_F(CompositeFolderTest, EnsureFailsWhenTheParentIsMissing) {
  EXPECT_EQ(EnsureCompositeFolder(In({"x"}), {"models"}), 1);
  EXPECT_FALSE(fs::exists(In({"x.CompositeSequenceModel"})));
}

TEST_F(CompositeFolderTest, SaveGivesEachSubModelItsPathInTheModelsFolderInNameOrder) {
  composite.AddModel("b", std::make_shared<RecordingModel>("b", log));
  composite.AddModel("a", std::make_shared<RecordingModel>("a", log));
  EXPECT_TRUE(composite.Save(In({"x"})));
  EXPECT_TRUE(fs::is_directory(ModelsFolder()));
  EXPECT_EQ(log, (CallLog{"a.Save(" + Path({ModelsFolder(), "a"}) + ")",
                          "b.Save(" + Path({ModelsFolder(), "b"}) + ")"}));
}

TEST_F(CompositeFolderTest, SaveWithoutSubModelsCreatesBothFolders) {
  EXPECT_TRUE(composite.Save(In({"x"})));
  EXPECT_TRUE(fs::is_directory(ModelsFolder()));
  EXPECT_TRUE(fs::is_empty(ModelsFolder()));
}

TEST_F(CompositeFolderTest, SaveUsesABasePathThatIsTheCompositesFolderItself) {
  EXPECT_TRUE(composite.Save(In({"x.CompositeSequenceModel"})));
  EXPECT_TRUE(fs::is_directory(ModelsFolder()));
  EXPECT_FALSE(fs::exists(In({"x.CompositeSequenceModel.CompositeSequenceModel"})));
}

TEST_F(CompositeFolderTest, SaveWritesContextTreesAsTheirOwnFiles) {
  composite.AddModel("a", TreeThatLearnt({"a", "b", "a"}));
  composite.AddModel("b", TreeThatLearnt({}));
  EXPECT_TRUE(composite.Save(In({"x"})));
  EXPECT_EQ(ReadBytes(Path({ModelsFolder(), "a.ContextTree"})), kTreeText);
  EXPECT_TRUE(fs::is_regular_file(Path({ModelsFolder(), "b.ContextTree"})));
}

TEST_F(CompositeFolderTest, SaveReportsAFolderThatCannotBeCreated) {
  composite.AddModel("a", std::make_shared<RecordingModel>("a", log));
  EXPECT_FALSE(composite.Save(In({"missing", "x"})));
  EXPECT_FALSE(fs::exists(In({"missing"})));
}

TEST_F(CompositeFolderTest, SaveReportsAFailedSubModelAndStillSavesTheOthers) {
  composite.AddModel("a", std::make_shared<RecordingModel>("a", log));
  composite.AddModel("b", std::make_shared<RecordingModel>("b", log));
  std::static_pointer_cast<RecordingModel>(composite.GetModels().at("a"))->savesSucceed = false;
  EXPECT_FALSE(composite.Save(In({"x"})));
  EXPECT_EQ(log.size(), 2U);
}

TEST_F(CompositeFolderTest, LoadReadsBackWhatSaveWrote) {
  composite.AddModel("a", TreeThatLearnt({"a", "b", "a"}));
  composite.AddModel("b", TreeThatLearnt({"c", "c"}));
  ASSERT_TRUE(composite.Save(In({"x"})));

  CompositeSequenceModel loaded;
  ASSERT_TRUE(loaded.Load(ModelsFolder()));
  EXPECT_EQ(NamesOf(loaded), (std::vector<std::string>{"a", "b"}));
  for (const auto& [name, model] : loaded.GetModels()) EXPECT_EQ(model->GetTypeName(), "ContextTree") << name;
  const std::vector<std::string> history{"a"};
  EXPECT_EQ(loaded.Predict(history), composite.Predict(history));

  const cmdpredict::TempFolder again;
  ASSERT_TRUE(loaded.Save(Path({again.Path(), "x"})));
  EXPECT_EQ(ReadBytes(Path({again.Path(), "x.CompositeSequenceModel", "models", "a.ContextTree"})),
            ReadBytes(Path({ModelsFolder(), "a.ContextTree"})));
  EXPECT_EQ(ReadBytes(Path({again.Path(), "x.CompositeSequenceModel", "models", "b.ContextTree"})),
            ReadBytes(Path({ModelsFolder(), "b.ContextTree"})));
}

TEST_F(CompositeFolderTest, LoadReadsOnlyFilesWhoseExtensionNamesAModelType) {
  WriteTreeFiles({"a.ContextTree", "a.ContextTree.backup", "notes.txt", "README"});
  fs::create_directory(Path({ModelsFolder(), "c.ContextTree"}));
  ASSERT_TRUE(composite.Load(ModelsFolder()));
  EXPECT_EQ(NamesOf(composite), (std::vector<std::string>{"a"}));
}

TEST_F(CompositeFolderTest, LoadNamesASubModelAfterItsFileNameUpToTheLastDot) {
  WriteTreeFiles({"a.b.ContextTree"});
  ASSERT_TRUE(composite.Load(ModelsFolder()));
  EXPECT_EQ(NamesOf(composite), (std::vector<std::string>{"a.b"}));
}

TEST_F(CompositeFolderTest, LoadSkipsAFileThatItsModelCannotRead) {
  WriteTreeFiles({"good.ContextTree"});
  WriteBytes(Path({ModelsFolder(), "broken.ContextTree"}), "{\"i\":0,");
  WriteBytes(Path({ModelsFolder(), "empty.ContextTree"}), "");
  ASSERT_TRUE(composite.Load(ModelsFolder()));
  EXPECT_EQ(NamesOf(composite), (std::vector<std::string>{"good"}));
}

TEST_F(CompositeFolderTest, LoadKeepsWhatCanBeUsedOfADamagedModelFile) {
  fs::create_directories(ModelsFolder());
  WriteBytes(Path({ModelsFolder(), "d.ContextTree"}),
             R"({"i":0,"f":0.0,"c":[null,{"i":1,"f":1.0,"c":[]}],"d":1,"e":["","a"]})");
  ASSERT_TRUE(composite.Load(ModelsFolder()));
  ASSERT_EQ(NamesOf(composite), (std::vector<std::string>{"d"}));
  EXPECT_EQ(composite.Predict(std::vector<std::string>{}), (PredictionMap{{"a", 1.0}}));
}

TEST_F(CompositeFolderTest, LoadSkipsAFileThatNamesTheCompositeType) {
  // A composite is stored as a folder; a file with its extension is no composite.
  WriteTreeFiles({"a.ContextTree"});
  WriteBytes(Path({ModelsFolder(), "n.CompositeSequenceModel"}), "");
  ASSERT_TRUE(composite.Load(ModelsFolder()));
  EXPECT_EQ(NamesOf(composite), (std::vector<std::string>{"a"}));
}

TEST_F(CompositeFolderTest, LoadAddsToTheSubModelsItHeldAndReplacesThoseOfTheSameName) {
  composite.AddModel("a", std::make_shared<RecordingModel>("a", log));
  composite.AddModel("z", std::make_shared<RecordingModel>("z", log));
  WriteTreeFiles({"a.ContextTree"});
  ASSERT_TRUE(composite.Load(ModelsFolder()));
  EXPECT_EQ(NamesOf(composite), (std::vector<std::string>{"a", "z"}));
  EXPECT_EQ(composite.GetModels().at("a")->GetTypeName(), "ContextTree");
  EXPECT_EQ(composite.GetModels().at("z")->GetTypeName(), "RecordingModel");
}

TEST_F(CompositeFolderTest, LoadOfAnEmptyFolderSucceedsAndChangesNothing) {
  composite.AddModel("a", std::make_shared<RecordingModel>("a", log));
  fs::create_directories(ModelsFolder());
  EXPECT_TRUE(composite.Load(ModelsFolder()));
  EXPECT_EQ(NamesOf(composite), (std::vector<std::string>{"a"}));
}

TEST_F(CompositeFolderTest, LoadOfAMissingFolderFailsAndChangesNothing) {
  composite.AddModel("a", std::make_shared<RecordingModel>("a", log));
  WriteTreeFiles({"b.ContextTree"});
  EXPECT_FALSE(composite.Load(In({"x"})));
  EXPECT_EQ(NamesOf(composite), (std::vector<std::string>{"a"}));
}

TEST_F(CompositeFolderTest, LoadOfARegularFileFails) {
  WriteTreeFiles({"a.ContextTree"});
  EXPECT_FALSE(composite.Load(Path({ModelsFolder(), "a.ContextTree"})));
  EXPECT_TRUE(composite.GetModels().empty());
}

TEST_F(CompositeFolderTest, CreatesAModelOfTheTypeNamedByTheExtension) {
  WriteTreeFiles({"a.ContextTree"});
  const std::unique_ptr<ISequencePredictionModel> model =
      CreateModelFromFile(Path({ModelsFolder(), "a.ContextTree"}));
  const auto* tree = dynamic_cast<const ContextTree*>(model.get());
  ASSERT_NE(tree, nullptr);
  EXPECT_EQ(tree->GetDepth(), 2U);
}

TEST_F(CompositeFolderTest, CreatesNoModelForAFileItsTypeCannotRead) {
  EXPECT_EQ(CreateModelFromFile(In({"missing.ContextTree"})), nullptr);
}

TEST(CreateModelFromFile, CreatesNoModelWithoutARegisteredTypeAfterTheLastDot) {
  EXPECT_EQ(CreateModelFromFile("models"), nullptr);
  EXPECT_EQ(CreateModelFromFile("a."), nullptr);
  EXPECT_EQ(CreateModelFromFile("a.contexttree"), nullptr);
  EXPECT_EQ(CreateModelFromFile(Path({"x.CompositeSequenceModel", "models", "README"})), nullptr);
}

}  // namespace
}  // namespace Quenmar::Intel
