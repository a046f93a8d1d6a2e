#pragma once
// The software random sources: which generator a source uses, how a job seeds
// it, and how one value of each number type is made from its unit value x.
//
//   source 0  Mersenne Twister          x = MTReal()
//   source 1  platform Rnd              x = Rnd()          (single)
//   source 2  Wichmann-Hill             x = WHNext(1)
//   source 3  MT and WH alternating     x from WH when UseWH, else from MT;
//                                       UseWH = IsOdd(value) after each value
//   source 4  hardware device           drawn by the device, not here
//
// One RandomSources lives for the whole run: every job and the bitmap window
// continue the same generator states.

#include <cstddef>
#include <cstdint>

#include "random/mersenne_twister.h"
#include "random/platform_rnd.h"
#include "random/wichmann_hill.h"

namespace quibran {

class Clock;

enum SourceIndex : int16_t {
  kSourceMersenneTwister = 0,
  kSourceRnd = 1,
  kSourceWichmannHill = 2,
  kSourceMtWh = 3,
  kSourceHardware = 4,
};
inline constexpr int kSourceCount = 5;

enum NumTypeIndex : int16_t {
  kNumByte = 0,
  kNumInteger15 = 1,
  kNumInteger16 = 2,
  kNumLong31 = 3,
  kNumLong32 = 4,
  kNumSingle = 5,
  kNumDouble = 6,
  kNumColor = 7,
};
inline constexpr int kNumTypeCount = 8;

// True when x Mod 2 is not 0, negative odd values included.
constexpr bool IsOdd(int32_t x) { return x % 2 != 0; }

// Whether DrawValue makes number type `num_type` from software source `source`.
bool SourceOffers(int source, int num_type);

class RandomSources {
 public:
  explicit RandomSources(const Clock& clock) : clock_(clock) {}

  // Seeds software source 0 to 3 once at the start of a job.
  void SeedSource(int source);

  // One value of `num_type` from software source `source`, as a double that
  // holds it exactly (a whole number for the integer types, a single's value
  // for Float (Single)). Precondition: SourceOffers(source, num_type); other
  // combinations throw std::invalid_argument.
  double DrawValue(int source, int num_type);

  // Fills `out` with Byte values of `source`, the same values that as many
  // DrawValue(source, kNumByte) calls give.
  void DrawBytes(int source, uint8_t* out, std::size_t count);

  // The seed that source 0 (and source 3's twister) takes from the clock:
  // Round(time of day) + day number.
  int32_t ClockSeed() const;

  MersenneTwister mt;
  WichmannHill wh;
  PlatformRnd rnd;
  bool UseWH = false;

 private:
  double UnitValue(int source);

  const Clock& clock_;
};

}  // namespace quibran
