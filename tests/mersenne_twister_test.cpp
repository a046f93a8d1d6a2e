// SPDX-License-Identifier: GPL-3.0-or-later
#include "random/mersenne_twister.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

namespace quibran {
namespace {

TEST(MersenneTwister, MatchesStdMt19937ForManySeedsOverSeveralTwists) {
  for (const uint32_t seed :
       {0u, 1u, 5489u, 4294967295u, 2u, 19650218u, 0x80000000u, 0x7FFFFFFFu, 123456789u, 3141592653u, 65535u, 65536u}) {
    MersenneTwister mt;
    mt.MTInit(static_cast<int32_t>(seed));
    std::mt19937 reference(seed);
    for (int i = 0; i < 624 * 5 + 7; ++i) {
      ASSERT_EQ(static_cast<uint32_t>(mt.MTWord()), reference()) << "seed " << seed << " word " << i;
    }
  }
}

// An unseeded twister runs seed 5489's stream, whose first words are
// 3499211612, 581869302, 3890346734 and 3586334585: each output form takes
// one word. Fill continues the stream across twister blocks; a seeding in
// mid-block starts the new stream at once.
TEST(MersenneTwister, UnseededOutputFormsFillAndReseeding) {
  MersenneTwister mt;
  EXPECT_EQ(mt.MTWord(), -795755684);
  EXPECT_EQ(mt.Next(), 581869302u);
  EXPECT_EQ(mt.MTReal(), 0.90579193411394954);
  EXPECT_EQ(mt.Next(), 3586334585u);
  EXPECT_LT(MersenneTwister::ToReal(0xFFFFFFFFu), 1.0);
  std::mt19937 reference(5489);
  reference.discard(4);
  std::vector<uint32_t> out(2000);
  mt.Fill(out.data(), 1);
  mt.Fill(out.data() + 1, out.size() - 1);
  for (const uint32_t w : out) ASSERT_EQ(w, reference());
  EXPECT_EQ(static_cast<uint32_t>(mt.MTWord()), reference());
  mt.MTInit(0);
  EXPECT_EQ(mt.Next(), 2357136044u);
}

}  // namespace
}  // namespace quibran
