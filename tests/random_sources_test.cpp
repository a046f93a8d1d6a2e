// SPDX-License-Identifier: GPL-3.0-or-later
// The sources' seeding and what quibran-batch's table of seeded files
// (tests/job/batch_test.cpp) cannot reach: the clock's seeds, the edges of
// the unit value, and the kernel's generator.
#include "random/random_sources.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <stdexcept>
#include <tuple>
#include <vector>

#include "fixed_clock.h"

namespace quibran {
namespace {

constexpr int32_t kDay = 46000;  // a day in 2025

// The twister's seed is the rounded seconds (a tie to even) plus the day
// number. Each source seeds its own generators from the clock and leaves
// the others as they were; source 3 also steps the platform generator once
// to pick the generator of its first value.
TEST(SeedSource, FromTheClockSeedsOnlyTheSourcesOwnGenerators) {
  for (const auto& [day, seconds, seed] :
       {std::tuple{kDay, 3600.5f, kDay + 3600}, {kDay, 3601.5f, kDay + 3602}, {kDay + 1, 499.0f, kDay + 500}}) {
    EXPECT_EQ(RandomSources(test::FixedClock(day, seconds)).ClockSeed(), seed) << day << " " << seconds;
  }
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
  const test::FixedClock clock(kDay, 1.0f);
  RandomSources sources(clock);
  EXPECT_THROW(sources.SeedSource(kSourceOs, 1), std::invalid_argument);
}

// The unit value at 0, one half and just below 1: platform generator states
// built for exact fractions, and twister words found by search; -1: not
// offered.
TEST(DrawValue, EdgesOfTheUnitValueForEveryType) {
  const test::FixedClock clock(kDay, 10.0f);
  // Byte, Integer15, Integer16, Long31, Long32, Single, Double, Color
  using Values = std::vector<double>;
  for (const auto& [output, values] : {std::pair{0x000000FFu, Values{0, 0, 0, -1, -1, 0, -1, 0}},
                                       {0x80000000u, Values{128, 16384, 32768, -1, -1, 0.5, -1, 8388608}},  // tie: even
                                       {0xFFFFFFFFu, Values{255, 32767, 65535, -1, -1, 1 - 0x1p-24, -1, 16777214}}}) {
    for (int type = 0; type < kNumTypeCount; ++type) {
      if (values[static_cast<std::size_t>(type)] < 0) continue;
      // With the top five bits clear the output is bits 27..58 of s ^ (s >> 18),
      // undone by s = z ^ (z >> 18) ^ (z >> 36) ^ (z >> 54).
      const uint64_t z = uint64_t{output} << 27;
      RandomSources sources(clock);
      sources.rnd.set_state(z ^ (z >> 18) ^ (z >> 36) ^ (z >> 54));
      EXPECT_EQ(sources.DrawValue(kSourceRnd, type), values[static_cast<std::size_t>(type)]) << output << " " << type;
    }
  }
  // Word 36 (x = 36 * 2^-32), and 4294967221 (x = 1 - 75 * 2^-32, which a single rounds to 1).
  for (const auto& [seed, skip, values] :
       {std::tuple{12837, 620, Values{0, 0, 0, 18, 36, 0x1p-32 * 36, 0x1p-32 * 36, 0}},
        {199406, 565, Values{255, 32767, 65535, 2147483610, 4294967221, 1, 1 - 0x1p-32 * 75, 16777215}}}) {
    for (int type = 0; type < kNumTypeCount; ++type) {
      RandomSources sources(clock);
      sources.SeedSource(kSourceMersenneTwister, seed);
      for (int i = 0; i < skip; ++i) sources.mt.Next();
      EXPECT_EQ(sources.DrawValue(kSourceMersenneTwister, type), values[static_cast<std::size_t>(type)]) << seed;
    }
  }
}

// PCG32's published demonstration (seed 42, sequence 54), and the program's
// increment seeded from 1, as Rnd's 24 bits. Its stream does not come round
// after 2^24 values, as a 24-bit generator's would.
TEST(PlatformRnd, GivesThePcg32ReferenceStreamsWithoutA24BitPeriod) {
  PlatformRnd demo((54u << 1) | 1u);
  demo.Seed(42);
  for (const uint32_t expected : {0xa15c02b7u, 0x7b47f409u, 0xba1d3330u}) EXPECT_EQ(demo.Next(), expected);
  PlatformRnd rnd;
  rnd.Seed(1);
  for (const uint32_t expected : {5518637u, 6996482u, 485597u}) EXPECT_EQ(rnd.Next24(), expected);
  rnd.Seed(1);
  std::vector<uint32_t> first(64), later(64);
  rnd.Fill(first.data(), first.size());
  for (uint32_t i = 64; i < (1u << 24); ++i) rnd.Next();
  rnd.Fill(later.data(), later.size());
  EXPECT_NE(first, later);
}

// The kernel's generator: each type's values lie in its range and 2000 of
// them reach its top 1 %; its reals are whole numbers of 2^-24 (single) and
// 2^-53 (double), the double's finer than any one 32-bit word gives; its
// bytes, one by one or in bulk across buffer refills, fall evenly.
TEST(KernelSource, FillsEveryTypesRangeAndEvery53Or24Bits) {
  static constexpr double kLimits[] = {256.0, 32768.0, 65536.0, 2147483648.0, 4294967296.0, 1.0, 1.0, 16777216.0};
  const test::FixedClock clock(kDay, 10.0f);
  RandomSources sources(clock);
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
