// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/kernel_random.h"

#include <sys/random.h>

#include <cerrno>
#include <cstdint>

#include "platform/runtime_error.h"

namespace quibran {

void FillFromKernel(void* out, std::size_t size) {
  auto* p = static_cast<uint8_t*>(out);
  while (size > 0) {
    // A call returns at most 32 MiB - 1 bytes, and fewer when a signal
    // arrives after the first 256.
    const ssize_t got = ::getrandom(p, size, 0);
    if (got < 0) {
      if (errno == EINTR) continue;
      throw RuntimeError(errno == ENOSYS ? kErrDeviceUnavailable : kErrDeviceIO);
    }
    p += got;
    size -= static_cast<std::size_t>(got);
  }
}

}  // namespace quibran
