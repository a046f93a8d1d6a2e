// SPDX-License-Identifier: GPL-3.0-or-later
#include "job/number_text.h"

#include <bit>
#include <limits>
#include <type_traits>

namespace quibran {

namespace {

// Plain notation runs from 10^kLowestPlainExponent up to below 10^digits.
constexpr int kLowestPlainExponent = -4;

constexpr uint64_t kPowersOfTen[20] = {1ull,
                                       10ull,
                                       100ull,
                                       1000ull,
                                       10000ull,
                                       100000ull,
                                       1000000ull,
                                       10000000ull,
                                       100000000ull,
                                       1000000000ull,
                                       10000000000ull,
                                       100000000000ull,
                                       1000000000000ull,
                                       10000000000000ull,
                                       100000000000000ull,
                                       1000000000000000ull,
                                       10000000000000000ull,
                                       100000000000000000ull,
                                       1000000000000000000ull,
                                       10000000000000000000ull};

// A value rounded to `digits` significant digits: the digits, without the
// trailing zeros (at least one digit), and the decimal exponent of the first.
struct Decimal {
  char digits[20];
  int count = 0;
  int exponent = 0;
};

// The common case of values from 1E-04 up to below 1, exactly and without
// to_chars's general machinery: value = m / 2^shift, so the digits are
// m * 10^k / 2^shift rounded half to even, in 128-bit integers (m * 10^k stays
// below 2^117).
template <class Real>
Decimal FastDecimal(Real value, int digits) {
  // A normal, positive value: m / 2^shift with m its significand, hidden bit
  // included, and 2^power <= value < 2^(power + 1).
  using Bits = std::conditional_t<sizeof(Real) == 8, uint64_t, uint32_t>;
  constexpr int kFractionBits = std::numeric_limits<Real>::digits - 1;
  constexpr int kBias = std::numeric_limits<Real>::max_exponent - 1;
  const auto bits = std::bit_cast<Bits>(value);
  const uint64_t m = (bits & ((Bits{1} << kFractionBits) - 1)) | (Bits{1} << kFractionBits);
  const int power = static_cast<int>(bits >> kFractionBits) - kBias;
  const int shift = kFractionBits - power;
  // floor(log10(2^power)); the loop corrects it when the value's own
  // logarithm lies beyond the next whole number.
  int exponent = (power * 78913) >> 18;
  for (;;) {
    const unsigned __int128 scaled = static_cast<unsigned __int128>(m) * kPowersOfTen[digits - 1 - exponent];
    auto q = static_cast<uint64_t>(scaled >> shift);
    if (q >= kPowersOfTen[digits] || q < kPowersOfTen[digits - 1]) {
      exponent += q >= kPowersOfTen[digits] ? 1 : -1;
      continue;
    }
    const unsigned __int128 remainder = scaled - (static_cast<unsigned __int128>(q) << shift);
    const unsigned __int128 half = static_cast<unsigned __int128>(1) << (shift - 1);
    if (remainder > half || (remainder == half && (q & 1) != 0)) ++q;
    if (q == kPowersOfTen[digits]) {
      q = kPowersOfTen[digits - 1];
      ++exponent;
    }
    Decimal decimal;
    decimal.exponent = exponent;
    decimal.count = static_cast<int>(std::to_chars(decimal.digits, decimal.digits + digits, q).ptr - decimal.digits);
    while (decimal.count > 1 && decimal.digits[decimal.count - 1] == '0') --decimal.count;
    return decimal;
  }
}

// Any other non-zero value, through to_chars: d.ddd...e±XX.
template <class Real>
Decimal GeneralDecimal(Real value, int digits) {
  char scientific[40];
  const char* const end =
      std::to_chars(scientific, scientific + sizeof scientific, value, std::chars_format::scientific, digits - 1).ptr;
  Decimal decimal;
  const char* p = scientific;
  for (; *p != 'e'; ++p) {
    if (*p >= '0' && *p <= '9') decimal.digits[decimal.count++] = *p;
  }
  // from_chars takes no "+" sign.
  p += p[1] == '+' ? 2 : 1;
  std::from_chars(p, end, decimal.exponent);
  while (decimal.count > 1 && decimal.digits[decimal.count - 1] == '0') --decimal.count;
  return decimal;
}

template <class Real>
char* WriteReal(char* out, Real value, int digits) {
  if (value == 0) {
    *out++ = '0';
    return out;
  }
  if (value < 0) *out++ = '-';
  const Decimal decimal = value >= Real(1e-4) && value < 1 ? FastDecimal(value, digits) : GeneralDecimal(value, digits);
  const char* const mantissa = decimal.digits;
  const int count = decimal.count;
  const int exponent = decimal.exponent;

  if (exponent >= kLowestPlainExponent && exponent < digits) {
    if (exponent < 0) {
      *out++ = '.';
      for (int i = -1; i > exponent; --i) *out++ = '0';
      for (int i = 0; i < count; ++i) *out++ = mantissa[i];
    } else {
      for (int i = 0; i <= exponent; ++i) *out++ = i < count ? mantissa[i] : '0';
      if (count > exponent + 1) {
        *out++ = '.';
        for (int i = exponent + 1; i < count; ++i) *out++ = mantissa[i];
      }
    }
    return out;
  }
  *out++ = mantissa[0];
  if (count > 1) {
    *out++ = '.';
    for (int i = 1; i < count; ++i) *out++ = mantissa[i];
  }
  *out++ = 'E';
  *out++ = exponent < 0 ? '-' : '+';
  const int magnitude = exponent < 0 ? -exponent : exponent;
  if (magnitude < 10) *out++ = '0';
  return std::to_chars(out, out + 4, magnitude).ptr;
}

}  // namespace

char* WriteListReal(char* out, float value) { return WriteReal(out, value, 7); }
char* WriteListReal(char* out, double value) { return WriteReal(out, value, 15); }

void AppendPadded(std::string& text, uint32_t value, int base, int width) {
  char digits[16];
  char* const end = std::to_chars(digits, digits + sizeof digits, value, base).ptr;
  for (int pad = width - static_cast<int>(end - digits); pad > 0; --pad) text += '0';
  for (const char* p = digits; p != end; ++p) text += *p >= 'a' ? static_cast<char>(*p - 'a' + 'A') : *p;
}

}  // namespace quibran
