// What only a POSIX system shows of ReplaceFile: permissions, the locks that mark a temporary in
// use, and processes that start as copies of one another.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>

#include "platform/env.h"
#include "platform/temporary_file_name.h"
#include "testing/temp_folder.h"

namespace cmdpredict {
namespace {

mode_t PermissionsOf(const std::string& path) {
  struct stat info {};
  EXPECT_EQ(::stat(path.c_str(), &info), 0);
  return info.st_mode & 0777;
}

class PosixReplaceFileTest : public ::testing::Test {
 protected:
  TempFolder folder;
  const std::string target = folder.File("E.ContextTree");
};

// 0664 is more than the usual umask of 022 lets a new file have.
TEST_F(PosixReplaceFileTest, KeepsThePermissionsOfTheFileItReplaces) {
  for (const mode_t mode : {mode_t{0600}, mode_t{0664}, mode_t{0444}}) {
    SCOPED_TRACE(mode);
    std::ofstream(target) << "old";
    ASSERT_EQ(::chmod(target.c_str(), mode), 0);
    ASSERT_TRUE(SystemEnv().ReplaceFile(target, "new"));
    EXPECT_EQ(PermissionsOf(target), mode);
  }
}

TEST_F(PosixReplaceFileTest, GivesANewFileTheUsualPermissionsUnderTheUmask) {
  const mode_t umask = ::umask(0);
  ::umask(umask);
  ASSERT_TRUE(SystemEnv().ReplaceFile(target, "new"));
  EXPECT_EQ(PermissionsOf(target), 0666 & ~umask);
}

TEST_F(PosixReplaceFileTest, KeepsATemporaryThatALiveSaveHoldsOpen) {
  const std::string live = folder.File(".E.ContextTree.0000000000000001.tmp");
  const int fd = ::open(live.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0600);
  ASSERT_GE(fd, 0);
  ASSERT_EQ(::flock(fd, LOCK_EX), 0);
  EXPECT_TRUE(SystemEnv().ReplaceFile(target, "new"));
  EXPECT_TRUE(std::filesystem::exists(live));
  ::close(fd);
}

// Processes that start alike (a fork, or process id 1 in every container) draw different names.
TEST(PosixTemporaryFileName, AForkedChildDrawsAnotherNumberThanItsParent) {
  int channel[2];
  ASSERT_EQ(::pipe(channel), 0);
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    const std::uint64_t drawn = NewTemporaryNumber();
    _exit(::write(channel[1], &drawn, sizeof drawn) == sizeof drawn ? 0 : 1);
  }
  const std::uint64_t parents = NewTemporaryNumber();
  std::uint64_t childs = parents;
  EXPECT_EQ(::read(channel[0], &childs, sizeof childs), static_cast<ssize_t>(sizeof childs));
  ::waitpid(child, nullptr, 0);
  ::close(channel[0]);
  ::close(channel[1]);
  EXPECT_NE(childs, parents);
}

}  // namespace
}  // namespace cmdpredict
