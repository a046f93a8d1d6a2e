#include "job/number_text.h"

#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <random>
#include <regex>
#include <string>

#include "text_checks.h"

namespace quibran {
namespace {

template <class Real>
std::string ListText(Real value) {
  char buffer[kMaxValueText];
  return std::string(buffer, WriteListReal(buffer, value));
}

template <int NumType, class Value>
std::string ListValue(Value value) {
  char buffer[kMaxValueText];
  return std::string(buffer, WriteListValue<NumType>(buffer, value));
}

template <int NumType, class Value>
std::string DisplayLine(Value value) {
  std::string text;
  AppendDisplayLine<NumType>(text, value);
  return text;
}

TEST(ListReal, PlainAndExponentForms) {
  EXPECT_EQ(ListText(0.5f), ".5");
  EXPECT_EQ(ListText(0.7055475f), ".7055475");
  EXPECT_EQ(ListText(0.1f), ".1");
  EXPECT_EQ(ListText(0.0f), "0");
  EXPECT_EQ(ListText(1.0f), "1");
  EXPECT_EQ(ListText(123.5f), "123.5");
  EXPECT_EQ(ListText(1234567.0f), "1234567");
  EXPECT_EQ(ListText(12345678.0f), "1.234568E+07");
  EXPECT_EQ(ListText(static_cast<float>(std::ldexp(1.0, -32))), "2.328306E-10");
  // The switch to exponent form goes by the value rounded to its digits:
  // 0.0001f is 9.99999975e-05, which rounds up to 1E-04, still plain.
  EXPECT_EQ(ListText(0.0001f), ".0001");
  EXPECT_EQ(ListText(0.00012345678f), ".0001234568");
  EXPECT_EQ(ListText(0.00009999999f), "9.999999E-05");
  EXPECT_EQ(ListText(0.00001f), "1E-05");
  // Exact binary values halfway between two 7-digit decimals go to the even one.
  EXPECT_EQ(ListText(0.10546875f), ".1054688");
  EXPECT_EQ(ListText(0.12109375f), ".1210938");
  EXPECT_EQ(ListText(0.00048828125f), ".0004882812");

  EXPECT_EQ(ListText(0.1), ".1");
  EXPECT_EQ(ListText(0.123456789012345678), ".123456789012346");
  EXPECT_EQ(ListText(std::ldexp(1.0, -32)), "2.3283064365387E-10");
  EXPECT_EQ(ListText(0.999999999999999999), "1");
  EXPECT_EQ(ListText(0.9999999999999), ".9999999999999");
  EXPECT_EQ(ListText(1e-100), "1E-100");
  EXPECT_EQ(ListText(0.000123), ".000123");
}

// Every text reads back to the value rounded to 7 or 15 significant digits,
// in the one form the list output allows.
template <class Real>
void CheckReadsBack(Real value, int digits) {
  static const std::regex kForm(R"(0|[1-9]?\.[0-9]*[1-9]|[1-9][0-9]*|[1-9](\.[0-9]*[1-9])?E[-+][0-9]{2,3})");
  const std::string text = ListText(value);
  ASSERT_TRUE(std::regex_match(text, kForm)) << text;
  ASSERT_LE(text.size(), kMaxValueText - 2);
  double read = 0;
  ASSERT_EQ(std::from_chars(text.data(), text.data() + text.size(), read).ec, std::errc()) << text;
  ASSERT_EQ(read, test::Rounded(value, digits)) << text;
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

TEST(ListValue, WholeNumbersAreDigitsAndLong32IsQuoted) {
  EXPECT_EQ(ListValue<kNumByte>(7u), "7");
  EXPECT_EQ(ListValue<kNumInteger16>(65535u), "65535");
  EXPECT_EQ(ListValue<kNumLong31>(2147483647u), "2147483647");
  EXPECT_EQ(ListValue<kNumLong32>(4294967295u), "\"4294967295\"");
  EXPECT_EQ(ListValue<kNumLong32>(0u), "\"0\"");
  EXPECT_EQ(ListValue<kNumSingle>(0.25f), ".25");
}

TEST(DisplayLine, DecimalHexOctalColumnsAndPlainReals) {
  EXPECT_EQ(DisplayLine<kNumByte>(10u), "010    0A    012\r\n");
  EXPECT_EQ(DisplayLine<kNumByte>(255u), "255    FF    377\r\n");
  EXPECT_EQ(DisplayLine<kNumInteger15>(1000u), "01000    03E8    01750\r\n");
  EXPECT_EQ(DisplayLine<kNumInteger16>(65535u), "65535    FFFF    177777\r\n");
  EXPECT_EQ(DisplayLine<kNumInteger16>(0u), "00000    0000    000000\r\n");
  EXPECT_EQ(DisplayLine<kNumLong31>(12u), "12\r\n");
  EXPECT_EQ(DisplayLine<kNumLong32>(4054246813u), "4054246813\r\n");
  EXPECT_EQ(DisplayLine<kNumSingle>(0.7055475f), "0.7055475\r\n");
  EXPECT_EQ(DisplayLine<kNumDouble>(2.5e-10), "2.5E-10\r\n");
}

}  // namespace
}  // namespace quibran
