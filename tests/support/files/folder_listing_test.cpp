#include "support/files/folder_listing.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "platform/env.h"
#include "testing/forwarding_env.h"
#include "testing/temp_folder.h"

namespace cmdpredict {
namespace {

using Names = std::vector<std::string>;

// The system's services with folders that cannot be listed, for a reason the test names.
class UnlistableFoldersEnv : public ForwardingEnv {
 public:
  std::unique_ptr<DirectoryReader> OpenFolder(const std::string&) override { return nullptr; }
  std::string LastErrorText() override { return "Permission denied"; }
};

// A folder holding the regular files a and b and the folder "sub".
class FolderListing : public ::testing::Test {
 protected:
  FolderListing() {
    for (const char* name : {"a", "b"}) std::ofstream(folder.File(name)) << name;
    std::filesystem::create_directory(folder.File("sub"));
  }
  TempFolder folder;
};

TEST_F(FolderListing, IsListableFolderSucceedsForAFolder) { EXPECT_TRUE(IsListableFolder(folder.Path())); }

TEST_F(FolderListing, IsListableFolderFailsForARegularFileOrAMissingPath) {
  for (const char* name : {"a", "missing"}) {
    SCOPED_TRACE(name);
    EXPECT_FALSE(IsListableFolder(folder.File(name)));
  }
}

TEST_F(FolderListing, IsListableFolderCarriesTheSystemsReasonForItsFailure) {
  UnlistableFoldersEnv env;
  const ScopedEnv scoped(env);
  EXPECT_EQ(IsListableFolder(folder.Path()).FailureReason(), "Permission denied");
}

TEST_F(FolderListing, ListFolderFilesSetsTheListToTheRegularFilesOnly) {
  Names names{"old"};
  EXPECT_TRUE(ListFolderFiles(folder.Path(), names));
  EXPECT_THAT(names, ::testing::UnorderedElementsAre("a", "b"));
}

TEST_F(FolderListing, ListFolderFilesOfARegularFileFailsWithAnEmptyList) {
  Names names{"old"};
  EXPECT_FALSE(ListFolderFiles(folder.File("a"), names));
  EXPECT_EQ(names, Names{});
}

TEST_F(FolderListing, ListFolderFilesCarriesTheSystemsReasonForItsFailure) {
  UnlistableFoldersEnv env;
  const ScopedEnv scoped(env);
  Names names;
  EXPECT_EQ(ListFolderFiles(folder.Path(), names).FailureReason(), "Permission denied");
}

}  // namespace
}  // namespace cmdpredict
