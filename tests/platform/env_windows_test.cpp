// The Windows file services: saves that meet a file another program holds open, and names beyond
// ASCII, lone surrogates included.
#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <set>
#include <string>
#include <thread>

#include "platform/env.h"
#include "platform/temporary_file_name.h"
#include "platform/unicode.h"
#include "support/files/file_name_escape.h"
#include "testing/temp_folder.h"

namespace cmdpredict {
namespace {

// Holds the file open for reading without letting anyone delete or replace it, as an indexer or a
// virus scanner does, until Release or the end of the object.
class ForeignHandle {
 public:
  explicit ForeignHandle(const std::string& path)
      : m_handle(::CreateFileW(Utf8PathToWide(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                               FILE_ATTRIBUTE_NORMAL, nullptr)) {}
  ~ForeignHandle() { Release(); }
  bool IsOpen() const { return m_handle != INVALID_HANDLE_VALUE; }
  void Release() {
    if (IsOpen()) ::CloseHandle(m_handle);
    m_handle = INVALID_HANDLE_VALUE;
  }

 private:
  HANDLE m_handle;
};

std::set<std::string> EntriesOf(const std::string& folder) {
  std::set<std::string> names;
  const std::unique_ptr<DirectoryReader> reader = SystemEnv().OpenFolder(folder);
  for (DirectoryEntry entry; reader && reader->Next(entry);) {
    names.insert(entry.name + (entry.isRegularFile ? "" : "/"));
  }
  return names;
}

std::string ContentsOf(const std::string& path) {
  std::string contents;
  return SystemEnv().ReadFile(path, contents) ? contents : "(unreadable)";
}

TEST(WindowsEnv, SaveReplacesAFileOnceAnotherHandleLetsGoOfItWithinASecond) {
  TempFolder folder;
  const std::string file = folder.File("E.ContextTree");
  ASSERT_TRUE(SystemEnv().ReplaceFile(file, "old"));
  ForeignHandle holder(file);
  ASSERT_TRUE(holder.IsOpen());
  std::thread release([&holder] {
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    holder.Release();
  });
  EXPECT_TRUE(SystemEnv().ReplaceFile(file, "new"));
  release.join();
  EXPECT_EQ(ContentsOf(file), "new");
  EXPECT_EQ(EntriesOf(folder.Path()), (std::set<std::string>{"./", "../", "E.ContextTree"}));
}

TEST(WindowsEnv, SaveFailsWhileAnotherHandleKeepsTheFileLeavingItWholeAndNoTemporary) {
  TempFolder folder;
  const std::string file = folder.File("E.ContextTree");
  ASSERT_TRUE(SystemEnv().ReplaceFile(file, "old"));
  const ForeignHandle holder(file);
  ASSERT_TRUE(holder.IsOpen());
  EXPECT_FALSE(SystemEnv().ReplaceFile(file, "new"));
  EXPECT_EQ(ContentsOf(file), "old");
  EXPECT_EQ(EntriesOf(folder.Path()), (std::set<std::string>{"./", "../", "E.ContextTree"}));
}

// A temporary as an unfinished save holds it: open, shared with nothing but its own rename.
HANDLE OpenAsASave(const std::string& path) {
  return ::CreateFileW(Utf8PathToWide(path).c_str(), GENERIC_WRITE, FILE_SHARE_DELETE, nullptr, CREATE_NEW,
                       FILE_ATTRIBUTE_NORMAL, nullptr);
}

TEST(WindowsEnv, SaveRemovesTheTemporariesOfKilledSavesButNotOneASaveHoldsOpen) {
  TempFolder folder;
  const std::string file = folder.File("E.ContextTree");
  const std::string killed = TemporaryPathFor(file, 1), unfinished = TemporaryPathFor(file, 2);
  ::CloseHandle(OpenAsASave(killed));
  const HANDLE held = OpenAsASave(unfinished);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  EXPECT_TRUE(SystemEnv().ReplaceFile(file, "new"));
  EXPECT_EQ(EntriesOf(folder.Path()),
            (std::set<std::string>{"./", "../", "E.ContextTree", unfinished.substr(FolderPartOf(unfinished).size())}));
  ::CloseHandle(held);
}

// (A name with a lone surrogate reaches the system as that unit, see the conversion's test; Wine
// keeps its files under UTF-8 names on the host, which cannot hold one.)
TEST(WindowsEnv, SavesReadsCopiesAndListsFilesByNamesBeyondAscii) {
  TempFolder folder;
  const std::string umlaut = "\xC3\x9C" "bung.csv";  // Übung.csv
  const std::string emoji = "\xF0\x9F\x98\x80";     // as UTF-8 from elsewhere writes it: one pair of units
  const std::string emojiAsPathText = WideToUtf8Path(WString{0xD83D, 0xDE00});  // each unit on its own
  ASSERT_TRUE(SystemEnv().ReplaceFile(folder.File(umlaut), "1"));
  ASSERT_TRUE(SystemEnv().CopyFile(folder.File(umlaut), folder.File(emoji)));
  ASSERT_TRUE(SystemEnv().CreateFolder(folder.File(umlaut + ".d")));
  EXPECT_EQ(SystemEnv().Access(folder.File(umlaut + ".d")), 0);
  EXPECT_EQ(ContentsOf(folder.File(emojiAsPathText)), "1");
  EXPECT_EQ(EntriesOf(folder.Path()), (std::set<std::string>{"./", "../", umlaut, umlaut + ".d/", emojiAsPathText}));
}

TEST(WindowsEnv, SavesAndReadsTheModelFileOfAnEnvironmentNamedAfterADeviceAsAFile) {
  TempFolder folder;
  for (const WString& environment : {WString(L"con"), WString(L"LPT1.x"), WString(L"Aux")}) {
    const std::string name = WideToUtf8Path(EscapeFileName(environment)) + ".ContextTree";
    SCOPED_TRACE(name);
    ASSERT_TRUE(SystemEnv().ReplaceFile(folder.File(name), name));
    EXPECT_EQ(ContentsOf(folder.File(name)), name);
  }
  EXPECT_EQ(EntriesOf(folder.Path()), (std::set<std::string>{"./", "../", "%63on.ContextTree",
                                                              "%4CPT1.x.ContextTree", "%41ux.ContextTree"}));
}

TEST(WindowsEnv, RefusesPathTextThatIsNotUtf8) {
  TempFolder folder;
  const std::string bad = folder.File("a\xFF");
  EXPECT_FALSE(SystemEnv().ReplaceFile(bad, "x"));
  EXPECT_NE(SystemEnv().Access(bad), 0);
  EXPECT_EQ(SystemEnv().OpenFolder(bad), nullptr);
  EXPECT_EQ(EntriesOf(folder.Path()), (std::set<std::string>{"./", "../"}));
}

}  // namespace
}  // namespace cmdpredict
