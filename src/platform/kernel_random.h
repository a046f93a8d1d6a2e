// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The kernel's cryptographically secure generator (getrandom(2)).

#include <cstddef>

namespace quibran {

// Fills `size` bytes at `out` from the kernel's generator, in as few calls
// as it takes. Throws RuntimeError: 68 where the kernel has no getrandom,
// 57 on any other failure.
void FillFromKernel(void* out, std::size_t size);

}  // namespace quibran
