// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A file read once from start to end in large pieces; "-" is standard
// input, read from where it stands. Failures are std::system_error with the
// system's reason; a folder is refused as EISDIR when it is opened.

#include <sys/stat.h>

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace quibran {

class InputFile {
 public:
  explicit InputFile(const std::string& path);
  ~InputFile();
  InputFile(const InputFile&) = delete;
  InputFile& operator=(const InputFile&) = delete;

  // Up to `size` bytes into `buffer`; 0 at the end of the file.
  std::size_t Read(uint8_t* buffer, std::size_t size);

  // The bytes that a regular file held to read when it was opened; nothing
  // where that is not known beforehand: a pipe, a device, a file that
  // reports no size, or one that the kernel makes as it is read (/proc,
  // /sys), whose reported size is not its content's.
  std::optional<uint64_t> size() const { return size_; }
  // Whether a regular file's size, modification time or status change time
  // now differs from when it was opened (the change time catches a write
  // that set the modification time back).
  bool Changed() const;

 private:
  int fd_ = -1;
  struct stat opened_ {};
  std::optional<uint64_t> size_;
};

}  // namespace quibran
