// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// An output file written through a large buffer: the program's file 3.
// Every failure of an open, a write or a close is a RuntimeError with the
// runtime's number for it.
//
// A named file is written under a temporary name in its own folder,
// ".NAME.XXXXXX.partial", created afresh and never through a link, and only
// Close puts it under its name, once its bytes are on the disk. So a file of
// the name is complete (or was there before); a process that is killed leaves
// only the temporary file, whose name says that it was never finished.
// The buffer is left out of core dumps and wiped when the file is destroyed.

#include <sys/types.h>

#include <cstddef>
#include <exception>
#include <string>
#include <string_view>

#include "platform/secret_memory.h"

namespace quibran {

// The reader of the pipe that an OutputFile writes to has closed it (EPIPE):
// no failure of the writer, only the end of what anyone wants.
class ReaderGone : public std::exception {
 public:
  const char* what() const noexcept override { return "the reader closed the pipe"; }
};

// Whether `path` names an OutputFile's temporary file: a name that starts
// with "." and ends with ".partial".
bool IsPartialFileName(std::string_view path);

class OutputFile {
 public:
  // Room for the largest block a writer formats at once.
  static constexpr std::size_t kBufferSize = std::size_t{1} << 20;
  // Uncached writes go out a full buffer at a time, since each one also
  // starts the disk writes of its range. Plain writes go out once this much
  // has gathered: the kernel then copies bytes that are still in the
  // processor's cache, markedly faster than a whole buffer gone cold.
  static constexpr std::size_t kCachedFlushSize = std::size_t{64} << 10;

  // Creates the temporary file of `path`. A secret file (pad material) is
  // its owner's alone (0600); any other gets what the umask leaves of 0666.
  // Fails as creating `path` itself would: 76 for a missing folder, 70
  // without permission, 52 where a folder has the name.
  OutputFile(const std::string& path, bool secret);
  // Writes to a descriptor that is already open, such as standard output;
  // Close() closes it.
  explicit OutputFile(int fd);
  // Closes without reporting: the error path has already reported its error.
  // A file that is not under its name by then is removed.
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
  // Flushes, gets the bytes to the disk, closes, and puts the file under its
  // name, in place of any file or link of that name; the first failure is
  // reported.
  void Close();

  // After a failed write of a text file: cuts the file back to the end of its
  // last whole line and drops what the buffer still holds. A writer commits
  // whole lines only, so the buffer always starts at a line's start and the
  // file ends at one until the write that failed. False when the file cannot
  // be cut (it then holds what the failed write left).
  bool CutToLastLine();
  // After a failure: closes the file as it is, dropping what the buffer
  // holds, and puts it under its name. False when that cannot be done (the
  // file is then removed).
  bool CloseAsWritten();

 private:
  // One write of up to `size` bytes, uncached while the file takes it.
  ssize_t WriteSome(const char* data, std::size_t size);
  // Renames the closed temporary file to the file's name and gets the
  // folder to the disk; 0, or the errno of the step that failed.
  int Publish();

  int fd_ = -1;
  int folder_ = -1;       // the named file's folder (O_PATH)
  std::string name_;      // the named file's name in its folder
  std::string temp_;      // its temporary name, until it is under its own
  bool uncached_ = true;  // until the kernel or the file refuses it
  SecretBuffer<char> buffer_{kBufferSize};
  std::size_t used_ = 0;
  off_t written_ = 0;     // bytes in the file
  std::size_t sent_ = 0;  // bytes of the buffer written by the flush under way
};

}  // namespace quibran
