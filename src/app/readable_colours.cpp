// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/readable_colours.h"

#include <algorithm>
#include <cmath>

namespace quibran {

namespace {

// Relative luminance of an sRGB colour.
double Luminance(const QColor& colour) {
  auto linear = [](float channel) {
    const double c = channel;
    return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
  };
  const QColor rgb = colour.toRgb();
  return 0.2126 * linear(rgb.redF()) + 0.7152 * linear(rgb.greenF()) + 0.0722 * linear(rgb.blueF());
}

}  // namespace

double ContrastRatio(const QColor& first, const QColor& second) {
  const double a = Luminance(first), b = Luminance(second);
  return (std::max(a, b) + 0.05) / (std::min(a, b) + 0.05);
}

QColor ReadableTextOn(const QColor& background, const QColor& preferred) {
  if (ContrastRatio(background, preferred) >= kReadableContrast) return preferred;
  const QColor black(Qt::black), white(Qt::white);
  return ContrastRatio(background, black) >= ContrastRatio(background, white) ? black : white;
}

}  // namespace quibran
