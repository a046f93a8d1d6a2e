// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// MT19937 (Matsumoto and Nishimura, 1998) with the program's output forms.
//
// Words are handed out as signed 32-bit integers carrying the unsigned bit
// pattern. An unseeded generator seeds itself with 5489 on first use, so its
// stream is the reference default stream. The state is twisted in one pass
// every 624 words and the whole block is tempered at once into `tempered_`;
// the stream is exactly the reference one.

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

namespace quibran {

class MersenneTwister {
 public:
  static constexpr int kN = 624;
  static constexpr int kM = 397;
  static constexpr uint32_t kDefaultSeed = 5489;

  // (Re)seeds with the reference rule; a negative seed is its 32-bit pattern.
  void MTInit(int32_t seed);

  // The next tempered word.
  uint32_t Next() {
    if (MTIndex >= kN) Refill();
    return tempered_[static_cast<std::size_t>(MTIndex++)];
  }
  // Copies the next `count` words of the stream to `out`.
  void Fill(uint32_t* out, std::size_t count);
  // The words still ahead in the current block (a new block when it is used
  // up, so at least one), for a caller that reads some of them and then
  // Skip()s past those.
  std::span<const uint32_t> Ahead() {
    if (MTIndex >= kN) Refill();
    return {tempered_.data() + MTIndex, static_cast<std::size_t>(kN - MTIndex)};
  }
  // Hands out `count` words of Ahead() without copying them; count <= Ahead().size().
  void Skip(std::size_t count) { MTIndex += static_cast<int>(count); }

  // The output forms that the sources take; each consumes exactly one word.
  // (Long (31 bits) and Long (32 bits) take the word's top bits through the
  // drawers of random_sources.h.)
  int32_t MTWord() { return static_cast<int32_t>(Next()); }
  double MTReal() { return ToReal(Next()); }

  // A word as a real in [0, 1): word times 2^-32, exact in a double.
  static double ToReal(uint32_t word) { return word * 2.3283064365386963e-10; }

 private:
  // Seeds with 5489 when never seeded, twists when the block is used up, and
  // tempers the new block.
  void Refill();
  void Twist();
  void TemperBlock();

  std::array<uint32_t, kN> MTState{};
  std::array<uint32_t, kN> tempered_{};
  int MTIndex = kN;
  bool MTSeeded = false;
};

}  // namespace quibran
