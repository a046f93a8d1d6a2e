// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The text forms of the values that the text and CSV writers write and the
// display box shows. Everything is written with std::to_chars: no streams, no
// locale, no allocation per value.

#include <charconv>
#include <cstddef>
#include <cstdint>
#include <string>
#include <type_traits>

#include "random/random_sources.h"

namespace quibran {

// Room that one value's text takes at the most, separator included.
inline constexpr std::size_t kMaxValueText = 32;

// The list-output form of a real: at most 7 (single) or 15 (double)
// significant digits, the value rounded to them; a period whatever the
// locale; no leading zero before the period (.5); no trailing zeros; plain
// notation from 1E-04 up to below 10^digits, so that a value never shows
// more than three zeros between the period and its first digit, and exponent
// form otherwise, with a capital E, a sign and at least two digits
// (2.328306E-10, 9.999999E-05). Zero is 0. Returns the end of the text.
char* WriteListReal(char* out, float value);
char* WriteListReal(char* out, double value);

// One value in list-output form: whole numbers as their digits, Long (32 bits)
// between double quotation marks (the hardware source's with their sign),
// reals as above.
template <int NumType, class Value>
char* WriteListValue(char* out, Value value) {
  if constexpr (std::is_floating_point_v<Value>) {
    return WriteListReal(out, value);
  } else if constexpr (NumType == kNumLong32) {
    *out++ = '"';
    out = std::to_chars(out, out + 11, value).ptr;
    *out++ = '"';
    return out;
  } else {
    return std::to_chars(out, out + 10, value).ptr;
  }
}

// `value` in `base`, capital letters, zero-padded to `width` characters.
void AppendPadded(std::string& text, uint32_t value, int base, int width);

// One display box line of a value, CR LF included: decimal, hexadecimal and
// octal columns for Byte and the Integer types; otherwise the value's plain
// text (Long (32 bits) without quotation marks, a real with its 0 before the
// period).
template <int NumType, class Value>
void AppendDisplayLine(std::string& text, Value value) {
  if constexpr (NumType <= kNumInteger16) {
    constexpr int kDecimal = NumType == kNumByte ? 3 : 5;
    constexpr int kHex = NumType == kNumByte ? 2 : 4;
    constexpr int kOctal = NumType == kNumByte ? 3 : NumType == kNumInteger15 ? 5 : 6;
    AppendPadded(text, value, 10, kDecimal);
    text += "    ";
    AppendPadded(text, value, 16, kHex);
    text += "    ";
    AppendPadded(text, value, 8, kOctal);
  } else {
    char buffer[kMaxValueText];
    char* end = buffer;
    if constexpr (std::is_floating_point_v<Value>) {
      end = WriteListReal(buffer, value);
      if (buffer[0] == '.') text += '0';
    } else {
      end = std::to_chars(buffer, buffer + sizeof buffer, value).ptr;
    }
    text.append(buffer, end);
  }
  text += "\r\n";
}

}  // namespace quibran
