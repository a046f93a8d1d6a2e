// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/runtime_error.h"

#include <cerrno>

namespace quibran {

RuntimeError::RuntimeError(int number, std::string description)
    : std::runtime_error(description), number_(number), description_(std::move(description)) {}

RuntimeError::RuntimeError(int number) : RuntimeError(number, ErrorDescription(number)) {}

std::string ErrorTitle(const RuntimeError& error) { return "Error Number " + std::to_string(error.number()); }

std::string ErrorDescription(int number) {
  switch (number) {
    case kErrOverflow: return "Overflow";
    case kErrTypeMismatch: return "Type mismatch";
    case kErrBadFileName: return "Bad file name or number";
    case kErrFileNotFound: return "File not found";
    case kErrFileAlreadyOpen: return "File already open";
    case kErrDeviceIO: return "Device I/O error";
    case kErrDiskFull: return "Disk full";
    case kErrInputPastEnd: return "Input past end of file";
    case kErrDeviceUnavailable: return "Device unavailable";
    case kErrPermissionDenied: return "Permission denied";
    case kErrPathFileAccess: return "Path/File access error";
    case kErrPathNotFound: return "Path not found";
    case kErrCantCreateObject: return "Can't create the device object";
    default: return "Application-defined or object-defined error";
  }
}

int ErrorNumberFromErrno(int err, bool on_folder) {
  switch (err) {
    case EINVAL:
    case ENAMETOOLONG:
    case EISDIR: return kErrBadFileName;
    case ENOENT: return on_folder ? kErrPathNotFound : kErrFileNotFound;
    case ENOTDIR: return kErrPathNotFound;
    case EIO: return kErrDeviceIO;
    case ENOSPC:
    case EDQUOT:
    case EFBIG: return kErrDiskFull;
    case ENODEV:
    case ENXIO: return kErrDeviceUnavailable;
    case EACCES:
    case EPERM:
    case EROFS: return kErrPermissionDenied;
    default: return kErrPathFileAccess;
  }
}

void ThrowFromErrno(int err, bool on_folder) { throw RuntimeError(ErrorNumberFromErrno(err, on_folder)); }

}  // namespace quibran
