// The Windows file services: saves that meet a file another program holds open, and names beyond
// ASCII, lone surrogates included.
#include <gtest/gtest.h>
#include <windows.h>

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

using Entries = std::set<std::string>;

// Holds the file open for reading without letting anyone delete or replace it, as an indexer or a
// virus scanner does, until Release or the end of the object.
class ForeignHandle {
 public:
  explicit ForeignHandle(const std::string& path)
      : m_handle(::CreateFileW(Utf8PathToWide(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                               OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr)) {}
  ~ForeignHandle() { Release(); }
  bool IsOpen() const { return m_handle != INVALID_HANDLE_VALUE; }
  void Release() {
    if (IsOpen()) ::CloseHandle(m_handle);
    m_handle = INVALID_HANDLE_VALUE;
  }

 private:
  HANDLE m_handle;
};

// A temporary folder, and the file E.ContextTree in it once a test writes it.
class WindowsEnv : public ::testing::Test {
 protected:
  Entries EntriesOfFolder() const {
    Entries names;
    const std::unique_ptr<DirectoryReader> reader = SystemEnv().OpenFolder(folder.Path());
    for (DirectoryEntry entry; reader && reader->Next(entry);) {
      names.insert(entry.name + (entry.isRegularFile ? "" : "/"));
    }
    return names;
  }
  static std::string ContentsOf(const std::string& path) {
    std::string contents;
    return SystemEnv().ReadFile(path, contents) ? contents : "(unreadable)";
  }
  TempFolder folder;
  const std::string file = folder.File("E.ContextTree");
};

// A file held open by another program.
class HeldFile : public WindowsEnv {
 protected:
  const bool written = SystemEnv().ReplaceFile(file, "old");
  ForeignHandle holder{file};
};

TEST_F(HeldFile, IsReplacedOnceTheOtherHandleLetsGoWithinASecond) {
  ASSERT_TRUE(holder.IsOpen());
  std::thread release([this] {
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    holder.Release();
  });
  EXPECT_TRUE(SystemEnv().ReplaceFile(file, "new"));
  release.join();
  EXPECT_EQ(ContentsOf(file), "new");
  EXPECT_EQ(EntriesOfFolder(), (Entries{"./", "../", "E.ContextTree"}));
}

// The save fails and leaves the file as it was, without a temporary beside it.
TEST_F(HeldFile, IsLeftAsItWasWhileTheOtherHandleKeepsIt) {
  ASSERT_TRUE(holder.IsOpen());
  EXPECT_FALSE(SystemEnv().ReplaceFile(file, "new"));
  EXPECT_EQ(ContentsOf(file), "old");
  EXPECT_EQ(EntriesOfFolder(), (Entries{"./", "../", "E.ContextTree"}));
}

// A temporary as an unfinished save holds it: open, shared with nothing but its own rename.
HANDLE OpenAsASave(const std::string& path) {
  return ::CreateFileW(Utf8PathToWide(path).c_str(), GENERIC_WRITE, FILE_SHARE_DELETE, nullptr, CREATE_NEW,
                       FILE_ATTRIBUTE_NORMAL, nullptr);
}

TEST_F(WindowsEnv, SaveRemovesTheTemporariesOfKilledSavesButNotOneASaveHoldsOpen) {
  const std::string killed = TemporaryPathFor(file, 1), unfinished = TemporaryPathFor(file, 2);
  ::CloseHandle(OpenAsASave(killed));
  const HANDLE held = OpenAsASave(unfinished);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  EXPECT_TRUE(SystemEnv().ReplaceFile(file, "new"));
  EXPECT_EQ(EntriesOfFolder(),
            (Entries{"./", "../", "E.ContextTree", unfinished.substr(FolderPartOf(unfinished).size())}));
  ::CloseHandle(held);
}

// Übung.csv; the emoji as UTF-8 from elsewhere writes it (one pair of units), and as path text made
// from the units (each on its own). (A name with a lone surrogate reaches the system as that unit,
// see the conversion's test; Wine keeps its files under UTF-8 names on the host, which cannot hold one.)
const std::string kUmlaut =
    "\xC3\x9C"
    "bung.csv";
const std::string kEmoji = "\xF0\x9F\x98\x80";
const std::string kEmojiAsPathText = WideToUtf8Path(WString{0xD83D, 0xDE00});

// Each file service in turn, on the names the ones before made.
TEST_F(WindowsEnv, EveryFileServiceTakesNamesBeyondAscii) {
  ASSERT_TRUE(SystemEnv().ReplaceFile(folder.File(kUmlaut), "1"));
  ASSERT_TRUE(SystemEnv().CopyFile(folder.File(kUmlaut), folder.File(kEmoji)));
  ASSERT_TRUE(SystemEnv().CreateFolder(folder.File(kUmlaut + ".d")));
  EXPECT_EQ(SystemEnv().Access(folder.File(kUmlaut + ".d")), 0);
  EXPECT_EQ(ContentsOf(folder.File(kEmojiAsPathText)), "1");
  EXPECT_EQ(EntriesOfFolder(), (Entries{"./", "../", kUmlaut, kUmlaut + ".d/", kEmojiAsPathText}));
}

TEST_F(WindowsEnv, KeepsTheModelFileOfAnEnvironmentNamedAfterADeviceAsAFile) {
  for (const WString& environment : {WString(L"con"), WString(L"LPT1.x"), WString(L"Aux")}) {
    const std::string name = WideToUtf8Path(EscapeFileName(environment)) + ".ContextTree";
    SCOPED_TRACE(name);
    ASSERT_TRUE(SystemEnv().ReplaceFile(folder.File(name), name));
    EXPECT_EQ(ContentsOf(folder.File(name)), name);
  }
  EXPECT_EQ(EntriesOfFolder(),
            (Entries{"./", "../", "%63on.ContextTree", "%4CPT1.x.ContextTree", "%41ux.ContextTree"}));
}

TEST_F(WindowsEnv, RefusesPathTextThatIsNotUtf8) {
  const std::string bad = folder.File("a\xFF");
  EXPECT_FALSE(SystemEnv().ReplaceFile(bad, "x"));
  EXPECT_NE(SystemEnv().Access(bad), 0);
  EXPECT_EQ(SystemEnv().OpenFolder(bad), nullptr);
  EXPECT_EQ(EntriesOfFolder(), (Entries{"./", "../"}));
}

}  // namespace
}  // namespace cmdpredict
