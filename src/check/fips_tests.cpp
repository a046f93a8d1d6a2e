#include "check/fips_tests.h"

#include <cstring>

#include "platform/vector_clones.h"

namespace quibran {

namespace {

// A block as 625 words of 32 bits, each read most significant bit first.
constexpr std::size_t kWords = kFipsBlockBytes / 4;
static_assert(kFipsBlockBytes % 4 == 0);

constexpr int kRunLimits[6][2] = {{2315, 2685}, {1114, 1386}, {527, 723}, {240, 384}, {103, 209}, {103, 209}};
constexpr int kLongRun = 26;

uint32_t BitsAt(const uint8_t* p) {
  return uint32_t{p[0]} << 24 | uint32_t{p[1]} << 16 | uint32_t{p[2]} << 8 | uint32_t{p[3]};
}

// The runs of ones in a bit stream, one 32-bit word at a time, by masks:
// bit i of `starts` marks a run starting there, bit i of `ones[k]` that the
// k + 1 bits from there on are all ones. A run of length at least k + 1
// starts where both are set, so the runs of each length are told apart
// without a step per bit.
struct RunTally {
  uint32_t at_least[6] = {};  // runs of length >= 1 ... >= 6
  bool long_run = false;

  // `word` with `after`, the 32 bits that follow it (0 past the block's
  // end), and `before`, the bit that precedes it (0 at the block's start).
  inline __attribute__((always_inline)) void Add(uint32_t word, uint32_t after, uint32_t before) {
    const uint32_t starts = word & ~(word >> 1 | before << 31);
    const uint64_t w = uint64_t{word} << 32 | after;
    uint64_t ones = w;
    at_least[0] += static_cast<uint32_t>(__builtin_popcount(starts));
    for (int k = 1; k < 6; ++k) {
      ones &= w << k;
      at_least[k] += static_cast<uint32_t>(__builtin_popcount(starts & static_cast<uint32_t>(ones >> 32)));
    }
    // ones now marks 6 ones in a row: widen it to 26 by doubling.
    const uint64_t twelve = ones & ones << 6;
    const uint64_t twenty_four = twelve & twelve << 12;
    const uint64_t twenty_six = twenty_four & ones << 20;
    static_assert(kLongRun == 26);
    long_run = long_run || (twenty_six >> 32) != 0;
  }
};

}  // namespace

QUIBRAN_VECTOR_CLONES unsigned FipsTestBlock(const uint8_t* block, uint32_t previous_word, int previous_bit) {
  unsigned failed = 0;

  // Continuous run: each word against the one before.
  uint32_t last = previous_word;
  for (std::size_t i = 0; i < kWords; ++i) {
    uint32_t word;
    std::memcpy(&word, block + 4 * i, 4);
    if (word == last) failed |= kFipsContinuousRun;
    last = word;
  }

  // Monobit and runs, both bit values in one pass.
  uint32_t ones = 0;
  RunTally runs[2];  // [0] runs of zeros (the complement's ones), [1] runs of ones
  uint32_t word = BitsAt(block);
  uint32_t before = 0;
  for (std::size_t i = 0; i < kWords; ++i) {
    const bool end = i + 1 == kWords;
    const uint32_t next = end ? 0 : BitsAt(block + 4 * (i + 1));
    ones += static_cast<uint32_t>(__builtin_popcount(word));
    runs[1].Add(word, next, before & 1);
    runs[0].Add(~word, end ? 0 : ~next, ~before & 1 & (i > 0 ? 1 : 0));
    before = word;
    word = next;
  }
  if (ones <= 9725 || ones >= 10275) failed |= kFipsMonobit;

  int exact[2][6];
  for (int bit = 0; bit < 2; ++bit) {
    for (int k = 0; k < 5; ++k) exact[bit][k] = static_cast<int>(runs[bit].at_least[k] - runs[bit].at_least[k + 1]);
    exact[bit][5] = static_cast<int>(runs[bit].at_least[5]);
  }
  // The block's last run goes to the other bit value's counts.
  const uint32_t final_word = before;
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
  if (runs[0].long_run || runs[1].long_run) failed |= kFipsLongRun;

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
