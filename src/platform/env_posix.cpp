// POSIX implementation of the system services.
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <ctime>
#include <set>
#include <string>

#include "platform/env.h"
#include "platform/temporary_file_name.h"

namespace cmdpredict {
namespace {

// Closes a descriptor when it goes out of scope.
class FileDescriptor {
 public:
  explicit FileDescriptor(int fd) : m_fd(fd) {}
  ~FileDescriptor() {
    if (m_fd >= 0) ::close(m_fd);
  }
  FileDescriptor(const FileDescriptor&) = delete;
  FileDescriptor& operator=(const FileDescriptor&) = delete;
  int Get() const { return m_fd; }
  bool Close() { return ::close(Release()) == 0; }
  // Hands the descriptor over to the caller.
  int Release() {
    const int fd = m_fd;
    m_fd = -1;
    return fd;
  }

 private:
  int m_fd;
};

bool WriteAll(int fd, const char* data, std::size_t size) {
  while (size > 0) {
    const ssize_t written = ::write(fd, data, size);
    if (written < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    data += written;
    size -= static_cast<std::size_t>(written);
  }
  return true;
}

// Asks the system to start writing the bytes just written to the disk without waiting, so that the
// flush at the end of a long write finds most of the file written. Only Linux offers it.
void StartWriteBack(int fd, off_t offset, off_t bytes) {
#if defined(__linux__)
  ::sync_file_range(fd, offset, bytes, SYNC_FILE_RANGE_WRITE);
#else
  static_cast<void>(fd);
  static_cast<void>(offset);
  static_cast<void>(bytes);
#endif
}

// Reads to the end of the file, into a string sized for the whole file up front when its size is
// known (a model file can be hundreds of megabytes).
bool ReadAll(int fd, std::size_t expectedSize, std::string& contents) {
  contents.resize(std::max<std::size_t>(expectedSize + 1, 4096));  // one spare byte meets the end
  std::size_t size = 0;
  for (;;) {
    if (size == contents.size()) contents.resize(contents.size() * 2);
    const ssize_t got = ::read(fd, &contents[size], contents.size() - size);
    if (got < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    if (got == 0) break;
    size += static_cast<std::size_t>(got);
  }
  contents.resize(size);
  return true;
}

bool IsRegularFile(const std::string& path) {
  struct stat info {};
  return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

// A temporary that is open for a save holds an exclusive lock on it until the save has renamed it,
// which tells it from the temporaries of saves that were killed. The lock goes with the process.
// Fails with EWOULDBLOCK while another holds the lock, or with another error where the file system
// keeps no locks.
bool LockWithoutWaiting(int fd) { return ::flock(fd, LOCK_EX | LOCK_NB) == 0; }

bool IsSameFile(const struct stat& a, const struct stat& b) {
  return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// Removes the temporary when no save holds it, and when it is still the file of that name.
void RemoveIfStale(const std::string& path) {
  FileDescriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOFOLLOW));
  struct stat opened {};
  struct stat named {};
  if (file.Get() < 0 || ::fstat(file.Get(), &opened) != 0 || !S_ISREG(opened.st_mode) ||
      !LockWithoutWaiting(file.Get()) || ::lstat(path.c_str(), &named) != 0 || !IsSameFile(opened, named)) {
    return;
  }
  ::unlink(path.c_str());
}

// Removes the temporaries that saves of the target, or of any file in its folder, left behind when
// they were killed.
void RemoveStaleTemporaries(const std::string& target, bool ofEveryFile) {
  const std::string folder = FolderPartOf(target);
  const std::string targetName = target.substr(folder.size());
  DIR* dir = ::opendir(folder.empty() ? "." : folder.c_str());
  if (dir == nullptr) return;
  while (const dirent* entry = ::readdir(dir)) {
    if (ofEveryFile ? IsTemporaryName(entry->d_name) : IsTemporaryNameOf(entry->d_name, targetName)) {
      RemoveIfStale(folder + entry->d_name);
    }
  }
  ::closedir(dir);
}

// Creates and locks a new temporary of the target, with the permissions given (under the umask), and
// names it in `temporary`; -1 when none can be made. A name taken by a file that exists already is
// never used: another fresh one is drawn.
int CreateTemporary(const std::string& target, mode_t mode, std::string& temporary) {
  constexpr int kAttempts = 16;
  for (int attempt = 0; attempt < kAttempts; ++attempt) {
    temporary = TemporaryPathFor(target, NewTemporaryNumber());
    FileDescriptor created(::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode));
    if (created.Get() < 0) {
      if (errno == EEXIST) continue;
      return -1;
    }
    // Another save may have taken the new file for a stale one before it was locked; that save
    // removes it, and a fresh one is drawn.
    const bool locked = LockWithoutWaiting(created.Get());
    if (!locked && errno == EWOULDBLOCK) continue;
    struct stat info {};
    if (::fstat(created.Get(), &info) == 0 && info.st_nlink > 0) return created.Release();
  }
  return -1;
}

class PosixDirectoryReader final : public DirectoryReader {
 public:
  PosixDirectoryReader(DIR* dir, std::string folder) : m_dir(dir), m_folder(std::move(folder)) {}
  ~PosixDirectoryReader() override { ::closedir(m_dir); }

  bool Next(DirectoryEntry& entry) override {
    const dirent* found = ::readdir(m_dir);
    if (found == nullptr) return false;
    entry.name = found->d_name;
    if (found->d_type == DT_REG) {
      entry.isRegularFile = true;
    } else if (found->d_type == DT_UNKNOWN || found->d_type == DT_LNK) {
      entry.isRegularFile = IsRegularFile(m_folder + "/" + entry.name);
    } else {
      entry.isRegularFile = false;
    }
    return true;
  }

 private:
  DIR* m_dir;
  std::string m_folder;
};

class PosixEnv final : public Env {
 public:
  int Access(const std::string& path) override { return ::access(path.c_str(), F_OK) == 0 ? 0 : errno; }

  bool CreateFolder(const std::string& path) override { return ::mkdir(path.c_str(), 0777) == 0; }

  std::unique_ptr<DirectoryReader> OpenFolder(const std::string& path) override {
    DIR* dir = ::opendir(path.c_str());
    if (dir == nullptr) return nullptr;
    return std::make_unique<PosixDirectoryReader>(dir, path);
  }

  bool ReadFile(const std::string& path, std::string& contents) override {
    // Non-blocking so that a FIFO in place of a file cannot hang the host.
    FileDescriptor in(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    struct stat info {};
    if (in.Get() < 0 || ::fstat(in.Get(), &info) != 0) return false;
    if (!S_ISREG(info.st_mode)) {
      errno = S_ISDIR(info.st_mode) ? EISDIR : EINVAL;  // for LastErrorText
      return false;
    }
    return ReadAll(in.Get(), static_cast<std::size_t>(info.st_size), contents);
  }

  bool ReplaceFile(const std::string& path, const std::string& contents) override {
    return ReplaceFileFrom(path, [&contents](ContentSink& sink) { return sink.Append(contents); });
  }

  bool ReplaceFileFrom(const std::string& path, const ContentWriter& write) override {
    // The first save into a folder also clears what killed saves of files that are never saved
    // again left there.
    RemoveStaleTemporaries(path, m_clearedFolders.insert(FolderPartOf(path)).second);
    struct stat replaced {};
    const bool replacing = ::stat(path.c_str(), &replaced) == 0 && S_ISREG(replaced.st_mode);
    // A new file gets the usual permissions under the umask, a replacing one those of the file it
    // replaces; the temporary never grants more than that.
    const mode_t mode = replacing ? replaced.st_mode & 0777 : 0666;
    std::string temporary;
    FileDescriptor out(CreateTemporary(path, mode, temporary));
    if (out.Get() < 0) return false;
    off_t writtenBytes = 0;
    BlockSink sink([&out, &writtenBytes](std::string_view piece) {
      if (!WriteAll(out.Get(), piece.data(), piece.size())) return false;
      StartWriteBack(out.Get(), writtenBytes, static_cast<off_t>(piece.size()));
      writtenBytes += static_cast<off_t>(piece.size());
      return true;
    });
    const bool written = write(sink) && sink.Flush() && (!replacing || ::fchmod(out.Get(), mode) == 0) &&
                         ::fsync(out.Get()) == 0;
    // Renamed while still open and locked, so that no other save takes it for a stale one meanwhile.
    if (written && ::rename(temporary.c_str(), path.c_str()) == 0) return true;
    ::unlink(temporary.c_str());
    return false;
  }

  std::int64_t NowSeconds() override { return static_cast<std::int64_t>(std::time(nullptr)); }

  // A failed ReplaceFile removes its temporary file afterwards; a successful unlink leaves errno as
  // the failing step set it.
  std::string LastErrorText() override { return std::strerror(errno); }

 private:
  std::set<std::string> m_clearedFolders;  // of every file's stale temporaries, by this process
};

}  // namespace

Env& SystemEnv() {
  static PosixEnv env;
  return env;
}

}  // namespace cmdpredict
