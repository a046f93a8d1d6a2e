#include "random/wichmann_hill.h"

#include <gtest/gtest.h>

#include <array>

#include "fixed_clock.h"

namespace quibran {
namespace {

using Components = std::array<int32_t, 3>;

Components Of(const WichmannHill& wh) { return {wh.WHState1, wh.WHState2, wh.WHState3}; }

TEST(WichmannHill, KnownValuesFromTheDefaultStateAndASeed) {
  struct Step {
    int32_t n;
    double value;
    Components after;
  };
  WichmannHill wh;
  for (const Step& s : {Step{1, 0.895253911238, {29241, 29584, 28900}}, Step{1, 0.111491021216, {5826, 27179, 674}},
                        Step{1, 0.939526796411, {27638, 7510, 23611}},
                        Step{0, 0.939526796411, {27638, 7510, 23611}},  // n = 0 repeats without stepping
                        Step{-12345, 0.012037034764, {22434, 1850, 6363}}}) {  // n < 0 reseeds, then steps
    EXPECT_NEAR(wh.WHNext(s.n), s.value, 1e-12) << s.n;
    EXPECT_EQ(Of(wh), s.after) << s.n;
  }
  WichmannHill fresh;
  EXPECT_NEAR(fresh.WHNext(0), 0.016930906200, 1e-12);
  EXPECT_EQ(Of(fresh), (Components{171, 172, 170}));
  fresh.WHNext(INT32_MIN);  // 2147483648 reduces to 1, then one step
  EXPECT_EQ(Of(fresh), (Components{171, 172, 170}));
}

TEST(WichmannHill, SeedingFromNumbers) {
  struct Seed {
    double seed;
    Components components;
  };
  for (const Seed& s : {Seed{12345, {12345, 12345, 12345}}, Seed{30307, {38, 172, 30307}}, Seed{0, {171, 172, 170}},
                        Seed{-7.5, {8, 8, 8}},             // floored to -8, then made positive
                        Seed{4294967296.0, {2, 2, 2}},     // reduced modulo 2147483647
                        Seed{2147483647.0, {2147483647 % 30269, 2147483647 % 30307, 2147483647 % 30323}}}) {
    WichmannHill wh;
    wh.WHSeed(s.seed);
    EXPECT_EQ(Of(wh), s.components) << s.seed;
  }
  WichmannHill wh;
  wh.WHSeed(1e300);  // far beyond 2^53: still a remainder in range
  EXPECT_GT(wh.WHState1, 0);
  EXPECT_LT(wh.WHState1, 30269);
}

TEST(WichmannHill, ClockSeedCountsSixtiethsOfASecond) {
  WichmannHill wh;
  test::FixedClock clock(45000, 100.5f);
  wh.WHSeed(clock);
  EXPECT_EQ(Of(wh), (Components{6030, 6030, 6030}));
  clock.Set(45000, 86399.99f);  // 86400 - 1/128 as a single; times 60 rounds to 5184000
  wh.WHSeed(clock);
  EXPECT_EQ(Of(wh), (Components{5184000 % 30269, 5184000 % 30307, 5184000 % 30323}));
}

}  // namespace
}  // namespace quibran
