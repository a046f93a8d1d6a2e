#include "random/random_sources.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <stdexcept>
#include <vector>

#include "fixed_clock.h"

namespace quibran {
namespace {

constexpr int32_t kDay = 46000;  // a day in 2025

// The platform generator's state whose next step gives `next`.
uint32_t StateBefore(uint32_t next) {
  uint32_t inverse = 16598013u;  // Newton's iteration for the inverse mod 2^32
  for (int i = 0; i < 5; ++i) inverse *= 2u - 16598013u * inverse;
  return ((next - 12820163u) * inverse) & 0xFFFFFFu;
}

TEST(SeedSource, TwisterSeedIsRoundedSecondsPlusDayNumber) {
  test::FixedClock clock(kDay, 3600.5f);  // a tie: rounds to the even 3600
  RandomSources sources(clock);
  EXPECT_EQ(sources.ClockSeed(), 3600 + kDay);
  clock.Set(kDay, 3601.5f);
  EXPECT_EQ(sources.ClockSeed(), 3602 + kDay);

  // One second earlier on the next day seeds the same stream.
  clock.Set(kDay, 500.0f);
  sources.SeedSource(kSourceMersenneTwister);
  const double first = sources.DrawValue(kSourceMersenneTwister, kNumDouble);
  clock.Set(kDay + 1, 499.0f);
  sources.SeedSource(kSourceMersenneTwister);
  EXPECT_EQ(sources.DrawValue(kSourceMersenneTwister, kNumDouble), first);

  MersenneTwister reference;
  reference.MTInit(500 + kDay);
  EXPECT_EQ(first, reference.MTReal());
}

TEST(SeedSource, EachSourceReseedsOnlyItsOwnGenerators) {
  test::FixedClock clock(kDay, 1234.25f);
  RandomSources sources(clock);
  sources.mt.MTInit(7);
  sources.wh.WHSeed(7);
  sources.rnd.set_state(7);

  sources.SeedSource(kSourceRnd);
  for (int i = 0; i < 10; ++i) sources.DrawValue(kSourceRnd, kNumSingle);
  MersenneTwister mt7;
  mt7.MTInit(7);
  EXPECT_EQ(sources.mt.MTWord(), mt7.MTWord());
  EXPECT_EQ(sources.wh.WHState1, 7);

  const uint32_t rnd_state = sources.rnd.state();
  sources.SeedSource(kSourceMersenneTwister);
  sources.SeedSource(kSourceWichmannHill);
  for (int i = 0; i < 10; ++i) {
    sources.DrawValue(kSourceMersenneTwister, kNumByte);
    sources.DrawValue(kSourceWichmannHill, kNumByte);
  }
  EXPECT_EQ(sources.rnd.state(), rnd_state);
  WichmannHill wh;
  wh.WHSeed(clock);
  for (int i = 0; i < 10; ++i) wh.WHNext(1);
  EXPECT_EQ(sources.wh.WHState1, wh.WHState1);
  EXPECT_EQ(sources.wh.WHState3, wh.WHState3);
}

TEST(SeedSource, AlternatingSourceSeedsAllThreeAndPicksItsFirstGenerator) {
  test::FixedClock clock(kDay, 777.0f);
  RandomSources sources(clock);
  sources.SeedSource(kSourceMtWh);

  // Replay the seeding by hand.
  PlatformRnd rnd;
  rnd.Randomize(clock);
  WichmannHill wh;
  wh.WHSeed(clock);
  MersenneTwister mt;
  mt.MTInit(777 + kDay);
  const bool use_wh = IsOdd(static_cast<int32_t>(std::nearbyint(rnd.Rnd() * 32768.0)));
  EXPECT_EQ(sources.UseWH, use_wh);
  EXPECT_EQ(sources.rnd.state(), rnd.state());

  // Follow the alternation for many Byte values: the next generator is WH
  // exactly when the value just drawn is odd.
  bool next_wh = use_wh;
  for (int i = 0; i < 2000; ++i) {
    const double expected = std::trunc((next_wh ? wh.WHNext(1) : mt.MTReal()) * 256.0);
    ASSERT_EQ(sources.DrawValue(kSourceMtWh, kNumByte), expected) << i;
    next_wh = IsOdd(static_cast<int32_t>(expected));
    ASSERT_EQ(sources.UseWH, next_wh);
  }
}

TEST(DrawValue, AlternationOfRealsFollowsTheirRounding) {
  test::FixedClock clock(kDay, 10.0f);
  RandomSources sources(clock);
  sources.mt.MTInit(99);
  sources.wh.WHSeed(99);
  MersenneTwister mt;
  mt.MTInit(99);
  WichmannHill wh;
  wh.WHSeed(99);
  sources.UseWH = false;
  bool next_wh = false;
  int to_wh = 0;
  for (int i = 0; i < 4000; ++i) {
    const double x = next_wh ? wh.WHNext(1) : mt.MTReal();
    ASSERT_EQ(sources.DrawValue(kSourceMtWh, kNumDouble), x);
    next_wh = x > 0.5;  // 0.5 itself rounds to the even 0
    to_wh += next_wh;
    ASSERT_EQ(sources.UseWH, next_wh);
  }
  EXPECT_GT(to_wh, 1800);
  EXPECT_LT(to_wh, 2200);
}

TEST(DrawValue, IntegerTypesAreTheTopBitsOfTheUnitValue) {
  test::FixedClock clock(kDay, 10.0f);
  RandomSources sources(clock);
  sources.mt.MTInit(2024);
  MersenneTwister mt;
  mt.MTInit(2024);
  for (int i = 0; i < 3000; ++i) {
    const uint32_t w = static_cast<uint32_t>(mt.MTWord());
    switch (i % 7) {
      case 0: ASSERT_EQ(sources.DrawValue(0, kNumByte), w >> 24); break;
      case 1: ASSERT_EQ(sources.DrawValue(0, kNumInteger15), w >> 17); break;
      case 2: ASSERT_EQ(sources.DrawValue(0, kNumInteger16), w >> 16); break;
      case 3: ASSERT_EQ(sources.DrawValue(0, kNumLong31), w >> 1); break;
      case 4: ASSERT_EQ(sources.DrawValue(0, kNumLong32), static_cast<double>(w)); break;
      case 5: ASSERT_EQ(sources.DrawValue(0, kNumSingle), static_cast<float>(w / 4294967296.0)); break;
      default: ASSERT_EQ(sources.DrawValue(0, kNumColor), std::nearbyint(w / 4294967296.0 * 16777215.0)); break;
    }
  }

  // The platform generator's 24 bits of fraction give the same top bits.
  sources.rnd.set_state(12345);
  PlatformRnd rnd;
  rnd.set_state(12345);
  for (int i = 0; i < 3000; ++i) {
    const uint32_t s = rnd.NextState();
    switch (i % 4) {
      case 0: ASSERT_EQ(sources.DrawValue(kSourceRnd, kNumByte), s >> 16); break;
      case 1: ASSERT_EQ(sources.DrawValue(kSourceRnd, kNumInteger15), s >> 9); break;
      case 2: ASSERT_EQ(sources.DrawValue(kSourceRnd, kNumInteger16), s >> 8); break;
      default: ASSERT_EQ(sources.DrawValue(kSourceRnd, kNumSingle), s / 16777216.0f); break;
    }
  }
}

TEST(DrawValue, EdgesOfTheUnitValue) {
  test::FixedClock clock(kDay, 10.0f);
  RandomSources sources(clock);
  // The twister's largest word, 1 - 2^-32, through each conversion.
  const double just_below_one = MersenneTwister::ToReal(0xFFFFFFFFu);
  EXPECT_EQ(std::trunc(just_below_one * 256.0), 255.0);
  EXPECT_EQ(std::trunc(just_below_one * 32768.0), 32767.0);
  EXPECT_EQ(std::trunc(just_below_one * 65536.0), 65535.0);
  EXPECT_EQ(static_cast<float>(just_below_one), 1.0f);  // Float (Single) may reach 1
  EXPECT_EQ(std::nearbyint(just_below_one * 16777215.0), 16777215.0);

  // The platform generator is stepped backwards to hit exact unit values.
  const auto draw_at = [&](uint32_t fraction24, int num_type) {
    sources.rnd.set_state(StateBefore(fraction24));
    return sources.DrawValue(kSourceRnd, num_type);
  };
  EXPECT_EQ(draw_at(0, kNumByte), 0.0);
  EXPECT_EQ(draw_at(0, kNumColor), 0.0);
  EXPECT_EQ(draw_at(0xFFFFFF, kNumByte), 255.0);
  EXPECT_EQ(draw_at(0xFFFFFF, kNumInteger15), 32767.0);
  EXPECT_EQ(draw_at(0xFFFFFF, kNumInteger16), 65535.0);
  EXPECT_EQ(draw_at(0xFFFFFF, kNumColor), 16777214.0);
  EXPECT_EQ(draw_at(0x800000, kNumColor), 8388608.0);  // 8388607.5 ties to even
  EXPECT_EQ(draw_at(0x800000, kNumByte), 128.0);

  // Rnd's largest value is 1 - 2^-24 and stays below 1 as a single.
  for (uint32_t state = 0; state <= 0xFFFFFFu; state += 0x1001) {
    sources.rnd.set_state(state);
    const double v = sources.DrawValue(kSourceRnd, kNumSingle);
    ASSERT_GE(v, 0.0);
    ASSERT_LT(v, 1.0);
  }
  // Walk the whole 2^24 cycle once: every value is in range and the cycle
  // really is full period.
  PlatformRnd rnd;
  rnd.set_state(0);
  float max = 0.0f;
  for (uint32_t i = 1; i <= 0x1000000u; ++i) {
    const float v = rnd.Rnd();
    max = v > max ? v : max;
    if (rnd.state() == 0) {
      EXPECT_EQ(i, 0x1000000u);
      break;
    }
  }
  EXPECT_EQ(max, 1.0f - 1.0f / 16777216.0f);
}

TEST(DrawValue, WichmannHillLong31Rounds) {
  test::FixedClock clock(kDay, 10.0f);
  RandomSources sources(clock);
  sources.wh.WHSeed(555);
  WichmannHill wh;
  wh.WHSeed(555);
  for (int i = 0; i < 1000; ++i) {
    const double expected = std::nearbyint(wh.WHNext(1) * 2147483647.0);
    ASSERT_EQ(sources.DrawValue(kSourceWichmannHill, kNumLong31), expected);
  }
}

TEST(DrawValue, RejectsCombinationsTheSourceDoesNotOffer) {
  test::FixedClock clock(kDay, 10.0f);
  RandomSources sources(clock);
  EXPECT_THROW(sources.DrawValue(kSourceRnd, kNumLong31), std::invalid_argument);
  EXPECT_THROW(sources.DrawValue(kSourceRnd, kNumDouble), std::invalid_argument);
  EXPECT_THROW(sources.DrawValue(kSourceWichmannHill, kNumLong32), std::invalid_argument);
  EXPECT_THROW(sources.DrawValue(kSourceMtWh, kNumLong32), std::invalid_argument);
  EXPECT_THROW(sources.DrawValue(kSourceHardware, kNumByte), std::invalid_argument);
  EXPECT_TRUE(SourceOffers(kSourceMersenneTwister, kNumLong32));
  EXPECT_TRUE(SourceOffers(kSourceRnd, kNumColor));
}

TEST(DrawBytes, MatchesValueByValueDrawsForEverySource) {
  for (int source = 0; source <= kSourceMtWh; ++source) {
    test::FixedClock clock(kDay, 4321.0f);
    RandomSources bulk(clock);
    RandomSources single(clock);
    bulk.SeedSource(source);
    single.SeedSource(source);
    std::vector<uint8_t> bytes(5000);
    bulk.DrawBytes(source, bytes.data(), 3);
    bulk.DrawBytes(source, bytes.data() + 3, bytes.size() - 3);
    for (std::size_t i = 0; i < bytes.size(); ++i) {
      ASSERT_EQ(bytes[i], single.DrawValue(source, kNumByte)) << "source " << source << " byte " << i;
    }
  }
}

TEST(SeedSource, FromANumberSeedsEachSourceReproducibly) {
  test::FixedClock clock(kDay, 10.0f);
  RandomSources sources(clock);
  for (const int32_t seed : {0, 1, 42, -7, INT32_MIN, INT32_MAX}) {
    sources.SeedSource(kSourceMersenneTwister, seed);
    MersenneTwister mt;
    mt.MTInit(seed);
    ASSERT_EQ(sources.DrawValue(kSourceMersenneTwister, kNumLong32), mt.MTWordUnsigned()) << seed;

    sources.SeedSource(kSourceRnd, seed);
    ASSERT_EQ(sources.rnd.state(), static_cast<uint32_t>((int64_t{seed} % 16777216 + 16777216) % 16777216));

    sources.SeedSource(kSourceWichmannHill, seed);
    WichmannHill wh;
    wh.WHSeed(static_cast<double>(seed));
    ASSERT_EQ(sources.DrawValue(kSourceWichmannHill, kNumDouble), wh.WHNext(1)) << seed;

    // The alternating source: both generators seeded, the platform one left
    // alone, the first value from Wichmann-Hill exactly for an odd seed.
    sources.rnd.set_state(99);
    sources.SeedSource(kSourceMtWh, seed);
    EXPECT_EQ(sources.rnd.state(), 99u);
    EXPECT_EQ(sources.UseWH, seed % 2 != 0) << seed;
    MersenneTwister mt2;
    mt2.MTInit(seed);
    WichmannHill wh2;
    wh2.WHSeed(static_cast<double>(seed));
    const double first = seed % 2 != 0 ? wh2.WHNext(1) : mt2.MTReal();
    ASSERT_EQ(sources.DrawValue(kSourceMtWh, kNumDouble), first) << seed;
  }
}

// Fill is the fast path of the writers; it must give the very values that
// one-by-one draws give, for every pair a source offers.
TEST(WithDrawer, BlockFillsMatchSingleDrawsForEveryOfferedPair) {
  for (int source = 0; source <= kSourceMtWh; ++source) {
    for (int num_type = 0; num_type < kNumTypeCount; ++num_type) {
      if (!SourceOffers(source, num_type)) continue;
      test::FixedClock clock(kDay, 321.0f);
      RandomSources bulk(clock);
      RandomSources single(clock);
      bulk.SeedSource(source, 2718);
      single.SeedSource(source, 2718);
      bulk.WithDrawer(source, num_type, [&](auto draw) {
        EXPECT_EQ(decltype(draw)::kNumType, num_type);
        std::vector<typename decltype(draw)::Value> values(2500);
        draw.Fill(values.data(), 7);  // a block that ends inside a twister block
        draw.Fill(values.data() + 7, values.size() - 7);
        for (std::size_t i = 0; i < values.size(); ++i) {
          ASSERT_EQ(static_cast<double>(values[i]), single.DrawValue(source, num_type))
              << "source " << source << " type " << num_type << " value " << i;
        }
      });
      EXPECT_EQ(bulk.UseWH, single.UseWH);
    }
  }
}

TEST(IsOdd, CountsNegativeOddValues) {
  EXPECT_TRUE(IsOdd(1));
  EXPECT_TRUE(IsOdd(-1));
  EXPECT_TRUE(IsOdd(-2147483647));
  EXPECT_FALSE(IsOdd(0));
  EXPECT_FALSE(IsOdd(-2));
  EXPECT_FALSE(IsOdd(INT32_MIN));
}

TEST(Randomize, AnotherTimeGivesAnotherStream) {
  test::FixedClock clock(kDay, 100.0f);
  PlatformRnd a;
  PlatformRnd b;
  a.Randomize(clock);
  clock.Set(kDay, 100.5f);
  b.Randomize(clock);
  int same = 0;
  for (int i = 0; i < 100; ++i) same += a.Rnd() == b.Rnd();
  EXPECT_LT(same, 5);

  // Seconds apart over a whole day: the seeded states differ.
  std::vector<uint32_t> states;
  for (int s = 0; s < 86400; s += 997) {
    PlatformRnd r;
    clock.Set(kDay, static_cast<float>(s) + 0.25f);
    r.Randomize(clock);
    states.push_back(r.state());
  }
  std::sort(states.begin(), states.end());
  EXPECT_EQ(std::adjacent_find(states.begin(), states.end()), states.end());
}

}  // namespace
}  // namespace quibran
