#include "job/number_text.h"


namespace quibran {

namespace {

// Plain notation runs from 10^kLowestPlainExponent up to below 10^digits.
constexpr int kLowestPlainExponent = -4;

template <class Real>
char* WriteReal(char* out, Real value, int digits) {
  if (value == 0) {
    *out++ = '0';
    return out;
  }
  // d.ddd...e±XX, rounded to `digits` significant digits.
  char scientific[40];
  const char* const end =
      std::to_chars(scientific, scientific + sizeof scientific, value, std::chars_format::scientific, digits - 1).ptr;
  const char* p = scientific;
  if (*p == '-') *out++ = *p++;
  char mantissa[20];
  int count = 0;
  for (; *p != 'e'; ++p) {
    if (*p != '.') mantissa[count++] = *p;
  }
  // from_chars takes no "+" sign.
  p += p[1] == '+' ? 2 : 1;
  int exponent = 0;
  std::from_chars(p, end, exponent);
  while (count > 1 && mantissa[count - 1] == '0') --count;

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
