// SPDX-License-Identifier: GPL-3.0-or-later
// The software generators: Wichmann-Hill by its known values, the Mersenne
// Twister against the standard library's.

#include <gtest/gtest.h>

#include <array>
#include <random>
#include <tuple>
#include <vector>

#include "fixed_clock.h"
#include "random/mersenne_twister.h"
#include "random/wichmann_hill.h"

namespace quibran {
namespace {

using Components = std::array<int32_t, 3>;

Components Of(const WichmannHill& wh) { return {wh.WHState1, wh.WHState2, wh.WHState3}; }

// Known values from the unseeded state, then from seed 12345; seeds are
// floored, made positive, reduced modulo 2147483647, and a component that
// comes out 0 takes its multiplier; the clock counts sixtieths of a second.
TEST(WichmannHill, KnownValuesAndSeeds) {
  WichmannHill wh;
  for (const auto& [seed, value, after] : std::initializer_list<std::tuple<int32_t, double, Components>>{
           {0, 0.895253911238, {29241, 29584, 28900}},
           {0, 0.111491021216, {5826, 27179, 674}},
           {12345, 0.012037034764, {22434, 1850, 6363}},
       }) {
    if (seed != 0) wh.WHSeed(seed);
    EXPECT_NEAR(wh.WHNext(), value, 1e-12) << seed;
    EXPECT_EQ(Of(wh), after) << seed;
  }
  for (const auto& [seed, components] : std::initializer_list<std::pair<double, Components>>{
           {30307, {38, 172, 30307}}, {0, {171, 172, 170}}, {-7.5, {8, 8, 8}}, {4294967296.0, {2, 2, 2}}}) {
    wh.WHSeed(seed);
    EXPECT_EQ(Of(wh), components) << seed;
  }
  test::FixedClock clock(45000, 100.5f);
  wh.WHSeed(clock);
  EXPECT_EQ(Of(wh), (Components{6030, 6030, 6030}));
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
    for (const std::size_t length : std::initializer_list<std::size_t>{1, 3, 4, 5, 256, 257, 2474}) {
      blocks.Fill(values.data() + at, length);
      at += length;
    }
    for (std::size_t i = 0; i < values.size(); ++i) ASSERT_EQ(values[i], one.WHNext()) << seed << " #" << i;
    EXPECT_EQ(Of(blocks), Of(one)) << seed;
  }
}

// Unseeded (seed 5489's stream) and seeded (a negative seed is its 32-bit
// pattern), word by word and in blocks across several twists, against the
// standard library's mt19937; each output form takes one word, and a
// seeding in mid-block starts the new stream at once.
TEST(MersenneTwister, MatchesStdMt19937) {
  for (const int64_t seed : {-1LL, 0LL, 1LL, 0x7FFFFFFFLL, 0x80000000LL, 0xFFFFFFFFLL}) {
    MersenneTwister mt;
    if (seed >= 0) mt.MTInit(static_cast<int32_t>(static_cast<uint32_t>(seed)));
    std::mt19937 reference(seed >= 0 ? static_cast<uint32_t>(seed) : 5489u);
    EXPECT_EQ(mt.MTWord(), static_cast<int32_t>(reference())) << seed;
    EXPECT_EQ(mt.MTReal(), static_cast<double>(reference()) * 0x1p-32) << seed;
    std::vector<uint32_t> words(624 * 4 + 7);
    mt.Fill(words.data(), 1);
    mt.Fill(words.data() + 1, words.size() - 1);
    for (const uint32_t word : words) ASSERT_EQ(word, reference()) << seed;
    EXPECT_EQ(mt.Next(), reference()) << seed;
    mt.MTInit(5);
    EXPECT_EQ(mt.Next(), std::mt19937(5)()) << seed;
  }
  EXPECT_LT(MersenneTwister::ToReal(0xFFFFFFFFu), 1.0);
}

}  // namespace
}  // namespace quibran
