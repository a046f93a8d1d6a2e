// SPDX-License-Identifier: GPL-3.0-or-later
#include "random/mersenne_twister.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

namespace quibran {
namespace {

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
