// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Bytes and 32-bit words from the kernel's generator, taken from a buffer
// that is refilled in large blocks. Nothing seeds it and nothing can repeat
// its output: the source for one-time pads where there is no hardware device.
// The buffer is left out of core dumps and wiped when it is released.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <optional>

#include "platform/secret_memory.h"

namespace quibran {

class KernelGenerator {
 public:
  static constexpr std::size_t kBufferSize = std::size_t{64} << 10;

  uint8_t Byte() {
    if (used_ == kBufferSize) Refill();
    return (*buffer_)[used_++];
  }
  uint32_t Word() {
    if (kBufferSize - used_ < 4) Refill();
    uint32_t word;
    std::memcpy(&word, buffer_->get() + used_, 4);
    used_ += 4;
    return word;
  }
  // The next `count` bytes of the stream: what the buffer holds, then the
  // rest straight from the kernel.
  void FillBytes(uint8_t* out, std::size_t count);
  // Wipes and frees the buffer, so that no byte drawn or left over stays in
  // memory; the next value fills a new one.
  void Release();

 private:
  // Drops what is left of the buffer (fewer than 4 bytes when a word needs
  // it) and fills it anew.
  void Refill();

  std::optional<SecretBuffer<uint8_t>> buffer_;
  std::size_t used_ = kBufferSize;
};

}  // namespace quibran
