#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

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

}  // namespace quibran::test
