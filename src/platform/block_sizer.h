// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The size of the next block of work, kept to about kBlockTime whatever the
// speed of what does the work: a fast software generator or a stand-in node
// works in large blocks, so bookkeeping and system calls vanish in the work;
// a slow hardware device in small ones, so its reader and the job that waits
// on it still come up for air every few milliseconds.

#include <algorithm>
#include <chrono>
#include <cstddef>

namespace quibran {

inline constexpr std::chrono::milliseconds kBlockTime{4};

class BlockSizer {
 public:
  // Sizes from `least` to `most`, starting at `first`.
  constexpr BlockSizer(std::size_t least, std::size_t first, std::size_t most)
      : least_(least), most_(most), size_(std::clamp(first, least, most)) {}

  std::size_t size() const { return size_; }

  // A block of size() took `time`: twice the size after a block well under
  // kBlockTime, half after one well over it.
  void Took(std::chrono::steady_clock::duration time) {
    if (time < kBlockTime / 2) {
      size_ = std::min(most_, size_ * 2);
    } else if (time > kBlockTime * 2) {
      size_ = std::max(least_, size_ / 2);
    }
  }

 private:
  std::size_t least_;
  std::size_t most_;
  std::size_t size_;
};

}  // namespace quibran
