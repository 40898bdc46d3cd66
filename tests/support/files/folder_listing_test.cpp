#include "support/files/folder_listing.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "platform/env.h"
#include "platform/paths.h"
#include "testing/forwarding_env.h"
#include "testing/temp_folder.h"

namespace cmdpredict {
namespace {

using ::testing::IsEmpty;
using ::testing::UnorderedElementsAre;

// The system's services with folders that cannot be listed, for a reason the test names.
class UnlistableFoldersEnv : public ForwardingEnv {
 public:
  std::unique_ptr<DirectoryReader> OpenFolder(const std::string&) override { return nullptr; }
  std::string LastErrorText() override { return "Permission denied"; }
};

// A folder holding the regular files a and b and a folder "sub" with a file of its own.
class FolderListing : public ::testing::Test {
 protected:
  FolderListing() {
    std::ofstream(folder.File("a")) << "a";
    std::ofstream(folder.File("b")) << "b";
    std::filesystem::create_directory(folder.File("sub"));
    std::ofstream(folder.File("sub") + kPathSeparator + "c") << "c";
  }

  TempFolder folder;
};

TEST_F(FolderListing, IsListableFolderSucceedsForAFolder) { EXPECT_TRUE(IsListableFolder(folder.Path())); }

TEST_F(FolderListing, IsListableFolderFailsWithAReasonForARegularFile) {
  const FileResult listable = IsListableFolder(folder.File("a"));
  EXPECT_FALSE(listable);
  EXPECT_NE(listable.FailureReason(), "");
}

TEST_F(FolderListing, IsListableFolderFailsForAMissingPath) {
  EXPECT_FALSE(IsListableFolder(folder.File("missing")));
}

TEST_F(FolderListing, IsListableFolderCarriesTheSystemsReasonForItsFailure) {
  UnlistableFoldersEnv env;
  const ScopedEnv scoped(env);
  EXPECT_EQ(IsListableFolder(folder.Path()).FailureReason(), "Permission denied");
}

TEST_F(FolderListing, ListFolderFilesGivesTheRegularFilesOnly) {
  std::vector<std::string> names;
  EXPECT_TRUE(ListFolderFiles(folder.Path(), names));
  EXPECT_THAT(names, UnorderedElementsAre("a", "b"));
}

TEST_F(FolderListing, ListFolderFilesReplacesTheNamesTheListHeld) {
  std::vector<std::string> names{"old"};
  ASSERT_TRUE(ListFolderFiles(folder.File("sub"), names));
  EXPECT_THAT(names, UnorderedElementsAre("c"));
}

TEST_F(FolderListing, ListFolderFilesOfARegularFileFailsWithAnEmptyList) {
  std::vector<std::string> names{"old"};
  EXPECT_FALSE(ListFolderFiles(folder.File("a"), names));
  EXPECT_THAT(names, IsEmpty());
}

TEST_F(FolderListing, ListFolderFilesCarriesTheSystemsReasonForItsFailure) {
  UnlistableFoldersEnv env;
  const ScopedEnv scoped(env);
  std::vector<std::string> names;
  EXPECT_EQ(ListFolderFiles(folder.Path(), names).FailureReason(), "Permission denied");
}

}  // namespace
}  // namespace cmdpredict
