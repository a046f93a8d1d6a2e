#pragma once
// The platform generator behind `Randomize` and `Rnd`: the classic 24-bit
// linear congruential generator x = (x * 16598013 + 12820163) mod 2^24, whose
// value is x / 2^24 as a single.

#include <cstdint>

namespace quibran {

class Clock;

class PlatformRnd {
 public:
  static constexpr uint32_t kModulusMask = 0xFFFFFFu;
  static constexpr uint32_t kInitialState = 0x50000u;

  // Mixes the time of day into the state, keeping its low byte.
  void Randomize(const Clock& clock);

  // Steps the generator; the new state is the value's 24 bits of fraction.
  uint32_t NextState() {
    state_ = (state_ * 16598013u + 12820163u) & kModulusMask;
    return state_;
  }
  // The next value, 0 <= value < 1, exact in a single.
  float Rnd() { return static_cast<float>(NextState()) * (1.0f / 16777216.0f); }

  uint32_t state() const { return state_; }
  void set_state(uint32_t state) { state_ = state & kModulusMask; }

 private:
  uint32_t state_ = kInitialState;
};

}  // namespace quibran
