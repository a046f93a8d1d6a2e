#pragma once
// Limits of the main window's fields, shared by the field checks and the
// batch tool.

#include <cstdint>

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

}  // namespace quibran
