#include "platform/input_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>

namespace quibran {

namespace {

[[noreturn]] void ThrowErrno(int err, const char* what) { throw std::system_error(err, std::generic_category(), what); }

}  // namespace

InputFile::InputFile(const std::string& path) {
  do {
    fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  } while (fd_ < 0 && errno == EINTR);
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
  // Tells the kernel to read ahead generously; a hint only.
  if (S_ISREG(opened_.st_mode)) (void)::posix_fadvise(fd_, 0, 0, POSIX_FADV_SEQUENTIAL);
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

std::optional<uint64_t> InputFile::size() const {
  if (!S_ISREG(opened_.st_mode)) return std::nullopt;
  return static_cast<uint64_t>(opened_.st_size);
}

bool InputFile::Changed() const {
  if (!S_ISREG(opened_.st_mode)) return false;
  struct stat now {};
  if (::fstat(fd_, &now) != 0) ThrowErrno(errno, "cannot read");
  return now.st_size != opened_.st_size || now.st_mtim.tv_sec != opened_.st_mtim.tv_sec ||
         now.st_mtim.tv_nsec != opened_.st_mtim.tv_nsec;
}

}  // namespace quibran
