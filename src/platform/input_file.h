#pragma once
// A file read once from start to end in large pieces. Failures are
// std::system_error with the system's reason; a folder is refused as
// EISDIR when it is opened.

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

  // The size of a regular file when it was opened; nothing for a pipe or a
  // device, whose size is not known beforehand.
  std::optional<uint64_t> size() const;
  // Whether a regular file's size or modification time now differs from
  // when it was opened.
  bool Changed() const;

 private:
  int fd_ = -1;
  struct stat opened_ {};
};

}  // namespace quibran
