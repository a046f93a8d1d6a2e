// SPDX-License-Identifier: GPL-3.0-or-later
#include "random/kernel_generator.h"

#include "platform/kernel_random.h"

namespace quibran {

void KernelGenerator::Refill() {
  if (!buffer_) buffer_.emplace(kBufferSize);
  FillFromKernel(buffer_->get(), kBufferSize);
  used_ = 0;
}

void KernelGenerator::FillBytes(uint8_t* out, std::size_t count) {
  const std::size_t buffered = kBufferSize - used_ < count ? kBufferSize - used_ : count;
  if (buffered > 0) std::memcpy(out, buffer_->get() + used_, buffered);
  used_ += buffered;
  FillFromKernel(out + buffered, count - buffered);
}

void KernelGenerator::Release() {
  buffer_.reset();
  used_ = kBufferSize;
}

}  // namespace quibran
