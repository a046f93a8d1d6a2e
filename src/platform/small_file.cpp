// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/small_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/runtime_error.h"

namespace quibran {

namespace {

// Closes a descriptor when it goes out of scope, unless released.
class Descriptor {
 public:
  explicit Descriptor(int fd) : fd_(fd) {}
  ~Descriptor() {
    if (fd_ >= 0) ::close(fd_);
  }
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
  int get() const { return fd_; }
  // Closes now and reports a failure (Linux frees the descriptor even then).
  void Close() {
    const int fd = fd_;
    fd_ = -1;
    if (::close(fd) != 0 && errno != EINTR) ThrowFromErrno(errno, false);
  }

 private:
  int fd_;
};

void WriteAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t written = ::write(fd, bytes.data(), bytes.size());
    if (written < 0 && errno == EINTR) continue;
    if (written < 0) ThrowFromErrno(errno, false);
    if (written == 0) throw RuntimeError(kErrDiskFull);
    bytes.remove_prefix(static_cast<std::size_t>(written));
  }
}

// The permissions a file of `path` gets: those of the file it replaces, else
// those of any newly created file.
mode_t NewFileMode(const std::string& path) {
  struct stat old {};
  if (::stat(path.c_str(), &old) == 0) return old.st_mode & 07777;
  const mode_t mask = ::umask(0);
  ::umask(mask);
  return 0666 & ~mask;
}

std::string FolderOf(const std::string& path) {
  const auto slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

}  // namespace

std::string ReadFileStart(const std::string& path, std::size_t limit) {
  Descriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
  if (file.get() < 0) ThrowFromErrno(errno, false);
  std::string bytes(limit, '\0');
  std::size_t used = 0;
  while (used < limit) {
    const ssize_t got = ::read(file.get(), bytes.data() + used, limit - used);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) ThrowFromErrno(errno, false);
    if (got == 0) break;
    used += static_cast<std::size_t>(got);
  }
  bytes.resize(used);
  return bytes;
}

void ReplaceFile(const std::string& path, std::string_view bytes) {
  // A file that may not be written keeps its content, as an open for output
  // would: the rename below needs only the folder's permission.
  if (::access(path.c_str(), W_OK) != 0 && errno != ENOENT) ThrowFromErrno(errno, false);
  std::string temp = path + ".XXXXXX";
  const mode_t mode = NewFileMode(path);
  Descriptor file(::mkostemp(temp.data(), O_CLOEXEC));
  // The new file is the first thing made in the folder: ENOENT there means
  // the folder is missing.
  if (file.get() < 0) ThrowFromErrno(errno, true);
  try {
    if (::fchmod(file.get(), mode) != 0) ThrowFromErrno(errno, false);
    WriteAll(file.get(), bytes);
    if (::fsync(file.get()) != 0) ThrowFromErrno(errno, false);
    file.Close();
    if (::rename(temp.c_str(), path.c_str()) != 0) ThrowFromErrno(errno, false);
  } catch (const RuntimeError&) {
    ::unlink(temp.c_str());
    throw;
  }
  // The rename itself reaches the disk with the folder. Its failure loses
  // nothing: the folder then holds the old file or the new one.
  Descriptor folder(::open(FolderOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (folder.get() >= 0) ::fsync(folder.get());
}

bool DirExists(const std::string& path) {
  struct stat info {};
  return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

void MakeDir(const std::string& path) {
  if (::mkdir(path.c_str(), 0777) != 0) ThrowFromErrno(errno, true);
}

}  // namespace quibran
