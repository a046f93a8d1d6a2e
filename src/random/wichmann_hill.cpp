#include "random/wichmann_hill.h"

#include <cmath>

#include "platform/clock.h"

namespace quibran {

namespace {
constexpr int32_t kMod1 = 30269, kMod2 = 30307, kMod3 = 30323;
constexpr int32_t kMul1 = 171, kMul2 = 172, kMul3 = 170;
constexpr double kSeedModulus = 2147483647.0;
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

double WichmannHill::WHNext() {
  if (WHState1 == 0) {
    WHState1 = kMul1;
    WHState2 = kMul2;
    WHState3 = kMul3;
  }
  WHState1 = WHState1 * kMul1 % kMod1;
  WHState2 = WHState2 * kMul2 % kMod2;
  WHState3 = WHState3 * kMul3 % kMod3;
  double r = static_cast<double>(WHState2) / kMod2 + static_cast<double>(WHState1) / kMod1;
  r = r + static_cast<double>(WHState3) / kMod3;
  return r - std::floor(r);
}

}  // namespace quibran
