// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Limits of the main window's fields, shared by the field checks, the checks
// before a job, the window's layout and the batch tool.

#include <cstdint>
#include <string_view>

namespace quibran {

inline constexpr int32_t kMaxBinQuantity = 2147483646;  // "2147483646 (2 GB - 2)"
inline constexpr int32_t kMaxAscQuantity = 1073741824;  // "1073741824 (1 GB)"
inline constexpr int32_t kMaxCsvRows = 65536;
inline constexpr int16_t kMinCsvColumns = 2;
inline constexpr int16_t kMaxCsvColumns = 256;
inline constexpr int16_t kMinBitmapPixels = 100;
inline constexpr int16_t kMaxBitmapPixels = 9999;  // four digits: the bitmap fields' limit without a screen
inline constexpr int16_t kMaxFiles = 9999;
inline constexpr int16_t kMaxStartSequence = 9999;

// What a second bitmap file is refused with, in a field and before a job.
inline constexpr std::string_view kOneBitmapMessage = "Only one bitmap can be generated at a time.";

}  // namespace quibran
