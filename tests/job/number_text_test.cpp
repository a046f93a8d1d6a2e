// SPDX-License-Identifier: GPL-3.0-or-later
#include "job/number_text.h"

#include <gtest/gtest.h>

#include <string>

namespace quibran::test {
namespace {

// The list text of a value of `NumType`, or its display box line.
template <int NumType, class Value>
std::string Text(Value value, bool display = false) {
  char buffer[kMaxValueText];
  std::string text;
  if (display)
    AppendDisplayLine<NumType>(text, value);
  else
    text.assign(buffer, WriteListValue<NumType>(buffer, value));
  return text;
}

TEST(ListReal, PlainAndExponentForms) {
  for (const auto& [value, text] : {std::pair{0.0f, "0"},
                                    {123.5f, "123.5"},
                                    {1234567.0f, "1234567"},
                                    {12345678.0f, "1.234568E+07"},
                                    {0x1p-32f, "2.328306E-10"},
                                    // By the value rounded to its digits: 0.0001f is 9.99999975e-05, still plain.
                                    {0.0001f, ".0001"},
                                    {0.00012345678f, ".0001234568"},
                                    {0.00009999999f, "9.999999E-05"},
                                    // Exact binary halves between two 7-digit decimals go to the even one.
                                    {0.10546875f, ".1054688"},
                                    {0.12109375f, ".1210938"}}) {
    EXPECT_EQ(Text<kNumSingle>(value), text);
  }
  for (const auto& [value, text] :
       {std::pair{0x1p-32, "2.3283064365387E-10"}, {0.999999999999999999, "1"}, {1e-100, "1E-100"}}) {
    EXPECT_EQ(Text<kNumDouble>(value), text);
  }
}

// Display box lines: decimal, hexadecimal and octal columns, or the plain value.
TEST(ListValue, Long32IsQuotedAndDisplayLinesHaveColumns) {
  EXPECT_EQ(Text<kNumLong32>(4294967295u), "\"4294967295\"");
  EXPECT_EQ(Text<kNumByte>(10u, true), "010    0A    012\r\n");
  EXPECT_EQ(Text<kNumInteger15>(1000u, true), "01000    03E8    01750\r\n");
  EXPECT_EQ(Text<kNumInteger16>(65535u, true), "65535    FFFF    177777\r\n");
  EXPECT_EQ(Text<kNumLong31>(12u, true), "12\r\n");
  EXPECT_EQ(Text<kNumSingle>(0.7055475f, true), "0.7055475\r\n");
  EXPECT_EQ(Text<kNumDouble>(2.5e-10, true), "2.5E-10\r\n");
}

}  // namespace
}  // namespace quibran::test
