// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/input_file.h"

#include <fcntl.h>
#include <linux/magic.h>
#include <sys/vfs.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <system_error>

namespace quibran {

namespace {

[[noreturn]] void ThrowErrno(int err, const char* what) { throw std::system_error(err, std::generic_category(), what); }

// Whether the regular file open as `fd` is made by the kernel as it is read
// (/proc, /sys): the size it reports (0, or a page) is not its content's.
bool MadeWhenRead(int fd) {
  struct statfs where {};
  return ::fstatfs(fd, &where) == 0 && (where.f_type == PROC_SUPER_MAGIC || where.f_type == SYSFS_MAGIC);
}

}  // namespace

InputFile::InputFile(const std::string& path) {
  if (path == "-") {
    fd_ = ::fcntl(STDIN_FILENO, F_DUPFD_CLOEXEC, 0);
  } else {
    do {
      fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    } while (fd_ < 0 && errno == EINTR);
  }
  if (fd_ < 0) ThrowErrno(errno, "cannot open");
  if (::fstat(fd_, &opened_) != 0) {
    const int err = errno;
    ::close(fd_);
    ThrowErrno(err, "cannot open");
  }
  if (S_ISDIR(opened_.st_mode)) {
    ::close(fd_);
    ThrowErrno(EISDIR, "cannot read");
  }
  if (!S_ISREG(opened_.st_mode)) return;
  // Standard input may be a file read from partway.
  const off_t start = std::max<off_t>(::lseek(fd_, 0, SEEK_CUR), 0);
  if (opened_.st_size > 0 && !MadeWhenRead(fd_)) {
    size_ = static_cast<uint64_t>(std::max(opened_.st_size - start, off_t{0}));
  }
  // Tells the kernel to read ahead generously; a hint only.
  (void)::posix_fadvise(fd_, 0, 0, POSIX_FADV_SEQUENTIAL);
}

InputFile::~InputFile() { ::close(fd_); }

std::size_t InputFile::Read(uint8_t* buffer, std::size_t size) {
  std::size_t got = 0;
  // Whole pieces where the file has them: a read may return less.
  while (got < size) {
    const ssize_t n = ::read(fd_, buffer + got, size - got);
    if (n < 0) {
      if (errno == EINTR) continue;
      ThrowErrno(errno, "cannot read");
    }
    if (n == 0) break;
    got += static_cast<std::size_t>(n);
  }
  return got;
}

bool InputFile::Changed() const {
  if (!S_ISREG(opened_.st_mode)) return false;
  struct stat now {};
  if (::fstat(fd_, &now) != 0) ThrowErrno(errno, "cannot read");
  const auto same = [](const timespec& a, const timespec& b) { return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec; };
  return now.st_size != opened_.st_size || !same(now.st_mtim, opened_.st_mtim) || !same(now.st_ctim, opened_.st_ctim);
}

}  // namespace quibran
