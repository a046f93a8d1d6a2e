// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The software random sources: which generator a source uses, how a job seeds
// it, and how one value of each number type is made from its unit value x.
//
//   source 0  Mersenne Twister          x = MTReal()
//   source 1  platform Rnd              x = Rnd()          (single)
//   source 2  Wichmann-Hill             x = WHNext()
//   source 3  MT and WH alternating     x from WH when UseWH, else from MT;
//                                       UseWH = IsOdd(value) after each value
//   source 4  hardware device           drawn by the device, not here
//   source 5  the kernel's generator    32-bit words and bytes of getrandom
//             (the window's "CSPRNG (Linux kernel)", the batch tool's os)
//
// One RandomSources lives for the whole run: every job and the bitmap window
// continue the same generator states.
//
// Values are made by drawers: WithDrawer picks the drawer of one (source,
// number type) pair once and hands it to a caller's loop, whose calls to it
// then inline. DrawValue and DrawBytes go through the same drawers, so there
// is one way to draw.

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <span>
#include <type_traits>
#include <utility>

#include "random/capabilities.h"
#include "random/kernel_generator.h"
#include "random/mersenne_twister.h"
#include "random/platform_rnd.h"
#include "random/wichmann_hill.h"

namespace quibran {

class Clock;

// Calls fn(std::integral_constant<int, T>{}) for number type T = `num_type`,
// so that fn picks its loop for the type at compile time. Precondition:
// 0 <= num_type < kNumTypeCount.
template <class Fn>
decltype(auto) WithNumType(int num_type, Fn&& fn) {
  switch (num_type) {
    case kNumByte: return fn(std::integral_constant<int, kNumByte>{});
    case kNumInteger15: return fn(std::integral_constant<int, kNumInteger15>{});
    case kNumInteger16: return fn(std::integral_constant<int, kNumInteger16>{});
    case kNumLong31: return fn(std::integral_constant<int, kNumLong31>{});
    case kNumLong32: return fn(std::integral_constant<int, kNumLong32>{});
    case kNumSingle: return fn(std::integral_constant<int, kNumSingle>{});
    case kNumDouble: return fn(std::integral_constant<int, kNumDouble>{});
    case kNumColor:
    default: return fn(std::integral_constant<int, kNumColor>{});
  }
}

// True when x Mod 2 is not 0, negative odd values included.
constexpr bool IsOdd(int32_t x) { return x % 2 != 0; }

// The platform's ordinary conversion of a real to a 32-bit integer: nearest,
// halves to even. Callers keep y within the signed 32-bit range.
inline int32_t RoundToLong(double y) { return static_cast<int32_t>(std::nearbyint(y)); }

// The largest 24-bit colour, by which a unit value scales to a colour.
inline constexpr double kColourScale = 16777215.0;

// A 24-bit colour from a unit value x in [0, 1): Round(x × 16777215), halves
// to even.
inline uint32_t ColourOf(double x) { return static_cast<uint32_t>(RoundToLong(x * kColourScale)); }

// Each generator seen through the same face: its unit value x, and ⌊x × 2^Bits⌋
// (the top bits of the fraction), which the integer types take.

// Values that a generator made ahead in a block, handed out one by one as
// the generator would hand them out.
template <class T>
struct ReadAhead {
  const T* next;
  T Next() { return *next++; }
};

// The twister's forms, over the words of `WordSource`: the generator itself,
// or its words read ahead.
template <class WordSource>
struct TwisterForms {
  WordSource words;
  double Unit() { return MersenneTwister::ToReal(words.Next()); }  // MTReal
  // x is the word times 2^-32, so its top bits are the word's.
  template <int Bits>
  static uint32_t TopBitsOf(uint32_t word) {
    if constexpr (Bits == 32)
      return word;
    else
      return word >> (32 - Bits);
  }
  template <int Bits>
  uint32_t TopBits() {
    return TopBitsOf<Bits>(words.Next());
  }
  void Words(uint32_t* out, std::size_t count) { words.Fill(out, count); }
  // MTLong31: the word without its lowest bit.
  uint32_t Long31() { return TopBits<31>(); }
};
using TwisterUnit = TwisterForms<MersenneTwister&>;

struct RndUnit {
  PlatformRnd& rnd;
  float Unit() { return rnd.Rnd(); }
  // x is the output's top 24 bits times 2^-24, so its top bits are the
  // output's.
  template <int Bits>
  uint32_t TopBits() {
    return rnd.Next24() >> (24 - Bits);
  }
  void Words(uint32_t* out, std::size_t count) { rnd.Fill(out, count); }
};

struct WichmannHillSteps {
  WichmannHill& wh;
  double Next() { return wh.WHNext(); }
};

// Wichmann-Hill's forms, over the unit values of `Units`: the generator's
// steps, or its values read ahead.
template <class Units>
struct WichmannHillForms {
  Units units;
  double Unit() { return units.Next(); }
  template <int Bits>
  uint32_t TopBits() {
    return static_cast<uint32_t>(Unit() * static_cast<double>(1u << Bits));
  }
  // Rounds, so 0 and 2147483647 are half as likely as the other values.
  uint32_t Long31() { return static_cast<uint32_t>(RoundToLong(Unit() * 2147483647.0)); }
};
using WichmannHillUnit = WichmannHillForms<WichmannHillSteps>;

// The kernel's words: the whole-number types take their top bits; a Byte is
// a byte of the stream as it comes (all 8 bits as random as a word's top
// 8, at a quarter of the kernel's work); a Float (Double) is 53 random bits
// times 2^-53 and a Float (Single) 24 bits times 2^-24, both below 1.
struct KernelUnit {
  KernelGenerator& os;
  double Unit() {
    const uint64_t high = os.Word();
    const uint64_t bits = high << 32 | os.Word();
    return static_cast<double>(bits >> 11) * 0x1p-53;
  }
  float Single() { return static_cast<float>(os.Word() >> 8) * 0x1p-24f; }
  template <int Bits>
  uint32_t TopBits() {
    if constexpr (Bits == 8)
      return os.Byte();
    else
      return TwisterUnit::TopBitsOf<Bits>(os.Word());
  }
  uint32_t Long31() { return TopBits<31>(); }
};

// out[i] = words[i] >> (32 - bits), 8 <= bits <= 32: the top bits of twister
// words, for the bytes (uint8_t) and the other whole-number types (uint32_t).
void TopBitsOfWords(const uint32_t* words, uint8_t* out, std::size_t count, int bits);
void TopBitsOfWords(const uint32_t* words, uint32_t* out, std::size_t count, int bits);

// One value of `NumType` from a generator: a uint32_t for the whole-number
// types (Byte to Long (32 bits) and Color), a float for Float (Single), a
// double for Float (Double).
template <int NumType, class Unit>
auto MakeValue(Unit& g) {
  if constexpr (NumType == kNumByte)
    return g.template TopBits<8>();
  else if constexpr (NumType == kNumInteger15)
    return g.template TopBits<15>();
  else if constexpr (NumType == kNumInteger16)
    return g.template TopBits<16>();
  else if constexpr (NumType == kNumLong31)
    return g.Long31();
  else if constexpr (NumType == kNumLong32)
    return g.template TopBits<32>();  // MTWordUnsigned
  else if constexpr (NumType == kNumSingle) {
    if constexpr (requires { g.Single(); })
      return g.Single();
    else
      return static_cast<float>(g.Unit());
  } else if constexpr (NumType == kNumDouble)
    return static_cast<double>(g.Unit());
  else
    return ColourOf(static_cast<double>(g.Unit()));
}

// Whether a value sends the alternating source's next draw to Wichmann-Hill:
// whole values when odd, reals (0 to 1) when their rounding, halves to even,
// is odd: exactly when they are above one half.
template <class Value>
bool SendsToWichmannHill(Value v) {
  if constexpr (std::is_floating_point_v<Value>)
    return v > Value{0.5};
  else
    return (v & 1u) != 0;
}

// The drawer of number type `NumType` from a single generator.
template <int NumType, class Unit>
class Drawer {
 public:
  static constexpr int kNumType = NumType;
  using Value = decltype(MakeValue<NumType>(std::declval<Unit&>()));

  explicit Drawer(Unit unit) : unit_(unit) {}
  Value operator()() { return MakeValue<NumType>(unit_); }

  // The next `count` values, the same as `count` calls give, stored as
  // `Out` (a narrower type only where the values fit it: bytes in uint8_t).
  template <class Out>
  void Fill(Out* out, std::size_t count) {
    if constexpr ((std::is_same_v<Unit, TwisterUnit> && NumType <= kNumLong32) ||
                  (std::is_same_v<Unit, RndUnit> && NumType <= kNumInteger16)) {
      // Whole blocks of words, shifted in bulk.
      constexpr int kBits = NumType == kNumByte        ? 8
                            : NumType == kNumInteger15 ? 15
                            : NumType == kNumInteger16 ? 16
                            : NumType == kNumLong31    ? 31
                                                       : 32;
      constexpr std::size_t kWords = 1024;
      uint32_t words[kWords];
      while (count > 0) {
        const std::size_t take = count < kWords ? count : kWords;
        unit_.Words(words, take);
        TopBitsOfWords(words, out, take, kBits);
        out += take;
        count -= take;
      }
    } else if constexpr (std::is_same_v<Unit, KernelUnit> && NumType == kNumByte && sizeof(Out) == 1) {
      unit_.os.FillBytes(out, count);
    } else {
      for (std::size_t i = 0; i < count; ++i) out[i] = static_cast<Out>((*this)());
    }
  }

 private:
  Unit unit_;
};

// `second` ? b : a, for values of 4 or 8 bytes, as a choice of bits that
// compilers do not turn into a branch.
template <class T>
T Pick(bool second, T a, T b) {
  using Bits = std::conditional_t<sizeof(T) == 8, uint64_t, uint32_t>;
  const Bits mask = Bits{0} - Bits{second};
  return std::bit_cast<T>(static_cast<Bits>((std::bit_cast<Bits>(a) & ~mask) | (std::bit_cast<Bits>(b) & mask)));
}

// Source 3: each value comes from Wichmann-Hill when `use_wh` is true, else
// from the twister, and decides where the next one comes from.
template <int NumType>
class AlternatingDrawer {
 public:
  static constexpr int kNumType = NumType;
  using Value = decltype(MakeValue<NumType>(std::declval<TwisterUnit&>()));

  AlternatingDrawer(MersenneTwister& mt, WichmannHill& wh, bool& use_wh) : mt_(mt), wh_(wh), use_wh_(use_wh) {}
  Value operator()() {
    const Value v = use_wh_ ? MakeValue<NumType>(wh_unit_) : MakeValue<NumType>(mt_unit_);
    use_wh_ = SendsToWichmannHill(v);
    return v;
  }

  // The same values as `count` calls, in blocks. Each generator's stream is
  // taken in order whichever values the alternation picks, so both draw
  // ahead: the twister's words of its current block, Wichmann-Hill a block
  // of values whose unused rest it takes back at the end. Only picking one
  // value after another stays serial.
  template <class Out>
  void Fill(Out* out, std::size_t count) {
    constexpr std::size_t kAhead = 256;
    double units[kAhead];
    Value from_wh[kAhead];
    Value from_mt[MersenneTwister::kN];
    WichmannHill at_block = wh_;  // as it was before its block of values
    std::size_t wh_drawn = 0, wh_used = 0;
    bool use_wh = use_wh_;
    while (count > 0) {
      if (wh_used == wh_drawn) {
        at_block = wh_;
        wh_drawn = std::min(count, kAhead);  // at most one per value
        wh_used = 0;
        wh_.Fill(units, wh_drawn);
        WichmannHillForms<ReadAhead<double>> values{{units}};
        for (std::size_t i = 0; i < wh_drawn; ++i) from_wh[i] = MakeValue<NumType>(values);
      }
      const std::span<const uint32_t> ahead = mt_.Ahead();
      const std::size_t take = std::min({count, ahead.size(), wh_drawn - wh_used});
      TwisterForms<ReadAhead<uint32_t>> words{{ahead.data()}};
      for (std::size_t i = 0; i < take; ++i) from_mt[i] = MakeValue<NumType>(words);
      std::size_t mt_used = 0;
      const Value* wh_next = from_wh + wh_used;
      for (std::size_t i = 0; i < take; ++i) {
        // Both candidates are read and one is kept without a branch: which
        // one it is cannot be foreseen.
        const Value v = Pick(use_wh, from_mt[mt_used], wh_next[i - mt_used]);
        out[i] = static_cast<Out>(v);
        mt_used += !use_wh;
        use_wh = SendsToWichmannHill(v);
      }
      mt_.Skip(mt_used);
      wh_used += take - mt_used;
      out += take;
      count -= take;
    }
    // Wichmann-Hill takes back what it drew and nobody used.
    if (wh_used < wh_drawn) {
      wh_ = at_block;
      wh_.Fill(units, wh_used);
    }
    use_wh_ = use_wh;
  }

 private:
  MersenneTwister& mt_;
  WichmannHill& wh_;
  bool& use_wh_;
  TwisterUnit mt_unit_{mt_};
  WichmannHillUnit wh_unit_{{wh_}};
};

class RandomSources {
 public:
  explicit RandomSources(const Clock& clock) : clock_(clock) {}

  // Seeds software source 0 to 3 once at the start of a job, from the clock;
  // the kernel's generator needs no seed.
  void SeedSource(int source);
  // Seeds software source 0 to 3 from a number instead, for reproducible
  // output: 0 MTInit(seed); 1 PCG32 seeded from the seed's 32-bit pattern;
  // 2 WHSeed(seed); 3 MTInit(seed) and WHSeed(seed), the first value from Wichmann-Hill
  // exactly when the seed is odd. The kernel's generator takes no seed:
  // std::invalid_argument.
  void SeedSource(int source, int32_t seed);

  // Calls fn(drawer) with the drawer of `num_type` from software source
  // `source` and returns what it returns. Precondition:
  // SourceOffers(source, num_type); other combinations throw
  // std::invalid_argument.
  template <class Fn>
  decltype(auto) WithDrawer(int source, int num_type, Fn&& fn);
  // The same for a number type fixed at compile time.
  template <int NumType, class Fn>
  decltype(auto) WithDrawer(int source, Fn&& fn);

  // One value of `num_type` from software source `source`, as a double that
  // holds it exactly (a whole number for the integer types, a single's value
  // for Float (Single)). Same precondition as WithDrawer.
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
  KernelGenerator os;
  bool UseWH = false;

 private:
  const Clock& clock_;
};

// Throws std::invalid_argument for a pair that WithDrawer has no drawer for.
[[noreturn]] void ThrowNotOffered(int source, int num_type);

template <int NumType, class Fn>
decltype(auto) RandomSources::WithDrawer(int source, Fn&& fn) {
  switch (source) {
    case kSourceMersenneTwister: return fn(Drawer<NumType, TwisterUnit>(TwisterUnit{mt}));
    case kSourceRnd:
      if constexpr (SourceOffers(kSourceRnd, NumType)) return fn(Drawer<NumType, RndUnit>(RndUnit{rnd}));
      break;
    case kSourceWichmannHill:
      if constexpr (SourceOffers(kSourceWichmannHill, NumType)) {
        return fn(Drawer<NumType, WichmannHillUnit>(WichmannHillUnit{wh}));
      }
      break;
    case kSourceMtWh:
      if constexpr (SourceOffers(kSourceMtWh, NumType)) {
        return fn(AlternatingDrawer<NumType>(mt, wh, UseWH));
      }
      break;
    case kSourceOs: return fn(Drawer<NumType, KernelUnit>(KernelUnit{os}));
    default: break;
  }
  ThrowNotOffered(source, NumType);
}

template <class Fn>
decltype(auto) RandomSources::WithDrawer(int source, int num_type, Fn&& fn) {
  if (num_type < kNumByte || num_type >= kNumTypeCount) ThrowNotOffered(source, num_type);
  return WithNumType(num_type,
                     [&](auto type) -> decltype(auto) { return WithDrawer<decltype(type)::value>(source, fn); });
}

}  // namespace quibran
