// SPDX-License-Identifier: GPL-3.0-or-later
#include "random/mersenne_twister.h"

#include <algorithm>
#include <cstring>

#include "platform/vector_clones.h"

namespace quibran {

namespace {
constexpr uint32_t kUpperMask = 0x80000000u;
constexpr uint32_t kLowerMask = 0x7FFFFFFFu;
constexpr uint32_t kMatrixA = 0x9908B0DFu;

// One twist step: the upper bit of `current`, the lower 31 bits of `next`,
// shifted right and XORed with the matrix when the result's low bit is set.
inline uint32_t TwistStep(uint32_t current, uint32_t next, uint32_t far) {
  const uint32_t y = (current & kUpperMask) | (next & kLowerMask);
  return far ^ (y >> 1) ^ (-(y & 1u) & kMatrixA);
}
}  // namespace

void MersenneTwister::MTInit(int32_t seed) {
  MTState[0] = static_cast<uint32_t>(seed);
  for (uint32_t i = 1; i < kN; ++i) {
    const uint32_t prev = MTState[i - 1];
    MTState[i] = 1812433253u * (prev ^ (prev >> 30)) + i;
  }
  MTIndex = kN;
  MTSeeded = true;
}

// Plain loops over fixed bounds that the compiler vectorises.
QUIBRAN_VECTOR_CLONES void MersenneTwister::Twist() {
  uint32_t* s = MTState.data();
  for (int kk = 0; kk < kN - kM; ++kk) s[kk] = TwistStep(s[kk], s[kk + 1], s[kk + kM]);
  for (int kk = kN - kM; kk < kN - 1; ++kk) s[kk] = TwistStep(s[kk], s[kk + 1], s[kk - (kN - kM)]);
  s[kN - 1] = TwistStep(s[kN - 1], s[0], s[kM - 1]);
}

QUIBRAN_VECTOR_CLONES void MersenneTwister::TemperBlock() {
  const uint32_t* s = MTState.data();
  uint32_t* out = tempered_.data();
  for (int i = 0; i < kN; ++i) {
    uint32_t y = s[i];
    y ^= y >> 11;
    y ^= (y << 7) & 0x9D2C5680u;
    y ^= (y << 15) & 0xEFC60000u;
    y ^= y >> 18;
    out[i] = y;
  }
}

void MersenneTwister::Refill() {
  if (!MTSeeded) MTInit(static_cast<int32_t>(kDefaultSeed));
  Twist();
  TemperBlock();
  MTIndex = 0;
}

void MersenneTwister::Fill(uint32_t* out, std::size_t count) {
  while (count > 0) {
    const std::span<const uint32_t> ahead = Ahead();
    const std::size_t take = std::min(count, ahead.size());
    std::memcpy(out, ahead.data(), take * sizeof(uint32_t));
    Skip(take);
    out += take;
    count -= take;
  }
}

}  // namespace quibran
