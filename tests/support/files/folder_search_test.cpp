#include "support/files/folder_search.h"

#include <gtest/gtest.h>
#include <gmock/gmock.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "testing/temp_folder.h"

namespace cmdpredict {
namespace {

using ::testing::UnorderedElementsAre;

void Touch(const std::string& path) { std::ofstream(path) << "x"; }

std::int32_t OpenSearch(const std::string& folder) {
  std::int32_t id = -1;
  EXPECT_EQ(OpenFolderSearch(folder.c_str(), &id), 0);
  return id;
}

// Every name a search yields until NextFolderFile fails; closes the search.
std::vector<std::string> AllFileNames(const std::string& folder) {
  FolderEntry entry;
  const std::int32_t id = OpenSearch(folder);
  std::vector<std::string> names;
  while (NextFolderFile(id, &entry) == 0) names.push_back(entry.fileName);
  CloseFolderSearch(&entry);
  return names;
}

TEST(OpenFolderSearch, GivesConsecutiveSearchesConsecutiveIdentifiers) {
  TempFolder folder;
  const std::int32_t first = OpenSearch(folder.Path());
  const std::int32_t second = OpenSearch(folder.Path());
  EXPECT_GT(first, 0);
  EXPECT_EQ(second, first + 1);
}

TEST(OpenFolderSearch, RegistersNothingForAMissingFolder) {
  TempFolder folder;
  const std::int32_t before = OpenSearch(folder.Path());
  std::int32_t id = -1;
  EXPECT_EQ(OpenFolderSearch(folder.File("missing").c_str(), &id), 1);
  EXPECT_EQ(id, -1);
  EXPECT_EQ(OpenSearch(folder.Path()), before + 1);
}

TEST(OpenFolderSearch, RefusesNullPointers) {
  TempFolder folder;
  std::int32_t id = -1;
  EXPECT_EQ(OpenFolderSearch(nullptr, &id), 1);
  EXPECT_EQ(OpenFolderSearch(folder.Path().c_str(), nullptr), 1);
  EXPECT_EQ(id, -1);
}

TEST(NextFolderFile, NamesEachOfThreeFilesOnceThenFails) {
  TempFolder folder;
  for (const char* name : {"a.ContextTree", "b.ContextTree", "c"}) Touch(folder.File(name));
  FolderEntry entry;
  const std::int32_t id = OpenSearch(folder.Path());
  std::vector<std::string> names;
  for (int call = 0; call < 3; ++call) {
    ASSERT_EQ(NextFolderFile(id, &entry), 0);
    EXPECT_EQ(entry.searchId, id);
    names.push_back(entry.fileName);
  }
  EXPECT_THAT(names, UnorderedElementsAre("a.ContextTree", "b.ContextTree", "c"));
  EXPECT_EQ(NextFolderFile(id, &entry), 1);
  EXPECT_EQ(NextFolderFile(id, &entry), 1);
  CloseFolderSearch(&entry);
}

TEST(NextFolderFile, FailsAtOnceInAFolderOfSubFolders) {
  TempFolder folder;
  std::filesystem::create_directory(folder.File("one"));
  std::filesystem::create_directory(folder.File("two"));
  EXPECT_THAT(AllFileNames(folder.Path()), UnorderedElementsAre());
}

TEST(NextFolderFile, SkipsEverythingButRegularFiles) {
  TempFolder folder;
  std::filesystem::create_directory(folder.File("sub"));
  std::filesystem::create_directory_symlink(folder.File("sub"), folder.File("link to sub"));
  std::filesystem::create_symlink(folder.File("nowhere"), folder.File("dangling link"));
  Touch(folder.File("file"));
  EXPECT_THAT(AllFileNames(folder.Path()), UnorderedElementsAre("file"));
}

TEST(NextFolderFile, FailsForAnUnknownIdentifierAndStillWritesIt) {
  FolderEntry entry;
  entry.searchId = 99;
  EXPECT_EQ(NextFolderFile(0, &entry), 1);
  EXPECT_EQ(entry.searchId, 0);
}

TEST(NextFolderFile, RefusesANullEntry) {
  TempFolder folder;
  EXPECT_EQ(NextFolderFile(OpenSearch(folder.Path()), nullptr), 1);
}

TEST(NextFolderFile, StartsOverWhenTheFolderCouldNotBeListed) {
  TempFolder folder;
  const std::string searched = folder.File("searched");
  std::filesystem::create_directory(searched);
  FolderEntry entry;
  const std::int32_t id = OpenSearch(searched);
  std::filesystem::remove(searched);
  EXPECT_EQ(NextFolderFile(id, &entry), 1);
  std::filesystem::create_directory(searched);
  Touch(searched + "/late");
  EXPECT_EQ(NextFolderFile(id, &entry), 0);
  EXPECT_EQ(entry.fileName, "late");
  CloseFolderSearch(&entry);
}

TEST(CloseFolderSearch, ForgetsTheSearch) {
  TempFolder folder;
  Touch(folder.File("a"));
  Touch(folder.File("b"));
  FolderEntry entry;
  const std::int32_t id = OpenSearch(folder.Path());
  ASSERT_EQ(NextFolderFile(id, &entry), 0);
  CloseFolderSearch(&entry);
  EXPECT_EQ(NextFolderFile(id, &entry), 1);
}

TEST(CloseFolderSearch, ForgetsASearchThatNeverListedItsFolder) {
  TempFolder folder;
  Touch(folder.File("a"));
  FolderEntry entry;
  entry.searchId = OpenSearch(folder.Path());
  CloseFolderSearch(&entry);
  EXPECT_EQ(NextFolderFile(entry.searchId, &entry), 1);
}

TEST(CloseFolderSearch, IgnoresANullEntryAndUnknownIdentifiers) {
  TempFolder folder;
  Touch(folder.File("a"));
  const std::int32_t id = OpenSearch(folder.Path());
  CloseFolderSearch(nullptr);
  FolderEntry unknown;
  unknown.searchId = id + 1000;
  CloseFolderSearch(&unknown);
  FolderEntry entry;
  EXPECT_EQ(NextFolderFile(id, &entry), 0);
  CloseFolderSearch(&entry);
}

}  // namespace
}  // namespace cmdpredict
