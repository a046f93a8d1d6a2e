#include "platform/output_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

#include "platform/runtime_error.h"

namespace quibran {

namespace {

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

OutputFile::~OutputFile() {
  if (fd_ >= 0) ::close(fd_);
}

void OutputFile::Flush() {
  const char* data = buffer_.get();
  std::size_t left = used_;
  while (left > 0) {
    const ssize_t written = ::write(fd_, data, left);
    if (written < 0) {
      if (errno == EINTR) continue;
      ThrowFromErrno(errno, false);
    }
    // A write that takes nothing has run out of room.
    if (written == 0) throw RuntimeError(kErrDiskFull);
    data += written;
    left -= static_cast<std::size_t>(written);
  }
  used_ = 0;
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
