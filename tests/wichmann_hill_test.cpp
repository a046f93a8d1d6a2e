// SPDX-License-Identifier: GPL-3.0-or-later
#include "random/wichmann_hill.h"

#include <gtest/gtest.h>

#include <array>
#include <tuple>
#include <utility>
#include <vector>

#include "fixed_clock.h"

namespace quibran {
namespace {

using Components = std::array<int32_t, 3>;

Components Of(const WichmannHill& wh) { return {wh.WHState1, wh.WHState2, wh.WHState3}; }

// One generator from its default state, then from seed 12345.
TEST(WichmannHill, KnownValuesFromTheDefaultStateAndASeed) {
  const std::tuple<int32_t, double, Components> steps[] = {
      {0, 0.895253911238, {29241, 29584, 28900}},
      {0, 0.111491021216, {5826, 27179, 674}},
      {0, 0.939526796411, {27638, 7510, 23611}},
      {12345, 0.012037034764, {22434, 1850, 6363}},
  };
  WichmannHill wh;
  for (const auto& [seed, value, after] : steps) {
    if (seed != 0) wh.WHSeed(seed);
    EXPECT_NEAR(wh.WHNext(), value, 1e-12) << seed;
    EXPECT_EQ(Of(wh), after) << seed;
  }
}

// Blocks of any length, from the unseeded state or a seed, give WHNext's
// values bit for bit and leave the generator where WHNext would.
TEST(WichmannHill, FillGivesTheValuesOfWHNextInBlocks) {
  for (const double seed : {-1.0, 12345.0, 2147483646.0}) {
    WichmannHill one, blocks;
    if (seed >= 0) {
      one.WHSeed(seed);
      blocks.WHSeed(seed);
    }
    std::vector<double> values(3000);
    std::size_t at = 0;
    const std::size_t lengths[] = {1, 3, 4, 5, 256, 257, 2474};
    for (const std::size_t length : lengths) {
      blocks.Fill(values.data() + at, length);
      at += length;
    }
    for (std::size_t i = 0; i < values.size(); ++i) ASSERT_EQ(values[i], one.WHNext()) << seed << " #" << i;
    EXPECT_EQ(Of(blocks), Of(one)) << seed;
  }
}

TEST(WichmannHill, SeedingFromNumbersAndFromTheClock) {
  const std::pair<double, Components> seeds[] = {
      {12345, {12345, 12345, 12345}},
      {30307, {38, 172, 30307}},
      {0, {171, 172, 170}},
      {-7.5, {8, 8, 8}},          // floored to -8, then made positive
      {4294967296.0, {2, 2, 2}},  // reduced modulo 2147483647
      {2147483647.0, {2147483647 % 30269, 2147483647 % 30307, 2147483647 % 30323}},
  };
  for (const auto& [seed, components] : seeds) {
    WichmannHill wh;
    wh.WHSeed(seed);
    EXPECT_EQ(Of(wh), components) << seed;
  }
  WichmannHill wh;
  wh.WHSeed(1e300);  // far beyond 2^53: still a remainder in range
  EXPECT_TRUE(wh.WHState1 > 0 && wh.WHState1 < 30269) << wh.WHState1;
  // The clock counts sixtieths of a second.
  test::FixedClock clock(45000, 100.5f);
  wh.WHSeed(clock);
  EXPECT_EQ(Of(wh), (Components{6030, 6030, 6030}));
  clock.Set(45000, 86399.99f);  // 86400 - 1/128 as a single; times 60 rounds to 5184000
  wh.WHSeed(clock);
  EXPECT_EQ(Of(wh), (Components{5184000 % 30269, 5184000 % 30307, 5184000 % 30323}));
}

}  // namespace
}  // namespace quibran
