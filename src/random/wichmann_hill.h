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

  // n > 0: step, then return the new value; n = 0: the current value without
  // stepping; n < 0: reseed with n, then step.
  double WHNext(int32_t n);
  // The next `count` values of WHNext(1), the same values in a block: the
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
