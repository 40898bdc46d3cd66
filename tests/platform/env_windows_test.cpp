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

HANDLE Open(const std::string& path, DWORD access, DWORD sharing, DWORD disposition) {
  return ::CreateFileW(Utf8PathToWide(path).c_str(), access, sharing, nullptr, disposition,
                       FILE_ATTRIBUTE_NORMAL, nullptr);
}

// A temporary folder, and the file E.ContextTree in it once a test writes it.
class WindowsEnv : public ::testing::Test {
 protected:
  // The folder's entries as the file service lists them, each folder's with a '/'.
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

// The file, held open by another program for reading without letting anyone delete or replace it,
// as an indexer or a virus scanner does, until Release.
class HeldFile : public WindowsEnv {
 protected:
  ~HeldFile() override { Release(); }
  void Release() {
    if (holder != INVALID_HANDLE_VALUE) ::CloseHandle(holder);
    holder = INVALID_HANDLE_VALUE;
  }
  const bool written = SystemEnv().ReplaceFile(file, "old");
  HANDLE holder = Open(file, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING);
};

TEST_F(HeldFile, IsReplacedOnceTheOtherHandleLetsGoWithinASecond) {
  ASSERT_NE(holder, INVALID_HANDLE_VALUE);
  std::thread release([this] {
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    Release();
  });
  EXPECT_TRUE(SystemEnv().ReplaceFile(file, "new"));
  release.join();
  EXPECT_EQ(ContentsOf(file), "new");
  EXPECT_EQ(EntriesOfFolder(), (Entries{"./", "../", "E.ContextTree"}));
}

// The save fails and leaves the file as it was, without a temporary beside it.
TEST_F(HeldFile, IsLeftAsItWasWhileTheOtherHandleKeepsIt) {
  ASSERT_NE(holder, INVALID_HANDLE_VALUE);
  EXPECT_FALSE(SystemEnv().ReplaceFile(file, "new"));
  EXPECT_EQ(ContentsOf(file), "old");
  EXPECT_EQ(EntriesOfFolder(), (Entries{"./", "../", "E.ContextTree"}));
}

// Held as an unfinished save holds it: open, shared with nothing but its own rename.
TEST_F(WindowsEnv, SaveKeepsATemporaryThatASaveHoldsOpen) {
  const std::string unfinished = TemporaryPathFor(file, 2);
  const HANDLE held = Open(unfinished, GENERIC_WRITE, FILE_SHARE_DELETE, CREATE_NEW);
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
  ASSERT_TRUE(SystemEnv().ReplaceFile(folder.File(kEmoji), "1"));
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
