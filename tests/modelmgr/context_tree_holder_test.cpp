#include "modelmgr/context_tree_holder.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

#include "testing/recording_env.h"
#include "platform/env.h"
#include "platform/paths.h"
#include "platform/unicode.h"
#include "testing/temp_folder.h"

namespace {

using cmdpredict::kPathSeparator;
using cmdpredict::RecordingEnv;
using cmdpredict::ScopedEnv;
using cmdpredict::TempFolder;
using cmdpredict::Utf8ToWide;
using cmdpredict::WString;
using Quenmar::Intel::ContextTree;

std::string Joined(const std::string& folder, const std::string& name) {
  return folder + kPathSeparator + name;
}

// The frequency of the single-command context of the text, -1 when the model has none.
double RootFrequency(const CContextTree& holder, const std::string& text) {
  const auto child = holder.GetTree().GetRoot().GetChild(text);
  return child ? child->frequency : -1.0;
}

TEST(ContextTreeHolder, StartsWithAnEmptyTreeOfDepth100AndMargin1) {
  const CContextTree holder(u"F", u"E1");
  EXPECT_EQ(holder.GetTree().GetDepth(), 100U);
  EXPECT_EQ(holder.GetTree().GetHistoryMargin(), 1U);
  EXPECT_TRUE(holder.GetTree().GetRoot().children.empty());
}

TEST(ContextTreeHolder, DefaultHolderIsNamedAnythingGoesInNoFolder) {
  const CContextTree holder;
  EXPECT_EQ(holder.ModelPath(), Joined("", "AnythingGoes"));
  EXPECT_EQ(holder.GetTree().GetDepth(), 100U);
}

TEST(ContextTreeHolder, PathIsTheFolderTheSeparatorAndTheEnvironment) {
  EXPECT_EQ(CContextTree(u"models", u"E1").ModelPath(), Joined("models", "E1"));
}

TEST(ContextTreeHolder, InsertsTheSeparatorEvenWithoutAFolder) {
  EXPECT_EQ(CContextTree(u"", u"E1").ModelPath(), Joined("", "E1"));
}

TEST(ContextTreeHolder, EscapesCharactersThatFileNamesCannotHold) {
  EXPECT_EQ(CContextTree(u"F", u"a/b").ModelPath(), Joined("F", "a%2Fb"));
  EXPECT_EQ(CContextTree(u"F", u"C:\\x|y?").ModelPath(), Joined("F", "C%3A%5Cx%7Cy%3F"));
  EXPECT_EQ(CContextTree(u"F", u"tab\there").ModelPath(), Joined("F", "tab%09here"));
}

TEST(ContextTreeHolder, KeepsAnEnvironmentThatClimbsOutInsideTheFolder) {
  EXPECT_EQ(CContextTree(u"F", u"../x").ModelPath(), Joined("F", "..%2Fx"));
  EXPECT_EQ(CContextTree(u"F", u"..").ModelPath(), Joined("F", ".."));  // the file adds an extension
}

TEST(ContextTreeHolder, EncodesThePathAsUtf8OneCodePointPerUnit) {
  EXPECT_EQ(CContextTree(u"Mod\u00e8les", u"\u6a21\u578b").ModelPath(),
            Joined("Mod\xc3\xa8les", "\xe6\xa8\xa1\xe5\x9e\x8b"));
  const WString pair{u'e', static_cast<char16_t>(0xD83D), static_cast<char16_t>(0xDE00)};
  EXPECT_EQ(CContextTree(u"F", pair).ModelPath(), Joined("F", "e\xed\xa0\xbd\xed\xb8\x80"));
}

// --- The model file ----------------------------------------------------------------------------------

class ContextTreeHolderFile : public ::testing::Test {
 protected:
  std::string FileOf(const std::string& name) const { return folder.File(name + ".ContextTree"); }

  TempFolder folder;
  const WString wideFolder = Utf8ToWide(folder.Path());
  RecordingEnv env;
  ScopedEnv scoped{env};
};

TEST_F(ContextTreeHolderFile, SavesToTheEnvironmentsFileInTheFolder) {
  CContextTree holder(wideFolder, u"E1");
  holder.RecordCommand(5);
  ASSERT_TRUE(holder.SaveModel());
  EXPECT_EQ(env.PathsOf("ReplaceFile"), std::vector<std::string>{FileOf("E1")});
  EXPECT_EQ(cmdpredict::SystemEnv().Access(FileOf("E1")), 0);
}

TEST_F(ContextTreeHolderFile, LoadsWhatItSaved) {
  CContextTree saved(wideFolder, u"E1");
  for (const int command : {5, 7, 5, 9}) saved.RecordCommand(command);
  ASSERT_TRUE(saved.SaveModel());

  CContextTree loaded(wideFolder, u"E1");
  ASSERT_TRUE(loaded.LoadModel());
  EXPECT_EQ(loaded.PredictNextCommands({5}), saved.PredictNextCommands({5}));
  EXPECT_EQ(RootFrequency(loaded, "5"), 2.0);
}

TEST_F(ContextTreeHolderFile, WritesAnEscapedEnvironmentInsideTheFolder) {
  CContextTree holder(wideFolder, u"../x");
  ASSERT_TRUE(holder.SaveModel());
  EXPECT_EQ(env.PathsOf("ReplaceFile"), std::vector<std::string>{FileOf("..%2Fx")});
  EXPECT_EQ(cmdpredict::SystemEnv().Access(FileOf("..%2Fx")), 0);
}

TEST_F(ContextTreeHolderFile, AnswersFalseForAMissingFileAndKeepsItsTree) {
  CContextTree holder(wideFolder, u"E1");
  holder.RecordCommand(5);
  EXPECT_FALSE(holder.LoadModel());
  EXPECT_EQ(holder.GetTree().GetDepth(), 100U);
  EXPECT_EQ(RootFrequency(holder, "5"), 1.0);
}

TEST_F(ContextTreeHolderFile, TakesTheDepthOfTheFileItLoads) {
  ContextTree written(3, 1);
  written.AddItem("5");
  ASSERT_TRUE(written.Save(Joined(folder.Path(), "E1")));

  CContextTree holder(wideFolder, u"E1");
  ASSERT_TRUE(holder.LoadModel());
  EXPECT_EQ(holder.GetTree().GetDepth(), 3U);
}

TEST_F(ContextTreeHolderFile, ReportsAFailedWriteAndKeepsThePreviousFile) {
  CContextTree holder(wideFolder, u"E1");
  holder.RecordCommand(5);
  ASSERT_TRUE(holder.SaveModel());
  holder.RecordCommand(7);
  env.failingWrites.insert(FileOf("E1"));
  EXPECT_FALSE(holder.SaveModel());

  CContextTree loaded(wideFolder, u"E1");
  ASSERT_TRUE(loaded.LoadModel());
  EXPECT_EQ(RootFrequency(loaded, "5"), 1.0);
  EXPECT_EQ(RootFrequency(loaded, "7"), -1.0);
}

TEST(ContextTreeHolderWithoutFolder, NeitherLoadsNorSavesAndTouchesNoFile) {
  RecordingEnv env;
  const ScopedEnv scoped(env);
  CContextTree holder(u"", u"E1");
  holder.RecordCommand(5);
  EXPECT_FALSE(holder.LoadModel());
  EXPECT_FALSE(holder.SaveModel());
  EXPECT_TRUE(env.calls.empty());
  EXPECT_EQ(RootFrequency(holder, "5"), 1.0);
}

// --- Commands and items ------------------------------------------------------------------------------

class ContextTreeHolderCommands : public ::testing::Test {
 protected:
  CContextTree holder{u"", u"E1"};
};

TEST_F(ContextTreeHolderCommands, TeachesTheDecimalTextOfTheIdentifier) {
  holder.RecordCommand(-42);
  holder.RecordCommand(0);
  holder.RecordCommand(17);
  EXPECT_EQ(RootFrequency(holder, "-42"), 1.0);
  EXPECT_EQ(RootFrequency(holder, "0"), 1.0);
  EXPECT_EQ(RootFrequency(holder, "17"), 1.0);
  EXPECT_EQ(holder.GetTree().GetRoot().children.size(), 3U);
}

TEST_F(ContextTreeHolderCommands, TakesBackTheIdentifiersItTaughtNewestFirst) {
  for (const int command : {-42, 0, 17}) holder.RecordCommand(command);
  EXPECT_EQ(holder.RemoveLastCommand(), 17);
  EXPECT_EQ(holder.RemoveLastCommand(), 0);
  EXPECT_EQ(holder.RemoveLastCommand(), -42);
  EXPECT_EQ(RootFrequency(holder, "-42"), 0.0);
}

TEST_F(ContextTreeHolderCommands, TakesBackTheExtremesOfTheIdentifierRange) {
  holder.RecordCommand(INT_MIN);
  holder.RecordCommand(INT_MAX);
  EXPECT_EQ(holder.RemoveLastCommand(), INT_MAX);
  EXPECT_EQ(holder.RemoveLastCommand(), INT_MIN);
}

TEST_F(ContextTreeHolderCommands, AnswersZeroWhenThereIsNothingToTakeBack) {
  EXPECT_EQ(holder.RemoveLastCommand(), 0);
  holder.RecordCommand(17);
  holder.RemoveLastCommand();
  EXPECT_EQ(holder.RemoveLastCommand(), 0);
}

TEST_F(ContextTreeHolderCommands, PredictsWhatTheTreePredictsForTheItemTexts) {
  ContextTree reference(100, 1);
  for (const int command : {5, -7, 5, 9, 5, -7}) {
    holder.RecordCommand(command);
    reference.AddItem(std::to_string(command));
  }
  EXPECT_EQ(holder.PredictNextCommands({}), reference.Predict(std::vector<std::string>{}));
  EXPECT_EQ(holder.PredictNextCommands({9, 5}), reference.Predict(std::vector<std::string>{"9", "5"}));
  EXPECT_NE(holder.PredictNextCommands({9, 5}), holder.PredictNextCommands({5, 9}));
}

TEST_F(ContextTreeHolderCommands, PredictsFromTheSingleCommandCountsForAnEmptyHistory) {
  for (const int command : {1, 2, 1}) holder.RecordCommand(command);
  const Quenmar::Intel::PredictionMap expected{{"1", 2.0 / 3.0}, {"2", 1.0 / 3.0}};
  EXPECT_EQ(holder.PredictNextCommands({}), expected);
}

TEST_F(ContextTreeHolderCommands, PredictsNothingBeforeLearning) {
  EXPECT_TRUE(holder.PredictNextCommands({5}).empty());
}

}  // namespace
