// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Wichmann-Hill generator (Applied Statistics algorithm AS 183): three small
// multiplicative congruential generators whose scaled states are summed and
// reduced to their fractional part. WHState1 = 0 marks an unseeded generator.

#include <cstddef>
#include <cstdint>

namespace quibran {

class Clock;

class WichmannHill {
 public:
  // Seeds from the time of day, counted in sixtieths of a second.
  void WHSeed(const Clock& clock);
  // Seeds from a number: floored, made positive, reduced modulo 2147483647
  // when it is larger than that.
  void WHSeed(double seed);

  // Steps, then returns the new state's value (every caller steps once: the
  // original's non-stepping and reseeding arguments were never passed).
  double WHNext();
  // The next `count` values of WHNext, the same values in a block: the
  // three states stepped four chains at a time, the sums vectorised.
  void Fill(double* out, std::size_t count);

  int32_t WHState1 = 0;
  int32_t WHState2 = 0;
  int32_t WHState3 = 0;

 private:
  void SeedComponents(int32_t x);
  // Gives a generator that was never seeded the multipliers as its states.
  void SeedIfUnseeded();
};

}  // namespace quibran
