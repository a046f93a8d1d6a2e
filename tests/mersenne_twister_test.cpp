#include "random/mersenne_twister.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

namespace quibran {
namespace {

TEST(MersenneTwister, MatchesStdMt19937ForManySeedsOverSeveralTwists) {
  const std::vector<uint32_t> seeds = {0u,          1u,          5489u,      4294967295u, 2u,
                                       19650218u,   0x80000000u, 0x7FFFFFFFu, 123456789u,
                                       3141592653u, 65535u,      65536u};
  for (uint32_t seed : seeds) {
    MersenneTwister mt;
    mt.MTInit(static_cast<int32_t>(seed));
    std::mt19937 reference(seed);
    for (int i = 0; i < 624 * 5 + 7; ++i) {
      ASSERT_EQ(static_cast<uint32_t>(mt.MTWord()), reference()) << "seed " << seed << " word " << i;
    }
  }
}

TEST(MersenneTwister, KnownValuesOfTheDefaultSeed) {
  MersenneTwister mt;
  mt.MTInit(5489);
  EXPECT_EQ(mt.MTWord(), -795755684);  // 3499211612 as a signed pattern
  EXPECT_EQ(mt.MTWordUnsigned(), 581869302.0);
  EXPECT_EQ(mt.MTWordUnsigned(), 3890346734.0);

  MersenneTwister forms;
  forms.MTInit(5489);
  EXPECT_EQ(forms.MTLong31(), 1749605806);
  forms.MTInit(5489);
  EXPECT_DOUBLE_EQ(forms.MTReal(), 0.8147236919030547);

  MersenneTwister far;
  far.MTInit(5489);
  for (int i = 1; i < 10000; ++i) far.MTWord();
  EXPECT_EQ(far.MTWordUnsigned(), 4123659995.0);
}

TEST(MersenneTwister, UnseededBehavesAsSeed5489AndReseedingRestarts) {
  MersenneTwister unseeded;
  MersenneTwister seeded;
  seeded.MTInit(5489);
  EXPECT_FALSE(unseeded.seeded());
  for (int i = 0; i < 1000; ++i) ASSERT_EQ(unseeded.MTWord(), seeded.MTWord());
  EXPECT_TRUE(unseeded.seeded());

  MersenneTwister mt;
  mt.MTInit(0);
  EXPECT_EQ(mt.MTWordUnsigned(), 2357136044.0);
  EXPECT_EQ(mt.MTWordUnsigned(), 2546248239.0);
  mt.MTInit(1);
  EXPECT_EQ(mt.MTWordUnsigned(), 1791095845.0);
  EXPECT_EQ(mt.MTWordUnsigned(), 4282876139.0);
  mt.MTInit(0);  // a second seeding mid-block restarts the stream from its start
  EXPECT_EQ(mt.MTWordUnsigned(), 2357136044.0);
}

TEST(MersenneTwister, OutputFormsStayInRangeAndEachConsumesOneWord) {
  MersenneTwister mt;
  MersenneTwister words;
  mt.MTInit(-1);
  words.MTInit(-1);
  for (int i = 0; i < 5000; ++i) {
    const uint32_t w = static_cast<uint32_t>(words.MTWord());
    switch (i % 3) {
      case 0: {
        const double r = mt.MTReal();
        ASSERT_GE(r, 0.0);
        ASSERT_LT(r, 1.0);
        ASSERT_EQ(r, w / 4294967296.0);
        break;
      }
      case 1: ASSERT_EQ(mt.MTLong31(), static_cast<int32_t>(w >> 1)); break;
      default: ASSERT_EQ(mt.MTWordUnsigned(), static_cast<double>(w)); break;
    }
  }
  EXPECT_LT(MersenneTwister::ToReal(0xFFFFFFFFu), 1.0);
}

TEST(MersenneTwister, FillContinuesTheSameStreamAcrossBlocks) {
  MersenneTwister bulk;
  MersenneTwister single;
  bulk.MTInit(42);
  single.MTInit(42);
  single.MTWord();
  bulk.MTWord();
  std::vector<uint32_t> out(2000);
  bulk.Fill(out.data(), 1);
  bulk.Fill(out.data() + 1, out.size() - 1);
  for (uint32_t w : out) ASSERT_EQ(w, static_cast<uint32_t>(single.MTWord()));
  EXPECT_EQ(bulk.MTWord(), single.MTWord());
}

}  // namespace
}  // namespace quibran
