// SPDX-License-Identifier: GPL-3.0-or-later
#include "random/wichmann_hill.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "platform/clock.h"
#include "platform/vector_clones.h"

namespace quibran {

namespace {
constexpr int32_t kMod1 = 30269, kMod2 = 30307, kMod3 = 30323;
constexpr int32_t kMul1 = 171, kMul2 = 172, kMul3 = 170;
constexpr double kSeedModulus = 2147483647.0;

// A block's states all come from the state before it: the state i + 1 steps
// on is that state times the multiplier's (i + 1)th power, modulo the same
// number. So no state waits for the one before, and the products vectorise.
constexpr std::size_t kBlock = 256;

// kPowers<Mul, Mod>[i] = Mul^(i + 1) mod Mod.
template <int32_t Mul, int32_t Mod>
constexpr std::array<uint32_t, kBlock> kPowers = [] {
  std::array<uint32_t, kBlock> powers{};
  uint32_t power = 1;
  for (uint32_t& p : powers) p = power = power * Mul % Mod;
  return powers;
}();

// out[i] = the state after i + 1 steps, for `count` (1 to kBlock) states;
// `state` becomes the last. Products of two numbers below 2^15 fit 32 bits,
// unsigned ones reduce faster, and the states are stored signed, which
// converts to double in vectors.
template <int32_t Mul, int32_t Mod>
inline __attribute__((always_inline)) void StepStates(int32_t& state, int32_t* out, std::size_t count) {
  const uint32_t first = static_cast<uint32_t>(state);
  const uint32_t* powers = kPowers<Mul, Mod>.data();
  for (std::size_t i = 0; i < count; ++i) out[i] = static_cast<int32_t>(first * powers[i] % Mod);
  state = static_cast<int32_t>(first * powers[count - 1] % Mod);
}

// The next `count` values (at most kBlock) of the generator whose states are
// s1, s2, s3, summed in WHNext's order.
QUIBRAN_VECTOR_CLONES void DrawBlock(int32_t& s1, int32_t& s2, int32_t& s3, double* out, std::size_t count) {
  int32_t t1[kBlock], t2[kBlock], t3[kBlock];
  StepStates<kMul1, kMod1>(s1, t1, count);
  StepStates<kMul2, kMod2>(s2, t2, count);
  StepStates<kMul3, kMod3>(s3, t3, count);
  for (std::size_t i = 0; i < count; ++i) {
    double r = static_cast<double>(t2[i]) / kMod2 + static_cast<double>(t1[i]) / kMod1;
    r = r + static_cast<double>(t3[i]) / kMod3;
    // r lies in [0, 3): truncating is flooring, and vectorises.
    out[i] = r - static_cast<double>(static_cast<int32_t>(r));
  }
}
}  // namespace

void WichmannHill::SeedComponents(int32_t x) {
  WHState1 = x % kMod1;
  WHState2 = x % kMod2;
  WHState3 = x % kMod3;
  // A component of 0 would stay 0 for ever; each takes its own multiplier.
  if (WHState1 == 0) WHState1 = kMul1;
  if (WHState2 == 0) WHState2 = kMul2;
  if (WHState3 == 0) WHState3 = kMul3;
}

void WichmannHill::WHSeed(const Clock& clock) {
  // Sixtieths of a second since midnight, rounded half to even: 0 to 5184000.
  const float sixtieths = clock.SecondsSinceMidnight() * 60.0f;
  SeedComponents(static_cast<int32_t>(std::nearbyint(sixtieths)));
}

void WichmannHill::WHSeed(double seed) {
  // A seed that is not a number has no meaningful floor; it seeds like 0.
  double d = std::isfinite(seed) ? std::fabs(std::floor(seed)) : 0.0;
  // fmod is exact: below 2^53 it equals d - floor(d / m) * m, and beyond that
  // it still gives a true remainder in range instead of a rounding artefact.
  if (d > kSeedModulus) d = std::fmod(d, kSeedModulus);
  SeedComponents(static_cast<int32_t>(d));
}

void WichmannHill::SeedIfUnseeded() {
  if (WHState1 == 0) {
    WHState1 = kMul1;
    WHState2 = kMul2;
    WHState3 = kMul3;
  }
}

double WichmannHill::WHNext() {
  SeedIfUnseeded();
  WHState1 = WHState1 * kMul1 % kMod1;
  WHState2 = WHState2 * kMul2 % kMod2;
  WHState3 = WHState3 * kMul3 % kMod3;
  double r = static_cast<double>(WHState2) / kMod2 + static_cast<double>(WHState1) / kMod1;
  r = r + static_cast<double>(WHState3) / kMod3;
  return r - std::floor(r);
}

void WichmannHill::Fill(double* out, std::size_t count) {
  SeedIfUnseeded();
  while (count > 0) {
    const std::size_t take = std::min(count, kBlock);
    DrawBlock(WHState1, WHState2, WHState3, out, take);
    out += take;
    count -= take;
  }
}

}  // namespace quibran
