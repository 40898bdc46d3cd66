// POSIX implementation of the system services.
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <ctime>

#include "platform/env.h"

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
  bool Close() {
    const int fd = m_fd;
    m_fd = -1;
    return ::close(fd) == 0;
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

// A name in the target's folder that no other writer of this process or another one uses.
std::string TemporaryNameFor(const std::string& target) {
  static unsigned long counter = 0;
  const auto slash = target.rfind('/');
  const std::string folder = slash == std::string::npos ? std::string() : target.substr(0, slash + 1);
  return folder + ".cmdpredict-" + std::to_string(::getpid()) + "-" + std::to_string(++counter) + ".tmp";
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

  bool CopyFile(const std::string& source, const std::string& target) override {
    std::string contents;
    if (!ReadFile(source, contents)) return false;
    FileDescriptor out(::open(target.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666));
    return out.Get() >= 0 && WriteAll(out.Get(), contents.data(), contents.size()) && out.Close();
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
    const std::string temporary = TemporaryNameFor(path);
    FileDescriptor out(::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
    if (out.Get() < 0) return false;
    const bool written = WriteAll(out.Get(), contents.data(), contents.size()) && ::fsync(out.Get()) == 0;
    if (out.Close() && written && ::rename(temporary.c_str(), path.c_str()) == 0) return true;
    ::unlink(temporary.c_str());
    return false;
  }

  std::int64_t NowSeconds() override { return static_cast<std::int64_t>(std::time(nullptr)); }

  // A failed ReplaceFile removes its temporary file afterwards; a successful unlink leaves errno as
  // the failing step set it.
  std::string LastErrorText() override { return std::strerror(errno); }
};

}  // namespace

Env& SystemEnv() {
  static PosixEnv env;
  return env;
}

}  // namespace cmdpredict
