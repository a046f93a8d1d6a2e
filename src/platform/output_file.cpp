// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/output_file.h"

#include <fcntl.h>
#include <limits.h>
#include <sys/stat.h>
#include <sys/uio.h>
#include <unistd.h>

#include <cerrno>
#include <utility>

#include "platform/kernel_random.h"
#include "platform/runtime_error.h"

namespace quibran {

namespace {

// Uncached buffered writes (Linux 6.14 and later): the kernel starts writing
// the pages out at once and drops them when they are on disk. A generator of
// large one-off files then neither fills the page cache nor pays for fresh
// cache pages, and pad material does not linger in memory.
#ifndef RWF_DONTCACHE
constexpr int RWF_DONTCACHE = 0x00000080;
#endif

constexpr std::string_view kPartialSuffix = ".partial";
constexpr int kNameAttempts = 100;

// ".NAME.XXXXXX.partial", six random letters or digits in place of the X's,
// NAME cut short where the whole would be too long a name.
std::string PartialName(const std::string& name) {
  static constexpr char kLetters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
  unsigned char random[6];
  FillFromKernel(random, sizeof random);
  std::string partial(1, '.');
  partial.append(name, 0, NAME_MAX - 2 - sizeof random - kPartialSuffix.size());
  partial += '.';
  for (const unsigned char byte : random) partial += kLetters[byte % (sizeof kLetters - 1)];
  return partial += kPartialSuffix;
}

}  // namespace

bool IsPartialFileName(std::string_view path) {
  const std::string_view name = path.substr(path.rfind('/') + 1);
  return name.size() > 1 + kPartialSuffix.size() && name.front() == '.' && name.ends_with(kPartialSuffix);
}

OutputFile::OutputFile(const std::string& path, bool secret) {
  const std::size_t slash = path.rfind('/');
  const std::string folder = slash == std::string::npos ? "." : path.substr(0, slash + 1);
  name_ = path.substr(slash + 1);
  do {
    folder_ = ::open(folder.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
  } while (folder_ < 0 && errno == EINTR);
  if (folder_ < 0) ThrowFromErrno(errno, true);
  try {
    // The rename at the end would fail on a folder of the name; tell it now.
    struct stat existing;
    if (name_.empty() ||
        (::fstatat(folder_, name_.c_str(), &existing, AT_SYMLINK_NOFOLLOW) == 0 && S_ISDIR(existing.st_mode))) {
      ThrowFromErrno(EISDIR, false);
    }
    // A name that is taken, by a stale temporary file or anything planted,
    // is never opened: another name is drawn.
    for (int attempt = 1; fd_ < 0; ++attempt) {
      temp_ = PartialName(name_);
      fd_ =
          ::openat(folder_, temp_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, secret ? 0600 : 0666);
      // With O_CREAT, ENOENT means the folder has gone.
      if (fd_ < 0 && errno != EINTR && (errno != EEXIST || attempt == kNameAttempts)) ThrowFromErrno(errno, true);
    }
    // 0600 whatever the umask takes away.
    if (secret && ::fchmod(fd_, 0600) != 0) {
      const int err = errno;
      ::close(fd_);
      ::unlinkat(folder_, temp_.c_str(), 0);
      ThrowFromErrno(err, false);
    }
  } catch (...) {
    ::close(folder_);
    throw;
  }
}

OutputFile::OutputFile(int fd) : fd_(fd) {}

OutputFile::~OutputFile() {
  if (fd_ >= 0) ::close(fd_);
  if (!temp_.empty()) ::unlinkat(folder_, temp_.c_str(), 0);
  if (folder_ >= 0) ::close(folder_);
}

void OutputFile::Flush() {
  for (sent_ = 0; sent_ < used_;) {
    const ssize_t written = WriteSome(buffer_.get() + sent_, used_ - sent_);
    if (written < 0) {
      if (errno == EINTR) continue;
      if (errno == EPIPE) throw ReaderGone();
      ThrowFromErrno(errno, false);
    }
    // A write that takes nothing has run out of room.
    if (written == 0) throw RuntimeError(kErrDiskFull);
    sent_ += static_cast<std::size_t>(written);
    written_ += written;
  }
  used_ = 0;
  sent_ = 0;
}

bool OutputFile::CutToLastLine() {
  const char* const start = buffer_.get();
  const char* end = start + sent_;
  while (end > start && end[-1] != '\n') --end;
  const off_t length = written_ - static_cast<off_t>(start + sent_ - end);
  used_ = 0;
  sent_ = 0;
  if (fd_ < 0 || ::ftruncate(fd_, length) != 0) return false;
  written_ = length;
  return true;
}

ssize_t OutputFile::WriteSome(const char* data, std::size_t size) {
  if (uncached_) {
    iovec piece{const_cast<char*>(data), size};
    const ssize_t written = ::pwritev2(fd_, &piece, 1, -1, RWF_DONTCACHE);
    // An older kernel or a file system (or device) without uncached writes
    // refuses the flag; plain writes from then on.
    if (written >= 0 || (errno != EOPNOTSUPP && errno != EINVAL)) return written;
    uncached_ = false;
  }
  return ::write(fd_, data, size);
}

void OutputFile::Close() {
  Flush();
  if (!temp_.empty() && ::fsync(fd_) != 0) ThrowFromErrno(errno, false);
  // Linux releases the descriptor even when close is interrupted, so EINTR
  // is no failure and must not be retried.
  if (::close(std::exchange(fd_, -1)) != 0 && errno != EINTR) ThrowFromErrno(errno, false);
  if (!temp_.empty()) {
    if (const int err = Publish(); err != 0) ThrowFromErrno(err, false);
  }
}

bool OutputFile::CloseAsWritten() {
  used_ = 0;
  sent_ = 0;
  if (fd_ >= 0) {
    // What did reach the disk is kept; a second failure adds nothing.
    if (!temp_.empty()) ::fsync(fd_);
    ::close(std::exchange(fd_, -1));
  }
  if (!temp_.empty()) Publish();
  return temp_.empty();
}

int OutputFile::Publish() {
  if (::renameat(folder_, temp_.c_str(), folder_, name_.c_str()) != 0) return errno;
  temp_.clear();
  // A folder that can be written but not read cannot be opened; its entry
  // then reaches the disk when the system gets to it.
  const int folder = ::openat(folder_, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (folder < 0) return 0;
  // Some file systems cannot sync a folder (EINVAL): nothing is lost there.
  const int err = ::fsync(folder) == 0 || errno == EINVAL ? 0 : errno;
  ::close(folder);
  return err;
}

}  // namespace quibran
