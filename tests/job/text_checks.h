// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "random/capabilities.h"

namespace quibran::test {

// The pieces of `text` that each end with `separator`; text after the last
// separator is a failure (a cut line or row).
inline std::vector<std::string> Split(const std::string& text, const std::string& separator) {
  std::vector<std::string> parts;
  std::size_t start = 0;
  for (std::size_t end; (end = text.find(separator, start)) != std::string::npos; start = end + separator.size()) {
    parts.push_back(text.substr(start, end - start));
  }
  EXPECT_EQ(start, text.size()) << "text after the last separator";
  return parts;
}

// A value rounded to `digits` significant digits by the C library, read back.
inline double Rounded(double value, int digits) {
  char text[40];
  std::snprintf(text, sizeof text, "%.*e", digits - 1, value);
  return std::strtod(text, nullptr);
}

// Checks the written text of a drawn value: whole numbers as their digits,
// Long (32 bits) between quotation marks, reals without a leading zero or a
// small e, reading back as the value rounded to 7 (single) or 15 digits.
inline void ExpectWritten(const std::string& text, double drawn, int num_type) {
  if (num_type == kNumSingle || num_type == kNumDouble) {
    EXPECT_FALSE(text.empty() || text.starts_with("0.") || text.find('e') != std::string::npos) << text;
    EXPECT_EQ(std::strtod(text.c_str(), nullptr), Rounded(drawn, num_type == kNumSingle ? 7 : 15)) << text;
  } else {
    const std::string digits = std::to_string(static_cast<uint32_t>(drawn));
    EXPECT_EQ(text, num_type == kNumLong32 ? "\"" + digits + "\"" : digits);
  }
}

// Checks that `text` is rows of `columns` values, each row ended by CR LF
// and its values separated by commas, the values those that `next` draws;
// returns the number of rows.
inline std::size_t ExpectRows(const std::string& text, int columns, int num_type, const std::function<double()>& next) {
  const std::vector<std::string> rows = Split(text, "\r\n");
  for (const std::string& row : rows) {
    const std::vector<std::string> cells = Split(row + ",", ",");
    EXPECT_EQ(cells.size(), static_cast<std::size_t>(columns)) << row;
    for (const std::string& cell : cells) ExpectWritten(cell, next(), num_type);
    if (::testing::Test::HasFailure()) break;
  }
  return rows.size();
}

}  // namespace quibran::test
