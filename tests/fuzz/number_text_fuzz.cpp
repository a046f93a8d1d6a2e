// SPDX-License-Identifier: GPL-3.0-or-later
// libFuzzer target of the list-output number texts, against printf. Each
// 8 bytes of input are taken as a double, two floats, the whole-number types
// and the reals from 0 to 1 that the generators make of them; the text
// WriteListValue gives must equal the one built here from printf's own
// rounding by the documented rules.

#include <bit>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "job/number_text.h"

namespace {

using namespace quibran;

// The list-output form of a finite real with `digits` significant digits:
// plain when printf's %e rounding gives an exponent from -4 to digits - 1,
// %f then with as many decimals as reach the last digit; otherwise %e with a
// capital E. Trailing zeros and a leading 0 before the period go.
std::string ExpectedReal(double value, int digits) {
  if (value == 0) return "0";
  char e[64];
  std::snprintf(e, sizeof e, "%.*e", digits - 1, value);
  char* mark = std::strchr(e, 'e');
  const int exponent = std::atoi(mark + 1);
  std::string text;
  if (exponent >= -4 && exponent < digits) {
    char f[512];
    std::snprintf(f, sizeof f, "%.*f", digits - 1 - exponent > 0 ? digits - 1 - exponent : 0, value);
    text = f;
    if (text.find('.') != std::string::npos) {
      text.erase(text.find_last_not_of('0') + 1);
      if (text.back() == '.') text.pop_back();
    }
    const std::size_t zero = text[0] == '-' ? 1 : 0;
    if (text.compare(zero, 2, "0.") == 0) text.erase(zero, 1);
  } else {
    std::string mantissa(e, mark);
    if (mantissa.find('.') != std::string::npos) {
      mantissa.erase(mantissa.find_last_not_of('0') + 1);
      if (mantissa.back() == '.') mantissa.pop_back();
    }
    text = mantissa + "E" + (mark + 1);
  }
  return text;
}

template <int NumType, class Value>
void Compare(Value value, const std::string& expected) {
  char buffer[kMaxValueText];
  char* const end = WriteListValue<NumType>(buffer, value);
  if (end - buffer >= static_cast<std::ptrdiff_t>(kMaxValueText) || std::string(buffer, end) != expected) {
    std::fprintf(stderr, "type %d: \"%s\" written, \"%s\" expected\n", NumType, std::string(buffer, end).c_str(),
                 expected.c_str());
    __builtin_trap();
  }
}

void CompareReals(double d, float f) {
  if (std::isfinite(d)) Compare<kNumDouble>(d, ExpectedReal(d, 15));
  if (std::isfinite(f)) Compare<kNumSingle>(f, ExpectedReal(f, 7));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  for (std::size_t i = 0; i + 8 <= size; i += 8) {
    uint64_t word;
    std::memcpy(&word, data + i, 8);
    const auto low = static_cast<uint32_t>(word);
    const auto high = static_cast<uint32_t>(word >> 32);
    CompareReals(std::bit_cast<double>(word), std::bit_cast<float>(low));
    CompareReals(std::bit_cast<double>(word), std::bit_cast<float>(high));
    // Reals from 0 to 1 as the generators make them: 53 or 24 random bits.
    CompareReals(static_cast<double>(word >> 11) * 0x1p-53, static_cast<float>(high >> 8) * 0x1p-24f);
    char text[16];
    std::snprintf(text, sizeof text, "%u", low);
    Compare<kNumLong31>(low, text);
    std::snprintf(text, sizeof text, "\"%u\"", low);
    Compare<kNumLong32>(low, text);
    std::snprintf(text, sizeof text, "\"%d\"", static_cast<int32_t>(high));
    Compare<kNumLong32>(static_cast<int32_t>(high), text);
  }
  return 0;
}
