#include "random/wichmann_hill.h"

#include <gtest/gtest.h>

#include "fixed_clock.h"

namespace quibran {
namespace {

void ExpectComponents(const WichmannHill& wh, int32_t a, int32_t b, int32_t c) {
  EXPECT_EQ(wh.WHState1, a);
  EXPECT_EQ(wh.WHState2, b);
  EXPECT_EQ(wh.WHState3, c);
}

TEST(WichmannHill, UnseededStreamStartsFromTheDefaultState) {
  WichmannHill wh;
  EXPECT_NEAR(wh.WHNext(1), 0.895253911238, 1e-12);
  ExpectComponents(wh, 29241, 29584, 28900);
  EXPECT_NEAR(wh.WHNext(1), 0.111491021216, 1e-12);
  ExpectComponents(wh, 5826, 27179, 674);
  EXPECT_NEAR(wh.WHNext(1), 0.939526796411, 1e-12);
  ExpectComponents(wh, 27638, 7510, 23611);
  const double last = 0.939526796411;
  EXPECT_NEAR(wh.WHNext(0), last, 1e-12);  // n = 0 repeats without stepping
  ExpectComponents(wh, 27638, 7510, 23611);

  WichmannHill fresh;
  EXPECT_NEAR(fresh.WHNext(0), 0.016930906200, 1e-12);
  ExpectComponents(fresh, 171, 172, 170);
}

TEST(WichmannHill, SeedingFromNumbers) {
  WichmannHill wh;
  wh.WHSeed(12345);
  ExpectComponents(wh, 12345, 12345, 12345);
  EXPECT_NEAR(wh.WHNext(1), 0.012037034764, 1e-12);
  ExpectComponents(wh, 22434, 1850, 6363);

  wh.WHSeed(30307);
  ExpectComponents(wh, 38, 172, 30307);
  wh.WHSeed(0);
  ExpectComponents(wh, 171, 172, 170);
  wh.WHSeed(-7.5);  // floored to -8 first, then made positive
  ExpectComponents(wh, 8, 8, 8);
  wh.WHSeed(4294967296.0);  // reduced modulo 2147483647 to 2
  ExpectComponents(wh, 2, 2, 2);
  wh.WHSeed(2147483647.0);  // not above the modulus: kept
  ExpectComponents(wh, 2147483647 % 30269, 2147483647 % 30307, 2147483647 % 30323);
  wh.WHSeed(1e300);  // far beyond 2^53: still a remainder in range
  EXPECT_GT(wh.WHState1, 0);
  EXPECT_LT(wh.WHState1, 30269);
}

TEST(WichmannHill, NegativeArgumentReseedsThenSteps) {
  WichmannHill wh;
  WichmannHill expected;
  expected.WHSeed(1);  // 2147483648 reduces to 1
  const double want = expected.WHNext(1);
  EXPECT_EQ(wh.WHNext(INT32_MIN), want);
  ExpectComponents(wh, 171, 172, 170);

  wh.WHNext(-12345);
  ExpectComponents(wh, 22434, 1850, 6363);
}

TEST(WichmannHill, ClockSeedCountsSixtiethsOfASecond) {
  WichmannHill wh;
  test::FixedClock clock(45000, 100.5f);  // 6030 sixtieths
  wh.WHSeed(clock);
  ExpectComponents(wh, 6030, 6030, 6030);
  clock.Set(45000, 86399.99f);
  wh.WHSeed(clock);
  const int32_t x = 5184000;  // 86399.99 as a single is 86400 - 1/128; times 60 rounds to 5184000
  ExpectComponents(wh, x % 30269, x % 30307, x % 30323);
}

TEST(WichmannHill, ValuesStayInTheUnitInterval) {
  WichmannHill wh;
  wh.WHSeed(987654321);
  for (int i = 0; i < 100000; ++i) {
    const double r = wh.WHNext(1);
    ASSERT_GE(r, 0.0);
    ASSERT_LT(r, 1.0);
  }
}

}  // namespace
}  // namespace quibran
