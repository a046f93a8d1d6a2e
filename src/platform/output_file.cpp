#include "platform/output_file.h"

#include <fcntl.h>
#include <sys/uio.h>
#include <unistd.h>

#include <cerrno>

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

[[noreturn]] void ThrowFromErrno(int err, bool on_folder) { throw RuntimeError(ErrorNumberFromErrno(err, on_folder)); }

}  // namespace

OutputFile::OutputFile(const std::string& path, Existing existing)
    : buffer_(new char[kBufferSize]) {
  // A missing file is no failure here; a missing folder shows up at the open.
  if (existing == Existing::Delete && ::unlink(path.c_str()) != 0 && errno != ENOENT && errno != ENOTDIR) {
    ThrowFromErrno(errno, false);
  }
  do {
    fd_ = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  } while (fd_ < 0 && errno == EINTR);
  // With O_CREAT, ENOENT means a folder on the way is missing.
  if (fd_ < 0) ThrowFromErrno(errno, true);
}

OutputFile::OutputFile(int fd) : fd_(fd), buffer_(new char[kBufferSize]) {}

OutputFile::~OutputFile() {
  if (fd_ >= 0) ::close(fd_);
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
  const int fd = fd_;
  fd_ = -1;
  // Linux releases the descriptor even when close is interrupted, so EINTR
  // is no failure and must not be retried.
  if (::close(fd) != 0 && errno != EINTR) ThrowFromErrno(errno, false);
}

}  // namespace quibran
