// The operating system's file, folder and clock services, behind one interface so that the rest of
// the library stays platform-free and tests can substitute failing or clock-controlled doubles.
//
// Paths are narrow strings handed to the system unchanged (UTF-8 on POSIX systems).
// Threading: the current Env is process-wide and unsynchronised, like the rest of the library.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <utility>

#include "platform/content_sink.h"

namespace cmdpredict {

// One entry of a folder listing, as the system reports it.
struct DirectoryEntry {
  std::string name;            // without the folder
  bool isRegularFile = false;  // false for folders (".", ".." included) and special files
};

class DirectoryReader {
 public:
  virtual ~DirectoryReader() = default;
  // Fills the next entry in the system's order; false when there is none left.
  virtual bool Next(DirectoryEntry& entry) = 0;
};

// Passes the pieces on to `write` in blocks of at least kBlockBytes (but the last), so that a
// writer of many small pieces makes few system calls; a large piece is passed on as it is.
class BlockSink final : public ContentSink {
 public:
  static constexpr std::size_t kBlockBytes = 256 * 1024;
  explicit BlockSink(std::function<bool(std::string_view)> write) : m_write(std::move(write)) {}
  bool Append(std::string_view piece) override;
  // Passes on what is still gathered.
  bool Flush();

 private:
  std::function<bool(std::string_view)> m_write;
  std::string m_block;
};

class Env {
 public:
  virtual ~Env() = default;

  // 0 when a file or folder exists at the path; otherwise a nonzero error number.
  virtual int Access(const std::string& path) = 0;
  // Creates one folder with default permissions (the parent must exist); false on any failure,
  // a folder that exists already included.
  virtual bool CreateFolder(const std::string& path) = 0;
  // A reader over the folder's entries, or null when the folder cannot be listed.
  virtual std::unique_ptr<DirectoryReader> OpenFolder(const std::string& path) = 0;
  // Reads a whole regular file; false (contents unspecified) when it cannot be opened or read.
  virtual bool ReadFile(const std::string& path, std::string& contents) = 0;
  // Writes the contents to a new temporary file in the target's folder, named as
  // platform/temporary_file_name.h says with a number that no existing file's name holds, flushes it
  // to the disk, gives it the permissions of the file it replaces (a new file: the usual ones for the
  // process) and renames it over the target. Before that, removes the temporaries of the same target
  // (on the process's first save into the folder: of every file in it) that no save holds open any
  // more: those of saves that were killed. On failure at any step returns false, removes its
  // temporary file and leaves an existing target exactly as it was. Concurrent saves of one target
  // by several processes each leave a whole file; the last rename wins.
  virtual bool ReplaceFile(const std::string& path, const std::string& contents) = 0;
  // ReplaceFile with the contents that `write` hands over piece by piece, so that they need never
  // be in memory at once. The target is replaced only when `write` returns true and every piece was
  // written. By default the pieces are gathered and given to ReplaceFile, so that a double that
  // controls ReplaceFile controls this too.
  virtual bool ReplaceFileFrom(const std::string& path, const ContentWriter& write);
  // Seconds since 1970-01-01 00:00:00 UTC.
  virtual std::int64_t NowSeconds() = 0;
  // The system's text for why the latest call that failed on this thread failed ("No space left
  // on device"). Meaningful only right after that call, before any other call of the system.
  virtual std::string LastErrorText() = 0;
};

// The operating system's services.
Env& SystemEnv();

// The services the library uses: the system's unless a ScopedEnv is installed.
Env& CurrentEnv();

// Installs another Env (a test double) for the lifetime of this object.
class ScopedEnv {
 public:
  explicit ScopedEnv(Env& env);
  ~ScopedEnv();
  ScopedEnv(const ScopedEnv&) = delete;
  ScopedEnv& operator=(const ScopedEnv&) = delete;

 private:
  Env* m_previous;
};

}  // namespace cmdpredict
