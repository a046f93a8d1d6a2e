// SPDX-License-Identifier: GPL-3.0-or-later
#include "job/number_text.h"

#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <random>
#include <regex>
#include <string>

#include "text_checks.h"

namespace quibran::test {
namespace {

template <int NumType, class Value>
std::string ListText(Value value) {
  char buffer[kMaxValueText];
  return std::string(buffer, WriteListValue<NumType>(buffer, value));
}

// Checks the list-output texts of values of `NumType`, or their display box lines.
template <int NumType, class Value>
void ExpectTexts(std::initializer_list<std::pair<Value, const char*>> cases, bool display = false) {
  for (const auto& [value, expected] : cases) {
    std::string text;
    if (display)
      AppendDisplayLine<NumType>(text, value);
    else
      text = ListText<NumType>(value);
    EXPECT_EQ(text, expected) << "type " << NumType;
  }
}

TEST(ListReal, PlainAndExponentForms) {
  ExpectTexts<kNumSingle, float>({{0.5f, ".5"},
                                  {0.7055475f, ".7055475"},
                                  {0.1f, ".1"},
                                  {0.0f, "0"},
                                  {1.0f, "1"},
                                  {123.5f, "123.5"},
                                  {1234567.0f, "1234567"},
                                  {12345678.0f, "1.234568E+07"},
                                  {0x1p-32f, "2.328306E-10"},
                                  // The switch to exponent form goes by the value rounded to its digits:
                                  // 0.0001f is 9.99999975e-05, which rounds up to 1E-04, still plain.
                                  {0.0001f, ".0001"},
                                  {0.00012345678f, ".0001234568"},
                                  {0.00009999999f, "9.999999E-05"},
                                  {0.00001f, "1E-05"},
                                  // Exact binary values halfway between two 7-digit decimals go to the even one.
                                  {0.10546875f, ".1054688"},
                                  {0.12109375f, ".1210938"},
                                  {0.00048828125f, ".0004882812"}});
  ExpectTexts<kNumDouble, double>({{0.1, ".1"},
                                   {0.123456789012345678, ".123456789012346"},
                                   {0x1p-32, "2.3283064365387E-10"},
                                   {0.999999999999999999, "1"},
                                   {0.9999999999999, ".9999999999999"},
                                   {1e-100, "1E-100"},
                                   {0.000123, ".000123"}});
}

// Every text reads back to the value rounded to 7 or 15 significant digits,
// in the one form the list output allows.
template <class Real>
void CheckReadsBack(Real value, int digits) {
  static const std::regex kForm(R"(0|[1-9]?\.[0-9]*[1-9]|[1-9][0-9]*|[1-9](\.[0-9]*[1-9])?E[-+][0-9]{2,3})");
  const std::string text = ListText<kNumDouble>(value);
  ASSERT_TRUE(std::regex_match(text, kForm)) << text;
  ASSERT_LE(text.size(), kMaxValueText - 2);
  double read = 0;
  ASSERT_EQ(std::from_chars(text.data(), text.data() + text.size(), read).ec, std::errc()) << text;
  ASSERT_EQ(read, Rounded(value, digits)) << text;
}

TEST(ListReal, ReadsBackToTheValueRoundedToItsDigits) {
  std::mt19937_64 engine(12345);
  std::uniform_real_distribution<double> unit(0.0, 1.0);
  for (int i = 0; i < 20000; ++i) {
    const double x = unit(engine);
    // Values across the plain/exponent border and far below it.
    const double scaled = x * std::pow(10.0, -static_cast<int>(engine() % 12));
    CheckReadsBack(static_cast<float>(x), 7);
    CheckReadsBack(x, 15);
    CheckReadsBack(static_cast<float>(scaled), 7);
    CheckReadsBack(scaled, 15);
  }
  // The ends of the unit interval, and every power of two within reach.
  CheckReadsBack(1.0f - std::ldexp(1.0f, -24), 7);
  CheckReadsBack(1.0 - std::ldexp(1.0, -53), 15);
  for (int e = -60; e <= 0; ++e) {
    CheckReadsBack(std::ldexp(1.0f, e), 7);
    CheckReadsBack(std::ldexp(1.0, e), 15);
  }
}

TEST(ListValue, WholeNumbersAreDigitsLong32IsQuotedAndDisplayLinesHaveColumns) {
  ExpectTexts<kNumLong32, uint32_t>({{4294967295u, "\"4294967295\""}, {0u, "\"0\""}});
  // Display box lines: decimal, hexadecimal and octal columns, or the plain value.
  ExpectTexts<kNumByte, uint32_t>({{10u, "010    0A    012\r\n"}, {255u, "255    FF    377\r\n"}}, true);
  ExpectTexts<kNumInteger15, uint32_t>({{1000u, "01000    03E8    01750\r\n"}}, true);
  ExpectTexts<kNumInteger16, uint32_t>({{65535u, "65535    FFFF    177777\r\n"}, {0u, "00000    0000    000000\r\n"}},
                                       true);
  ExpectTexts<kNumLong31, uint32_t>({{12u, "12\r\n"}}, true);
  ExpectTexts<kNumLong32, uint32_t>({{4054246813u, "4054246813\r\n"}}, true);
  ExpectTexts<kNumSingle, float>({{0.7055475f, "0.7055475\r\n"}}, true);
  ExpectTexts<kNumDouble, double>({{2.5e-10, "2.5E-10\r\n"}}, true);
}

}  // namespace
}  // namespace quibran::test
