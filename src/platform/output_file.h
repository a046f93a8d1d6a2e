#pragma once
// An output file written through a large buffer: the program's file 3.
// Every failure of an open, a write or a close is a RuntimeError with the
// runtime's number for it.

#include <sys/types.h>

#include <cstddef>
#include <exception>
#include <memory>
#include <string>

namespace quibran {

// The reader of the pipe that an OutputFile writes to has closed it (EPIPE):
// no failure of the writer, only the end of what anyone wants.
class ReaderGone : public std::exception {
 public:
  const char* what() const noexcept override { return "the reader closed the pipe"; }
};

class OutputFile {
 public:
  // Room for the largest block a writer formats at once.
  static constexpr std::size_t kBufferSize = std::size_t{1} << 20;
  // Uncached writes go out a full buffer at a time, since each one also
  // starts the disk writes of its range. Plain writes go out once this much
  // has gathered: the kernel then copies bytes that are still in the
  // processor's cache, markedly faster than a whole buffer gone cold.
  static constexpr std::size_t kCachedFlushSize = std::size_t{64} << 10;

  enum class Existing {
    Truncate,  // a file of the name is cut to nothing and written over
    Delete,    // a file of the name is deleted first, then created afresh
  };

  OutputFile(const std::string& path, Existing existing);
  // Writes to a descriptor that is already open, such as standard output;
  // Close() closes it.
  explicit OutputFile(int fd);
  // Closes without reporting: the error path has already reported its error.
  ~OutputFile();
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;

  // Room for at least `size` bytes (at most kBufferSize) at the returned
  // address; Commit(end) then takes the bytes written up to `end`.
  char* Reserve(std::size_t size) {
    if (kBufferSize - used_ < size) Flush();
    return buffer_.get() + used_;
  }
  void Commit(const char* end) {
    used_ = static_cast<std::size_t>(end - buffer_.get());
    if (!uncached_ && used_ >= kCachedFlushSize) Flush();
  }

  // Writes out what the buffer holds.
  void Flush();
  // Flushes and closes; a failure of either is reported.
  void Close();

  // After a failed write of a text file: cuts the file back to the end of its
  // last whole line and drops what the buffer still holds. A writer commits
  // whole lines only, so the buffer always starts at a line's start and the
  // file ends at one until the write that failed. False when the file cannot
  // be cut (it then holds what the failed write left).
  bool CutToLastLine();

 private:
  // One write of up to `size` bytes, uncached while the file takes it.
  ssize_t WriteSome(const char* data, std::size_t size);

  int fd_ = -1;
  bool uncached_ = true;  // until the kernel or the file refuses it
  std::unique_ptr<char[]> buffer_;
  std::size_t used_ = 0;
  off_t written_ = 0;     // bytes in the file
  std::size_t sent_ = 0;  // bytes of the buffer written by the flush under way
};

}  // namespace quibran
