// SPDX-License-Identifier: GPL-3.0-or-later
#include "check/fips_tests.h"

#include <bit>
#include <cstring>

#include "platform/vector_clones.h"

namespace quibran {

namespace {

constexpr int kRunLimits[6][2] = {{2315, 2685}, {1114, 1386}, {527, 723}, {240, 384}, {103, 209}, {103, 209}};
constexpr int kLongRun = 26;
constexpr int kBlockBits = static_cast<int>(kFipsBlockBytes) * 8;

// A block as 312 words of 64 bits and a last one of 32, each word read
// most significant bit first.
constexpr std::size_t kWholeWords = kFipsBlockBytes / 8;
static_assert(kFipsBlockBytes % 8 == 4);

uint64_t BitsAt(const uint8_t* p, std::size_t bytes) {
  uint64_t bits = 0;
  std::memcpy(&bits, p, bytes);
  if constexpr (std::endian::native == std::endian::little) bits = __builtin_bswap64(bits);
  return bits;  // `bytes` < 8: the bytes in the top bits, zeros below
}

int Bit(const uint8_t* block, int i) { return (block[i >> 3] >> (7 - (i & 7))) & 1; }

// Counts of runs by length, in masks. Bit i of `starts` marks a run that
// starts there; a run is at least k + 1 bits long when the k bits after its
// first are the same as it. Shifted copies of the word with the next word's
// first bits let one pass count the runs of each length of both bit values,
// with no step per bit.
struct RunCounts {
  uint32_t at_least[2][6] = {};  // runs of zeros, of ones, of length >= 1 ... >= 6

  // A whole word `x`, with `next` after it; `starts` of ones and zeros.
  inline __attribute__((always_inline)) void Add(uint64_t x, uint64_t next, uint64_t ones_start, uint64_t zeros_start) {
    at_least[1][0] += static_cast<uint32_t>(__builtin_popcountll(ones_start));
    at_least[0][0] += static_cast<uint32_t>(__builtin_popcountll(zeros_start));
    uint64_t all_ones = x;  // the bits from here on that are all ones
    uint64_t any_one = x;   // ... that hold a one
    for (int k = 1; k < 6; ++k) {
      const uint64_t ahead = x << k | next >> (64 - k);
      all_ones &= ahead;
      any_one |= ahead;
      at_least[1][k] += static_cast<uint32_t>(__builtin_popcountll(ones_start & all_ones));
      at_least[0][k] += static_cast<uint32_t>(__builtin_popcountll(zeros_start & ~any_one));
    }
  }

  // The block's last 32 bits, in the top of `x`: nothing follows them.
  void AddLast(uint64_t x, int before) {
    constexpr uint64_t kInBlock = 0xFFFFFFFF00000000u;
    const uint64_t streams[2] = {~x & kInBlock, x & kInBlock};
    for (int bit = 0; bit < 2; ++bit) {
      const uint64_t y = streams[bit];
      const uint64_t starts = y & ~(y >> 1 | uint64_t{before == bit} << 63);
      uint64_t all = y;
      at_least[bit][0] += static_cast<uint32_t>(__builtin_popcountll(starts));
      for (int k = 1; k < 6; ++k) {
        all &= y << k;
        at_least[bit][k] += static_cast<uint32_t>(__builtin_popcountll(starts & all));
      }
    }
  }
};

// Whether the block holds a run of kLongRun bits or more. Such a run holds
// two whole bytes, both 0x00 or both 0xFF: only there is it looked for.
inline __attribute__((always_inline)) bool HasLongRun(const uint8_t* block) {
  unsigned candidates = 0;
  for (std::size_t i = 0; i + 1 < kFipsBlockBytes; ++i) {
    const uint8_t b = block[i];
    candidates |= static_cast<unsigned>(b == block[i + 1]) & static_cast<unsigned>(static_cast<uint8_t>(b + 1) <= 1);
  }
  if (candidates == 0) return false;
  for (int i = 0; i + 1 < static_cast<int>(kFipsBlockBytes); ++i) {
    const uint8_t b = block[i];
    if (b != block[i + 1] || static_cast<uint8_t>(b + 1) > 1) continue;
    const int bit = b & 1;
    int first = 8 * i;
    int end = 8 * i + 16;
    // Walk out from the two bytes only until the run is long enough.
    while (end - first < kLongRun && first > 0 && Bit(block, first - 1) == bit) --first;
    while (end - first < kLongRun && end < kBlockBits && Bit(block, end) == bit) ++end;
    if (end - first >= kLongRun) return true;
  }
  return false;
}

}  // namespace

QUIBRAN_VECTOR_CLONES unsigned FipsTestBlock(const uint8_t* block, uint32_t previous_word, int previous_bit) {
  unsigned failed = 0;

  // Continuous run: each word of 32 bits against the one before.
  uint32_t last = previous_word;
  for (std::size_t i = 0; i < kFipsBlockBytes; i += 4) {
    uint32_t word;
    std::memcpy(&word, block + i, 4);
    if (word == last) failed |= kFipsContinuousRun;
    last = word;
  }

  // Monobit and runs, both bit values in one pass. Before the first bit
  // neither value runs.
  uint32_t ones = 0;
  RunCounts runs;
  uint64_t x = BitsAt(block, 8);
  uint64_t before = x >> 1;  // the bit before each bit
  uint64_t ones_start = x & ~before;
  uint64_t zeros_start = ~x & (before | uint64_t{1} << 63);
  for (std::size_t i = 0; i < kWholeWords; ++i) {
    const uint64_t next = BitsAt(block + 8 * (i + 1), i + 1 < kWholeWords ? 8 : 4);
    ones += static_cast<uint32_t>(__builtin_popcountll(x));
    runs.Add(x, next, ones_start, zeros_start);
    before = next >> 1 | x << 63;
    ones_start = next & ~before;
    zeros_start = ~next & before;
    x = next;
  }
  // x now holds the last 32 bits.
  ones += static_cast<uint32_t>(__builtin_popcountll(x));
  runs.AddLast(x, static_cast<int>(before >> 63));
  if (ones <= 9725 || ones >= 10275) failed |= kFipsMonobit;

  int exact[2][6];
  for (int bit = 0; bit < 2; ++bit) {
    for (int k = 0; k < 5; ++k) exact[bit][k] = static_cast<int>(runs.at_least[bit][k] - runs.at_least[bit][k + 1]);
    exact[bit][5] = static_cast<int>(runs.at_least[bit][5]);
  }
  // The block's last run goes to the other bit value's counts.
  const uint32_t final_word = static_cast<uint32_t>(x >> 32);
  const int final_bit = static_cast<int>(final_word & 1);
  const uint32_t other = final_bit ? ~final_word : final_word;
  const int final_length = other == 0 ? 32 : __builtin_ctz(other);
  const int bucket = (final_length < 6 ? final_length : 6) - 1;
  --exact[final_bit][bucket];
  ++exact[1 - final_bit][bucket];
  // rngtest's count of a run that ends before the block's first bit.
  const bool phantom = (block[0] >> 7) != previous_bit;
  if (phantom && previous_bit == 0) ++exact[1][5];
  for (int bit = 0; bit < 2; ++bit) {
    for (int k = 0; k < 6; ++k) {
      if (exact[bit][k] < kRunLimits[k][0] || exact[bit][k] > kRunLimits[k][1]) failed |= kFipsRuns;
    }
  }
  if (HasLongRun(block)) failed |= kFipsLongRun;

  // Poker: the four-bit values' counts from the byte counts.
  uint32_t bytes[2][256] = {};
  for (std::size_t i = 0; i < kFipsBlockBytes; i += 2) {
    ++bytes[0][block[i]];
    ++bytes[1][block[i + 1]];
  }
  int64_t nibbles[16] = {};
  for (int b = 0; b < 256; ++b) {
    const uint32_t count = bytes[0][b] + bytes[1][b];
    nibbles[b >> 4] += count;
    nibbles[b & 15] += count;
  }
  int64_t squares = 0;
  if (phantom && previous_bit == 1) ++nibbles[15];
  for (const int64_t f : nibbles) squares += f * f;
  const int64_t poker = 16 * squares - 25000000;
  if (poker <= 10800 || poker >= 230850) failed |= kFipsPoker;
  return failed;
}

void FipsTests::Add(const uint8_t* data, std::size_t size) {
  while (start_bytes_ < kFipsStartBytes && size > 0) {
    reinterpret_cast<uint8_t*>(&previous_word_)[start_bytes_++] = *data++;
    --size;
  }
  if (pending_bytes_ > 0) {
    const std::size_t take = kFipsBlockBytes - pending_bytes_ < size ? kFipsBlockBytes - pending_bytes_ : size;
    std::memcpy(pending_.data() + pending_bytes_, data, take);
    pending_bytes_ += take;
    data += take;
    size -= take;
    if (pending_bytes_ < kFipsBlockBytes) return;
    Test(pending_.data());
    pending_bytes_ = 0;
  }
  for (; size >= kFipsBlockBytes; data += kFipsBlockBytes, size -= kFipsBlockBytes) Test(data);
  std::memcpy(pending_.data(), data, size);
  pending_bytes_ = size;
}

void FipsTests::Test(const uint8_t* block) {
  const unsigned failed = FipsTestBlock(block, previous_word_, previous_bit_);
  std::memcpy(&previous_word_, block + kFipsBlockBytes - 4, 4);
  previous_bit_ = block[kFipsBlockBytes - 1] & 1;
  ++figures_.blocks;
  if (failed != 0) ++figures_.failures;
  if (failed & kFipsMonobit) ++figures_.monobit;
  if (failed & kFipsPoker) ++figures_.poker;
  if (failed & kFipsRuns) ++figures_.runs;
  if (failed & kFipsLongRun) ++figures_.long_run;
  if (failed & kFipsContinuousRun) ++figures_.continuous_run;
}

}  // namespace quibran
