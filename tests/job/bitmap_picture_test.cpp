// SPDX-License-Identifier: GPL-3.0-or-later
// The colour of a unit value at its edges (the drawing itself is
// quibran-batch's table's, batch_test.cpp).
#include "job/bitmap_picture.h"

#include <gtest/gtest.h>

#include <cmath>
#include <tuple>

#include "random/random_sources.h"

namespace quibran {
namespace {

struct FixedUnit {
  double x;
  double Unit() const { return x; }
};

TEST(BitmapColour, IsTheRoundedProductWithRedInTheLowByte) {
  const double tie = 16777214.5 / 16777215.0;
  ASSERT_EQ(tie * 16777215.0, 16777214.5);
  for (const auto& [r, colour, pixel] : {std::tuple{0.0, 0u, 0xFF000000u},
                                         {0.5, 8388608u, 0xFF000080u},
                                         {tie, 16777214u, 0xFFFEFFFFu},
                                         {std::nextafter(tie, 1.0), kWhite, 0xFFFFFFFFu},
                                         {0x563412 / 16777215.0, 0x563412u, 0xFF123456u}}) {
    FixedUnit unit{r};
    EXPECT_EQ(MakeValue<kNumColor>(unit), colour) << r;
    EXPECT_EQ(PixelOf(colour), pixel) << r;
  }
}

}  // namespace
}  // namespace quibran
