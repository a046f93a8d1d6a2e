// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Failures carry the runtime's error number and description, so that every
// message and error path can show "Error Number N" with the familiar text.

#include <stdexcept>
#include <string>

namespace quibran {

enum ErrorNumber : int {
  kErrOverflow = 6,
  kErrTypeMismatch = 13,
  kErrBadFileName = 52,
  kErrFileNotFound = 53,
  kErrFileAlreadyOpen = 55,
  kErrDeviceIO = 57,
  kErrDiskFull = 61,
  kErrInputPastEnd = 62,
  kErrDeviceUnavailable = 68,
  kErrPermissionDenied = 70,
  kErrPathFileAccess = 75,
  kErrPathNotFound = 76,
  kErrCantCreateObject = 429,
};

class RuntimeError : public std::runtime_error {
 public:
  RuntimeError(int number, std::string description);
  // An error with the runtime's own description for its number.
  explicit RuntimeError(int number);

  int number() const { return number_; }
  const std::string& description() const { return description_; }

 private:
  int number_;
  std::string description_;
};

// The title of a failure's message box: "Error Number " and the number.
std::string ErrorTitle(const RuntimeError& error);

// The runtime's description for an error number ("Disk full" for 61).
std::string ErrorDescription(int number);

// Maps an errno value from an operation on a file to the runtime's number.
// `on_folder` tells whether ENOENT/ENOTDIR point at the folder (76) rather than
// the file itself (53).
int ErrorNumberFromErrno(int err, bool on_folder);

// Throws the runtime error that ErrorNumberFromErrno maps `err` to, with its
// own description.
[[noreturn]] void ThrowFromErrno(int err, bool on_folder);

}  // namespace quibran
