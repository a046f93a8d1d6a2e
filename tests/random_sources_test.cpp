// SPDX-License-Identifier: GPL-3.0-or-later
#include "random/random_sources.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <stdexcept>
#include <string>
#include <tuple>
#include <vector>

#include "fixed_clock.h"

namespace quibran {
namespace {

constexpr int32_t kDay = 46000;  // a day in 2025

// A platform generator whose next output is `output`: with the top five bits
// clear the output is bits 27..58 of s ^ (s >> 18), and that xorshift is
// undone by s = z ^ (z >> 18) ^ (z >> 36) ^ (z >> 54).
PlatformRnd GivingNext(uint32_t output) {
  const uint64_t z = uint64_t{output} << 27;
  PlatformRnd rnd;
  rnd.set_state(z ^ (z >> 18) ^ (z >> 36) ^ (z >> 54));
  return rnd;
}

// A tie rounds to even; a second earlier on the next day gives the same seed.
TEST(SeedSource, TwisterSeedIsRoundedSecondsPlusDayNumber) {
  const std::tuple<int32_t, float, int32_t> cases[] = {{kDay, 3600.5f, kDay + 3600},
                                                       {kDay, 3601.5f, kDay + 3602},
                                                       {kDay, 500.0f, kDay + 500},
                                                       {kDay + 1, 499.0f, kDay + 500}};
  for (const auto& [day, seconds, seed] : cases) {
    EXPECT_EQ(RandomSources(test::FixedClock(day, seconds)).ClockSeed(), seed) << day << " " << seconds;
  }
}

// Each source seeds its own generators from the clock and leaves the others
// as they were; source 3 also steps the platform generator once to pick the
// generator of its first value.
TEST(SeedSource, FromTheClockSeedsOnlyTheSourcesOwnGenerators) {
  for (float seconds = 0.75f; seconds < 86400.0f; seconds += 4321.0f) {
    const test::FixedClock clock(kDay, seconds);
    for (int source = 0; source <= kSourceMtWh; ++source) {
      RandomSources sources(clock);
      for (const int other : {kSourceMersenneTwister, kSourceRnd, kSourceWichmannHill}) sources.SeedSource(other, 7);
      sources.SeedSource(source);
      const bool mt_wh = source == kSourceMtWh;
      MersenneTwister mt;
      mt.MTInit(source == kSourceMersenneTwister || mt_wh ? sources.ClockSeed() : 7);
      WichmannHill wh;
      wh.WHSeed(7);
      if (source == kSourceWichmannHill || mt_wh) wh.WHSeed(clock);
      PlatformRnd rnd;
      rnd.Seed(7);
      if (source == kSourceRnd || mt_wh) rnd.Randomize(clock);
      EXPECT_TRUE(!mt_wh || sources.UseWH == IsOdd(static_cast<int32_t>(std::nearbyint(rnd.Rnd() * 32768.0))));
      EXPECT_EQ(sources.rnd.state(), rnd.state()) << source << " " << seconds;
      EXPECT_EQ(sources.wh.WHNext(), wh.WHNext()) << source << " " << seconds;
      EXPECT_EQ(sources.mt.MTWord(), mt.MTWord()) << source << " " << seconds;
    }
  }
}

// The value of `type` made from a unit value x: floor(x * 2^bits) for the
// whole-number types, except that Color and Wichmann-Hill's Long (31 bits)
// round; the reals are x itself.
double FromUnit(int type, double x, bool from_wh) {
  static constexpr double kScale[] = {256.0, 32768.0, 65536.0, 2147483648.0, 4294967296.0};
  if (type == kNumSingle) return static_cast<float>(x);
  if (type == kNumDouble) return x;
  if (type == kNumColor) return std::nearbyint(x * 16777215.0);
  if (type == kNumLong31 && from_wh) return std::nearbyint(x * 2147483647.0);
  return std::floor(x * kScale[type]);
}

// Every value, drawn one by one or in blocks, is made from its generator's
// unit value, the generator seeded with the seed itself (the platform
// generator with its 32-bit pattern). Source 3 takes each value from
// Wichmann-Hill when the value before it was odd (a real by its rounding,
// halves to even), else from the twister; its first value from Wichmann-Hill
// when the seed is odd; seeding it from a number leaves the platform
// generator alone.
TEST(DrawValue, EveryTypeIsMadeFromTheUnitValueOneByOneOrInBlocks) {
  const test::FixedClock clock(kDay, 10.0f);
  for (int source = kSourceMersenneTwister; source <= kSourceMtWh; ++source) {
    for (int type = 0; type < kNumTypeCount; ++type) {
      for (const int32_t seed : {42, -7}) {
        if (!SourceOffers(source, type)) continue;
        RandomSources sources(clock);
        sources.SeedSource(source, seed);
        RandomSources unit(clock);  // its generators give the unit values
        unit.mt.MTInit(seed);
        unit.wh.WHSeed(static_cast<double>(seed));
        unit.rnd.Seed(static_cast<uint32_t>(seed));
        bool from_wh = source == kSourceWichmannHill || (source == kSourceMtWh && seed == -7);
        const auto expected = [&] {
          const double x = source == kSourceRnd ? unit.rnd.Rnd() : from_wh ? unit.wh.WHNext() : unit.mt.MTReal();
          const double v = FromUnit(type, x, from_wh);
          if (source == kSourceMtWh) from_wh = std::fmod(std::nearbyint(v), 2.0) != 0;
          return v;
        };
        SCOPED_TRACE("source " + std::to_string(source) + " type " + std::to_string(type) + " seed " +
                     std::to_string(seed));
        for (int i = 0; i < 1000; ++i) ASSERT_EQ(sources.DrawValue(source, type), expected()) << "#" << i;
        sources.WithDrawer(source, type, [&](auto draw) {
          EXPECT_EQ(decltype(draw)::kNumType, type);
          std::vector<typename decltype(draw)::Value> block(2500);
          draw.Fill(block.data(), 7);  // a block that ends inside a twister block
          draw.Fill(block.data() + 7, block.size() - 7);
          for (std::size_t i = 0; i < block.size(); ++i) ASSERT_EQ(block[i], expected()) << "Fill #" << i;
        });
        ASSERT_EQ(sources.DrawValue(source, type), expected()) << "after Fill";
        EXPECT_TRUE(source != kSourceMtWh || sources.rnd.state() == RandomSources(clock).rnd.state());
        if (type != kNumByte) continue;
        std::vector<uint8_t> bytes(5000);
        sources.DrawBytes(source, bytes.data(), 3);
        sources.DrawBytes(source, bytes.data() + 3, bytes.size() - 3);
        for (std::size_t i = 0; i < bytes.size(); ++i) ASSERT_EQ(bytes[i], expected()) << "DrawBytes #" << i;
      }
    }
  }
}

// The unit value at 0, one half and just below 1: platform generator states
// built for exact fractions, and twister words found by search.
TEST(DrawValue, EdgesOfTheUnitValueForEveryType) {
  const test::FixedClock clock(kDay, 10.0f);
  constexpr double kNo = -1;  // not offered
  struct Edge {
    int source;
    int64_t seed;  // the twister's seed, or the platform generator's next output
    int skip;
    double values[kNumTypeCount];  // Byte, Integer15, Integer16, Long31, Long32, Single, Double, Color
  };
  for (const Edge& e : {
           Edge{kSourceRnd, 0x000000FF, 0, {0, 0, 0, kNo, kNo, 0, kNo, 0}},
           Edge{kSourceRnd, 0x80000000, 0, {128, 16384, 32768, kNo, kNo, 0.5, kNo, 8388608}},  // tie: even
           Edge{kSourceRnd, 0xFFFFFFFF, 0, {255, 32767, 65535, kNo, kNo, 1 - 0x1p-24, kNo, 16777214}},
           // Word 36: x = 36 * 2^-32.
           Edge{kSourceMersenneTwister, 12837, 620, {0, 0, 0, 18, 36, 0x1p-32 * 36, 0x1p-32 * 36, 0}},
           // Word 4294967221: x = 1 - 75 * 2^-32, which Float (Single) rounds to 1.
           Edge{kSourceMersenneTwister,
                199406,
                565,
                {255, 32767, 65535, 2147483610, 4294967221, 1, 1 - 0x1p-32 * 75, 16777215}},
       }) {
    for (int type = 0; type < kNumTypeCount; ++type) {
      if (e.values[type] == kNo) continue;
      RandomSources sources(clock);
      if (e.source == kSourceRnd)
        sources.rnd = GivingNext(static_cast<uint32_t>(e.seed));
      else
        sources.SeedSource(e.source, static_cast<int32_t>(e.seed));
      for (int i = 0; i < e.skip; ++i) sources.mt.Next();
      EXPECT_EQ(sources.DrawValue(e.source, type), e.values[type]) << "seed " << e.seed << " type " << type;
    }
  }
}

// PCG32's published demonstration (seed 42, sequence 54), and the program's
// increment seeded from 1, as Rnd's 24 bits.
TEST(PlatformRnd, GivesThePcg32ReferenceStreams) {
  PlatformRnd demo((54u << 1) | 1u);
  demo.Seed(42);
  for (const uint32_t expected : {0xa15c02b7u, 0x7b47f409u, 0xba1d3330u}) EXPECT_EQ(demo.Next(), expected);
  PlatformRnd rnd;
  rnd.Seed(1);
  for (const uint32_t expected : {5518637u, 6996482u, 485597u}) EXPECT_EQ(rnd.Next24(), expected);
}

// The device's values are the device's to draw; every other source draws
// exactly what it offers.
TEST(DrawValue, ThrowsExactlyForTheCombinationsNoSourceOffers) {
  const test::FixedClock clock(kDay, 10.0f);
  RandomSources sources(clock);
  for (int source = 0; source < kSourceCount; ++source) {
    for (int type = 0; type < kNumTypeCount; ++type) {
      EXPECT_EQ(SourceOffers(source, type), source != kSourceHardware && SourceMakes(source, type));
      if (SourceOffers(source, type))
        EXPECT_NO_THROW(sources.DrawValue(source, type));
      else
        EXPECT_THROW(sources.DrawValue(source, type), std::invalid_argument) << source << " " << type;
    }
  }
}

// Randomize seeds from the timer's nanoseconds: a few microseconds apart,
// from the fixed clock and from the system's, give different streams.
TEST(Randomize, AnotherMomentGivesAnotherStream) {
  test::FixedClock clock(kDay, 100.0f);
  const SystemClock system;
  std::vector<uint64_t> firsts;
  for (int i = 0; i < 4; ++i) {
    clock.SetNanoseconds(clock.TimerNanoseconds() + 3000u);
    for (const Clock* c : {static_cast<const Clock*>(&clock), static_cast<const Clock*>(&system)}) {
      PlatformRnd rnd;
      rnd.Randomize(*c);
      firsts.push_back(uint64_t{rnd.Next()} << 32 | rnd.Next());
    }
  }
  std::sort(firsts.begin(), firsts.end());
  EXPECT_EQ(std::adjacent_find(firsts.begin(), firsts.end()), firsts.end());
}

// The kernel's generator takes no seed. Each type's values lie in its range
// and 2000 of them reach its top 1 %; its reals are whole numbers of 2^-24
// (single) and 2^-53 (double), the double's finer than any one 32-bit word
// gives; its bytes, one by one or in bulk across buffer refills, fall evenly.
TEST(KernelSource, TakesNoSeedFillsEveryTypesRangeAndEvery53Or24Bits) {
  static constexpr double kLimits[] = {256.0, 32768.0, 65536.0, 2147483648.0, 4294967296.0, 1.0, 1.0, 16777216.0};
  const test::FixedClock clock(kDay, 10.0f);
  RandomSources sources(clock);
  EXPECT_THROW(sources.SeedSource(kSourceOs, 1), std::invalid_argument);
  for (int type = 0; type < kNumTypeCount; ++type) {
    const int bits = type == kNumSingle ? 24 : 53;
    double largest = 0;
    bool finer_than_a_word = false;
    for (int i = 0; i < 2000; ++i) {
      const double v = sources.DrawValue(kSourceOs, type), scaled = std::ldexp(v, bits);
      ASSERT_TRUE(v >= 0 && v < kLimits[type] && scaled == std::floor(scaled)) << type << " " << v;
      largest = std::max(largest, v);
      finer_than_a_word = finer_than_a_word || std::ldexp(v, 32) != std::floor(std::ldexp(v, 32));
    }
    EXPECT_GT(largest, 0.99 * kLimits[type]) << type;
    EXPECT_EQ(finer_than_a_word, type == kNumDouble) << type;
  }
  std::vector<uint8_t> bytes(1 << 20);
  for (std::size_t i = 0; i < 1000; ++i) bytes[i] = static_cast<uint8_t>(sources.DrawValue(kSourceOs, kNumByte));
  sources.DrawBytes(kSourceOs, bytes.data() + 1000, bytes.size() - 1000);
  std::vector<int> counts(256);
  for (const uint8_t b : bytes) ++counts[b];
  // 4096 expected of each, give or take 64: 3000 is 17 standard deviations off.
  EXPECT_GT(*std::min_element(counts.begin(), counts.end()), 3000);
}

}  // namespace
}  // namespace quibran
