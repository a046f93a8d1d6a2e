// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The FIPS 140-2 random number generator tests, run on a stream of bytes the
// way rngtest (rng-tools) runs them, so that the counts agree with it:
//
// - The first 4 bytes only start the continuous run test; then every whole
//   block of 2500 bytes (20000 bits) is tested, and a shorter rest is not.
// - Bits are taken from each byte's most significant bit down.
// - Monobit: the block's ones must be more than 9725 and fewer than 10275.
// - Poker: with f the counts of the 5000 four-bit values, 16 x sum(f^2) -
//   25000000 must be more than 10800 and less than 230850 (2.16 < X < 46.17).
// - Runs: the runs of each bit value of length 1, 2, 3, 4, 5 and 6 or more
//   must number 2315-2685, 1114-1386, 527-723, 240-384, 103-209, 103-209.
//   Runs end at the block's edges. Three quirks of rngtest are kept, since
//   they decide some blocks: the block's last run is counted with the other
//   bit value's runs; and where a block's first bit differs from the
//   previous block's last bit (0 before the first block), one run of ones
//   of 6 or more is added to the counts when that last bit was 0, and one
//   four-bit value 15 to the poker counts when it was 1.
// - Long run: no run of 26 bits or more.
// - Continuous run: no 32-bit word (at a multiple of 4 bytes from the
//   block's start) equal to the word before it, the previous block's last
//   word or the first 4 bytes included.

#include <array>
#include <cstddef>
#include <cstdint>

namespace quibran {

enum FipsFailure : unsigned {
  kFipsMonobit = 1,
  kFipsPoker = 2,
  kFipsRuns = 4,
  kFipsLongRun = 8,
  kFipsContinuousRun = 16,
};

inline constexpr std::size_t kFipsStartBytes = 4;
inline constexpr std::size_t kFipsBlockBytes = 2500;

// The failures (FipsFailure bits) of one block of kFipsBlockBytes bytes,
// `previous_word` being the 4 bytes before it as they lie in memory and
// `previous_bit` the last bit of the block before (0 for the first block).
unsigned FipsTestBlock(const uint8_t* block, uint32_t previous_word, int previous_bit);

struct FipsFigures {
  uint64_t blocks = 0;
  uint64_t failures = 0;  // blocks that failed one test or more
  uint64_t monobit = 0;
  uint64_t poker = 0;
  uint64_t runs = 0;
  uint64_t long_run = 0;
  uint64_t continuous_run = 0;
  uint64_t successes() const { return blocks - failures; }
};

// Tests a stream of bytes handed over in pieces of any size.
class FipsTests {
 public:
  void Add(const uint8_t* data, std::size_t size);
  const FipsFigures& figures() const { return figures_; }

 private:
  void Test(const uint8_t* block);

  std::array<uint8_t, kFipsBlockBytes> pending_{};  // the start of a block split between pieces
  std::size_t pending_bytes_ = 0;
  std::size_t start_bytes_ = 0;  // of the first 4
  uint32_t previous_word_ = 0;
  int previous_bit_ = 0;
  FipsFigures figures_;
};

}  // namespace quibran
