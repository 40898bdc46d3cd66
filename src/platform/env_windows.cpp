// Windows implementation of the system services, over the UTF-16 ("W") calls: the library's UTF-8
// path text is turned back into the units it was made from, so a name with a lone surrogate still
// reaches its file.
#include <windows.h>
// The A/W selecting macros of these calls would rename the Env members of the same names.
#undef CopyFile
#undef ReplaceFile

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>

#include "platform/env.h"
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
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error, 0,
      reinterpret_cast<wchar_t*>(&text), 0, nullptr);
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
  return ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                       OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
}

HANDLE OpenForWriting(const std::wstring& path, DWORD disposition) {
  return ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
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

// A name in the target's folder that no other writer of this process or another one uses.
std::wstring TemporaryNameFor(const std::wstring& target) {
  static unsigned long counter = 0;
  const auto separator = target.find_last_of(L"\\/");
  const std::wstring folder = separator == std::wstring::npos ? std::wstring() : target.substr(0, separator + 1);
  return folder + L".cmdpredict-" + std::to_wstring(::GetCurrentProcessId()) + L"-" + std::to_wstring(++counter) +
         L".tmp";
}

bool IsTransientRenameFailure(DWORD error) {
  return error == ERROR_SHARING_VIOLATION || error == ERROR_ACCESS_DENIED || error == ERROR_LOCK_VIOLATION;
}

// Renames the temporary file over the target, trying again for a bounded time while another process
// holds the target open.
bool MoveOver(const std::wstring& temporary, const std::wstring& target) {
  const ULONGLONG deadline = ::GetTickCount64() + kReplaceRetryMilliseconds;
  for (;;) {
    if (::MoveFileExW(temporary.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
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

  bool CopyFile(const std::string& source, const std::string& target) override {
    std::string contents;
    const std::optional<std::wstring> wideTarget = WidePath(target);
    if (!wideTarget || !ReadFile(source, contents)) return false;
    FileHandle out(OpenForWriting(*wideTarget, CREATE_ALWAYS));
    return out.IsOpen() && WriteAll(out.Get(), contents.data(), contents.size()) && out.Close();
  }

  bool ReadFile(const std::string& path, std::string& contents) override {
    const std::optional<std::wstring> wide = WidePath(path);
    if (!wide) return false;
    FileHandle in(OpenForReading(*wide));
    return in.IsOpen() && ReadAll(in.Get(), contents);
  }

  bool ReplaceFile(const std::string& path, const std::string& contents) override {
    const std::optional<std::wstring> target = WidePath(path);
    if (!target) return false;
    const std::wstring temporary = TemporaryNameFor(*target);
    FileHandle out(OpenForWriting(temporary, CREATE_NEW));
    if (!out.IsOpen()) return false;
    const bool written = WriteAll(out.Get(), contents.data(), contents.size()) && ::FlushFileBuffers(out.Get());
    if (out.Close() && written && MoveOver(temporary, *target)) return true;
    const DWORD error = ::GetLastError();  // the failing step's, for LastErrorText
    ::DeleteFileW(temporary.c_str());
    ::SetLastError(error);
    return false;
  }

  std::int64_t NowSeconds() override {
    FILETIME now{};
    ::GetSystemTimeAsFileTime(&now);
    const std::int64_t ticks = static_cast<std::int64_t>((std::uint64_t{now.dwHighDateTime} << 32) | now.dwLowDateTime);
    return ticks / kFileTimeTicksPerSecond - kFileTimeSecondsBefore1970;
  }

  std::string LastErrorText() override { return ErrorText(::GetLastError()); }
};

}  // namespace

Env& SystemEnv() {
  static WindowsEnv env;
  return env;
}

}  // namespace cmdpredict
