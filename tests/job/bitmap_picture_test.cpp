// SPDX-License-Identifier: GPL-3.0-or-later
#include "job/bitmap_picture.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "fixed_clock.h"
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
  const struct {
    double r;
    uint32_t colour, pixel;
  } cases[] = {{0.0, 0, 0xFF000000},
               {0.5, 8388608, 0xFF000080},
               {tie, 16777214, 0xFFFEFFFF},
               {std::nextafter(tie, 1.0), kWhite, 0xFFFFFFFF},
               {0x563412 / 16777215.0, 0x563412, 0xFF123456}};
  for (const auto& c : cases) {
    FixedUnit unit{c.r};
    EXPECT_EQ(MakeValue<kNumColor>(unit), c.colour) << c.r;
    EXPECT_EQ(PixelOf(c.colour), c.pixel) << c.r;
  }
}

class BitmapDrawingTest : public ::testing::Test {
 protected:
  static constexpr int kW = 100, kH = 100, kStride = kW + 3;
  static constexpr uint32_t kUnset = 0x12345678;

  // Draws into a fresh image with room beside each row.
  int Draw(const BitmapRequest& request) {
    image_.assign(kStride * kH, kUnset);
    BitmapDrawing drawing(sources_, request, stop_);
    return drawing.Draw(image_.data(), kStride, [](int) {});
  }
  // The next colour of `source` drawn from the twin by the rules themselves.
  uint32_t NextColour(int source, bool monochrome) {
    if (monochrome) return twin_.rnd.Rnd() * 16777215.0 > 8388607.0 ? kWhite : 0;
    const bool wh = source == kSourceWichmannHill || (source == kSourceMtWh && twin_.UseWH);
    const double r = source == kSourceRnd ? twin_.rnd.Rnd() : wh ? twin_.wh.WHNext() : twin_.mt.MTReal();
    const auto colour = static_cast<uint32_t>(std::nearbyint(r * 16777215.0));
    if (source == kSourceMtWh) twin_.UseWH = colour % 2 != 0;
    return colour;
  }

  test::FixedClock clock_{46000, 3000.5f};
  RandomSources sources_{clock_}, twin_{clock_};
  bool stop_ = false;
  std::vector<uint32_t> image_;
};

// Every pixel one draw, column by column, each top to bottom, after the
// platform generator's reseed; source 3 follows the previous colour's parity
// from the UseWH the job left.
TEST_F(BitmapDrawingTest, EveryPixelIsOneDrawInColumnOrder) {
  for (const bool monochrome : {false, true}) {
    for (int source = kSourceMersenneTwister; source <= kSourceMtWh; ++source) {
      SCOPED_TRACE(std::to_string(source) + (monochrome ? " monochrome" : ""));
      for (RandomSources* s : {&sources_, &twin_}) {
        s->SeedSource(source, 77);
        s->rnd.Rnd();
        s->UseWH = false;  // not as the seed left it
      }
      const std::optional<int32_t> seed = monochrome ? std::optional<int32_t>(9) : std::nullopt;
      seed ? twin_.SeedSource(kSourceRnd, *seed) : twin_.SeedSource(kSourceRnd);
      EXPECT_EQ(Draw({static_cast<int16_t>(source), kW, kH, monochrome, seed, "x.BMP"}), kW);
      for (std::size_t x = 0; x < kW; ++x) {
        for (std::size_t y = 0; y < kH; ++y) {
          ASSERT_EQ(image_[y * kStride + x], PixelOf(NextColour(source, monochrome)));
        }
      }
      EXPECT_EQ(image_[kW], kUnset);
      // No draw more: both go on alike.
      EXPECT_EQ(sources_.mt.Next(), twin_.mt.Next());
      EXPECT_EQ(sources_.rnd.Rnd(), twin_.rnd.Rnd());
      EXPECT_EQ(sources_.wh.WHNext(), twin_.wh.WHNext());
    }
  }
}

}  // namespace
}  // namespace quibran
