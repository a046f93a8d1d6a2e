// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The platform generator behind `Randomize` and `Rnd`: PCG32 (PCG XSH RR
// 64/32, O'Neill 2014). A 64-bit state s steps as s = s * multiplier +
// increment (mod 2^64); each step outputs a 32-bit permutation of the old
// state. `Rnd` is the output's top 24 bits as a fraction, so its 2^24 values
// in [0, 1) are exact in a single, and the stream repeats only after 2^64
// steps.

#include <bit>
#include <cstddef>
#include <cstdint>

namespace quibran {

class Clock;

class PlatformRnd {
 public:
  static constexpr uint64_t kMultiplier = 6364136223846793005u;
  static constexpr uint64_t kIncrement = 1442695040888963407u;

  // Another increment (it must be odd) gives another of PCG's streams; the
  // program uses kIncrement only.
  explicit PlatformRnd(uint64_t increment = kIncrement) : increment_(increment) { Seed(0); }

  // The reference seeding from a number: s = 0, step, s = s + seed, step.
  void Seed(uint64_t seed) {
    state_ = 0;
    Next();
    state_ += seed;
    Next();
  }
  // Seeds from the system timer at its full resolution.
  void Randomize(const Clock& clock);

  // One step: the 32-bit output of the old state.
  uint32_t Next() {
    const uint64_t old = state_;
    state_ = old * kMultiplier + increment_;
    return Output(old);
  }
  // The next `count` outputs, the same as `count` calls of Next give.
  void Fill(uint32_t* out, std::size_t count);
  // The next value's 24 bits of fraction.
  uint32_t Next24() { return Next() >> 8; }
  // The next value, 0 <= value < 1, exact in a single.
  float Rnd() { return static_cast<float>(Next24()) * (1.0f / 16777216.0f); }

  uint64_t state() const { return state_; }
  void set_state(uint64_t state) { state_ = state; }

 private:
  static uint32_t Output(uint64_t old) {
    const auto xorshifted = static_cast<uint32_t>(((old >> 18) ^ old) >> 27);
    return std::rotr(xorshifted, static_cast<int>(old >> 59));
  }

  uint64_t state_ = 0;
  uint64_t increment_;
};

}  // namespace quibran
