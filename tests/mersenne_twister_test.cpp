#include "random/mersenne_twister.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

namespace quibran {
namespace {

TEST(MersenneTwister, MatchesStdMt19937ForManySeedsOverSeveralTwists) {
  for (const uint32_t seed : {0u, 1u, 5489u, 4294967295u, 2u, 19650218u, 0x80000000u, 0x7FFFFFFFu, 123456789u,
                              3141592653u, 65535u, 65536u}) {
    MersenneTwister mt;
    mt.MTInit(static_cast<int32_t>(seed));
    std::mt19937 reference(seed);
    for (int i = 0; i < 624 * 5 + 7; ++i) {
      ASSERT_EQ(static_cast<uint32_t>(mt.MTWord()), reference()) << "seed " << seed << " word " << i;
    }
  }
}

// The std::mt19937 comparison above covers the words; each form takes one
// word of the stream: 3499211612, 581869302, 3890346734, 3586334585.
TEST(MersenneTwister, OutputForms) {
  MersenneTwister mt;
  mt.MTInit(5489);
  EXPECT_EQ(mt.MTWord(), -795755684);
  EXPECT_EQ(mt.MTLong31(), 290934651);
  EXPECT_EQ(mt.MTReal(), 0.90579193411394954);
  EXPECT_EQ(mt.MTWordUnsigned(), 3586334585.0);
  EXPECT_LT(MersenneTwister::ToReal(0xFFFFFFFFu), 1.0);
}

// An unseeded twister is seeded with 5489; Fill continues the stream across
// twister blocks; a seeding in mid-block starts the new stream at once.
TEST(MersenneTwister, UnseededIsSeed5489FillContinuesAndReseedingRestarts) {
  MersenneTwister bulk;
  MersenneTwister single;
  single.MTInit(5489);
  EXPECT_FALSE(bulk.seeded());
  EXPECT_EQ(bulk.MTWord(), single.MTWord());
  EXPECT_TRUE(bulk.seeded());
  std::vector<uint32_t> out(2000);
  bulk.Fill(out.data(), 1);
  bulk.Fill(out.data() + 1, out.size() - 1);
  for (const uint32_t w : out) ASSERT_EQ(w, single.Next());
  EXPECT_EQ(bulk.MTWord(), single.MTWord());
  bulk.MTInit(0);
  EXPECT_EQ(bulk.MTWordUnsigned(), 2357136044.0);
}

}  // namespace
}  // namespace quibran
