// Windows implementation of the system services, over the UTF-16 ("W") calls: the library's UTF-8
// path text is turned back into the units it was made from, so a name with a lone surrogate still
// reaches its file.
#include <windows.h>
// The A/W selecting macros of these calls would rename the Env members of the same names.
#undef ReplaceFile

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <optional>
#include <set>
#include <stdexcept>
#include <string>

#include "platform/env.h"
#include "platform/temporary_file_name.h"
#include "platform/unicode.h"

namespace cmdpredict {
namespace {

// How long a save keeps trying to replace a file that another process holds open (indexers and
// virus scanners open new files briefly), and how long it waits between tries.
constexpr ULONGLONG kReplaceRetryMilliseconds = 1000;
constexpr DWORD kReplaceRetryPauseMilliseconds = 50;

// Windows counts 100-nanosecond intervals from 1601-01-01.
constexpr std::int64_t kFileTimeTicksPerSecond = 10000000;
constexpr std::int64_t kFileTimeSecondsBefore1970 = 11644473600;

std::optional<std::wstring> WidePath(const std::string& path) {
  try {
    return Utf8PathToWide(path);
  } catch (const std::range_error&) {
    ::SetLastError(ERROR_INVALID_NAME);  // for LastErrorText
    return std::nullopt;
  }
}

// The system's message for an error code, without the line end and the full stop it ends with.
std::string ErrorText(DWORD error) {
  wchar_t* text = nullptr;
  const DWORD length = ::FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
      error, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
  if (length == 0) return "error " + std::to_string(error);
  std::wstring message(text, length);
  ::LocalFree(text);
  while (!message.empty() && (message.back() == L'\r' || message.back() == L'\n' || message.back() == L'.')) {
    message.pop_back();
  }
  return WideToUtf8Path(message);
}

// The C library's error number closest to the system's error code.
int ErrorNumber(DWORD error) {
  switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_NAME:
    case ERROR_BAD_NETPATH:
      return ENOENT;
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
      return EACCES;
    default:
      return EIO;
  }
}

// Closes a file handle when it goes out of scope.
class FileHandle {
 public:
  explicit FileHandle(HANDLE handle) : m_handle(handle) {}
  ~FileHandle() {
    if (IsOpen()) ::CloseHandle(m_handle);
  }
  FileHandle(const FileHandle&) = delete;
  FileHandle& operator=(const FileHandle&) = delete;
  bool IsOpen() const { return m_handle != INVALID_HANDLE_VALUE; }
  HANDLE Get() const { return m_handle; }
  bool Close() {
    const HANDLE handle = m_handle;
    m_handle = INVALID_HANDLE_VALUE;
    return ::CloseHandle(handle) != FALSE;
  }

 private:
  HANDLE m_handle;
};

// Reading shares the file with writers and with a save renaming over it, as a POSIX read does.
HANDLE OpenForReading(const std::wstring& path) {
  return ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                       nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
}

// A temporary that is open for a save is shared with nobody but the save's own rename, which tells it
// from the temporaries of saves that were killed: those alone can be opened exclusively.
HANDLE CreateTemporaryFile(const std::wstring& path) {
  return ::CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_DELETE, nullptr, CREATE_NEW,
                       FILE_ATTRIBUTE_NORMAL, nullptr);
}

// Removes the temporary when no save holds it open: opened exclusively, it goes when it is closed.
void RemoveIfStale(const std::wstring& path) {
  const HANDLE stale = ::CreateFileW(path.c_str(), DELETE, 0, nullptr, OPEN_EXISTING,
                                     FILE_ATTRIBUTE_NORMAL | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
  if (stale != INVALID_HANDLE_VALUE) ::CloseHandle(stale);
}

bool WriteAll(HANDLE file, const char* data, std::size_t size) {
  while (size > 0) {
    const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(size, 1U << 30));
    DWORD written = 0;
    if (!::WriteFile(file, data, chunk, &written, nullptr) || written == 0) return false;
    data += written;
    size -= written;
  }
  return true;
}

// Reads to the end of a file on a disk, into a string sized for the whole file up front.
bool ReadAll(HANDLE file, std::string& contents) {
  LARGE_INTEGER size{};
  if (::GetFileType(file) != FILE_TYPE_DISK) {
    ::SetLastError(ERROR_INVALID_FUNCTION);  // a device or a pipe, for LastErrorText
    return false;
  }
  if (!::GetFileSizeEx(file, &size)) return false;
  contents.resize(static_cast<std::size_t>(size.QuadPart) + 1);  // one spare byte meets the end
  std::size_t read = 0;
  for (;;) {
    if (read == contents.size()) contents.resize(contents.size() * 2);
    const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(contents.size() - read, 1U << 30));
    DWORD got = 0;
    if (!::ReadFile(file, &contents[read], chunk, &got, nullptr)) return false;
    if (got == 0) break;
    read += got;
  }
  contents.resize(read);
  return true;
}

bool IsTransientRenameFailure(DWORD error) {
  return error == ERROR_SHARING_VIOLATION || error == ERROR_ACCESS_DENIED || error == ERROR_LOCK_VIOLATION;
}

// Renames the temporary file over the target, trying again for a bounded time while another process
// holds the target open.
bool MoveOver(const std::wstring& temporary, const std::wstring& target) {
  const ULONGLONG deadline = ::GetTickCount64() + kReplaceRetryMilliseconds;
  for (;;) {
    if (::MoveFileExW(temporary.c_str(), target.c_str(),
                      MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
      return true;
    }
    if (!IsTransientRenameFailure(::GetLastError()) || ::GetTickCount64() >= deadline) return false;
    ::Sleep(kReplaceRetryPauseMilliseconds);
  }
}

std::string NarrowName(const WIN32_FIND_DATAW& found) { return WideToUtf8Path(found.cFileName); }

bool IsRegularFile(const WIN32_FIND_DATAW& found) {
  return (found.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE)) == 0;
}

class WindowsDirectoryReader final : public DirectoryReader {
 public:
  // `first` is the entry the search opened with; a null handle is an empty folder.
  WindowsDirectoryReader(HANDLE search, const WIN32_FIND_DATAW& first) : m_search(search), m_found(first) {}
  ~WindowsDirectoryReader() override {
    if (m_search != INVALID_HANDLE_VALUE) ::FindClose(m_search);
  }

  bool Next(DirectoryEntry& entry) override {
    if (m_search == INVALID_HANDLE_VALUE) return false;
    if (m_pending) {
      m_pending = false;
    } else if (!::FindNextFileW(m_search, &m_found)) {
      return false;
    }
    entry.name = NarrowName(m_found);
    entry.isRegularFile = IsRegularFile(m_found);
    return true;
  }

 private:
  HANDLE m_search;
  WIN32_FIND_DATAW m_found;
  bool m_pending = true;
};

class WindowsEnv final : public Env {
 public:
  // Removes the temporaries that saves of the target, or of any file in its folder, left behind when
  // they were killed.
  void RemoveStaleTemporaries(const std::string& target, bool ofEveryFile) {
    const std::string folder = FolderPartOf(target);
    const std::string targetName = target.substr(folder.size());
    const std::unique_ptr<DirectoryReader> reader = OpenFolder(folder.empty() ? "." : folder);
    for (DirectoryEntry entry; reader && reader->Next(entry);) {
      if (ofEveryFile ? IsTemporaryName(entry.name) : IsTemporaryNameOf(entry.name, targetName)) {
        if (const std::optional<std::wstring> stale = WidePath(folder + entry.name)) RemoveIfStale(*stale);
      }
    }
  }

  // Creates a new temporary of the target and names it in `temporary`. A name taken by a file that
  // exists already is never used: another fresh one is drawn.
  HANDLE CreateTemporary(const std::string& target, std::wstring& temporary) {
    constexpr int kAttempts = 16;
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
      const std::optional<std::wstring> name = WidePath(TemporaryPathFor(target, NewTemporaryNumber()));
      if (!name) return INVALID_HANDLE_VALUE;
      const HANDLE created = CreateTemporaryFile(*name);
      if (created != INVALID_HANDLE_VALUE || ::GetLastError() != ERROR_FILE_EXISTS) {
        temporary = *name;
        return created;
      }
    }
    return INVALID_HANDLE_VALUE;
  }

  int Access(const std::string& path) override {
    const std::optional<std::wstring> wide = WidePath(path);
    if (!wide) return ENOENT;
    return ::GetFileAttributesW(wide->c_str()) != INVALID_FILE_ATTRIBUTES ? 0 : ErrorNumber(::GetLastError());
  }

  bool CreateFolder(const std::string& path) override {
    const std::optional<std::wstring> wide = WidePath(path);
    return wide && ::CreateDirectoryW(wide->c_str(), nullptr) != FALSE;
  }

  std::unique_ptr<DirectoryReader> OpenFolder(const std::string& path) override {
    const std::optional<std::wstring> wide = WidePath(path);
    if (!wide) return nullptr;
    std::wstring pattern = *wide;
    if (pattern.empty() || (pattern.back() != L'\\' && pattern.back() != L'/')) pattern += L'\\';
    pattern += L'*';
    WIN32_FIND_DATAW found{};
    const HANDLE search = ::FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &found, FindExSearchNameMatch,
                                             nullptr, FIND_FIRST_EX_LARGE_FETCH);
    if (search == INVALID_HANDLE_VALUE) {
      // A folder without entries (a drive's root has no "." or "..") is listable all the same.
      if (::GetLastError() != ERROR_FILE_NOT_FOUND) return nullptr;
    }
    return std::make_unique<WindowsDirectoryReader>(search, found);
  }

  bool ReadFile(const std::string& path, std::string& contents) override {
    const std::optional<std::wstring> wide = WidePath(path);
    if (!wide) return false;
    FileHandle in(OpenForReading(*wide));
    return in.IsOpen() && ReadAll(in.Get(), contents);
  }

  bool ReplaceFile(const std::string& path, const std::string& contents) override {
    return ReplaceFileFrom(path, [&contents](ContentSink& sink) { return sink.Append(contents); });
  }

  bool ReplaceFileFrom(const std::string& path, const ContentWriter& write) override {
    const std::optional<std::wstring> target = WidePath(path);
    if (!target) return false;
    // The first save into a folder also clears what killed saves of files that are never saved
    // again left there.
    RemoveStaleTemporaries(path, m_clearedFolders.insert(FolderPartOf(path)).second);
    std::wstring temporary;
    FileHandle out(CreateTemporary(path, temporary));
    if (!out.IsOpen()) return false;
    BlockSink sink(
        [&out](std::string_view piece) { return WriteAll(out.Get(), piece.data(), piece.size()); });
    const bool written = write(sink) && sink.Flush() && ::FlushFileBuffers(out.Get());
    // Renamed while still open, so that no other save takes it for a stale one meanwhile.
    if (written && MoveOver(temporary, *target)) return true;
    const DWORD error = ::GetLastError();  // the failing step's, for LastErrorText
    out.Close();
    ::DeleteFileW(temporary.c_str());
    ::SetLastError(error);
    return false;
  }

  std::int64_t NowSeconds() override {
    FILETIME now{};
    ::GetSystemTimeAsFileTime(&now);
    const std::int64_t ticks =
        static_cast<std::int64_t>((std::uint64_t{now.dwHighDateTime} << 32) | now.dwLowDateTime);
    return ticks / kFileTimeTicksPerSecond - kFileTimeSecondsBefore1970;
  }

  std::string LastErrorText() override { return ErrorText(::GetLastError()); }

 private:
  std::set<std::string> m_clearedFolders;  // of every file's stale temporaries, by this process
};

}  // namespace

Env& SystemEnv() {
  static WindowsEnv env;
  return env;
}

}  // namespace cmdpredict
