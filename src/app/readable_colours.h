// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Text that stays readable on the window's own field colours, whatever the
// palette: contrast as WCAG 2.1 measures it.

#include <QColor>

namespace quibran {

// The contrast ratio of two colours, from 1 (the same luminance) to 21
// (black on white).
double ContrastRatio(const QColor& first, const QColor& second);

// The least contrast of text on its background that WCAG 2.1 asks (AA).
inline constexpr double kReadableContrast = 4.5;

// `preferred` when it is readable on `background`, else black or white,
// whichever contrasts more.
QColor ReadableTextOn(const QColor& background, const QColor& preferred);

}  // namespace quibran
