// SPDX-License-Identifier: GPL-3.0-or-later
// The device's health tests at their cutoffs, fed whole and in pieces: which
// test fails and where, and which bytes pass.

#include "random/health_tests.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>

#include "platform/runtime_error.h"

namespace quibran {
namespace {

// `size` bytes of a sound stream (1 to 255, never two equal in a row) with
// `count` zeros from `at` on, `step` apart.
std::string Stream(std::size_t size, std::size_t at = 0, int count = 0, std::size_t step = 1) {
  std::string bytes;
  for (std::size_t n = 0; n < size; ++n) bytes += static_cast<char>(1 + n * 131 % 255);
  for (int i = 0; i < count; ++i) bytes[at + static_cast<std::size_t>(i) * step] = 0;
  return bytes;
}

// However the stream is split into blocks, the same bytes pass: all before
// the bytes held back, at the end or at a failure.
TEST(HealthTestsTest, EachTestFailsAtItsCutoffAndPassesTheSameBytesInAnyBlocks) {
  const auto proportion = [](int bytes) {
    return "adaptive proportion test saw byte 0x00 26 times in " + std::to_string(bytes) +
           " bytes (it allows 25 in a window of 512)";
  };
  const struct {
    const char* name;
    std::string bytes;
    std::string failure;  // none: passes
    std::size_t passed;
  } cases[] = {
      {"a window and 100 bytes", Stream(612), "", 512},
      {"6 zeros at the end, back into a full window", Stream(1026, 1020, 6), "", 1020},
      {"7 zeros right after a full window", Stream(530, 512, 7),
       "repetition count test saw byte 0x00 7 times in a row (it allows 6)", 512},
      {"7 zeros across two windows", Stream(1100, 1020, 7),
       "repetition count test saw byte 0x00 7 times in a row (it allows 6)", 1020},
      {"a window's first byte 25 times", Stream(1034, 512, 25, 19), "", 1024},
      {"a window's first byte 26 times", Stream(1034, 512, 26, 19), proportion(476), 512},
      {"26 zeros from a window's second byte", Stream(1034, 513, 26, 19), "", 1024},
      {"a zero every fourth byte", Stream(2048, 0, 512, 4), proportion(101), 0},
  };
  for (const auto& c : cases) {
    for (const std::size_t piece : {c.bytes.size(), std::size_t{1}, std::size_t{37}, std::size_t{512}}) {
      SCOPED_TRACE(std::string(c.name) + " in pieces of " + std::to_string(piece));
      HealthTests tests;
      const auto* bytes = reinterpret_cast<const uint8_t*>(c.bytes.data());
      std::size_t at = 0;
      try {
        std::size_t held = 0;
        for (; at < c.bytes.size(); at += piece) held = tests.Take(bytes + at, std::min(piece, c.bytes.size() - at));
        EXPECT_EQ(std::tuple(c.failure, c.bytes.size() - held), std::tuple("", c.passed));
      } catch (const CheckFailure& failure) {
        EXPECT_EQ(std::tuple(failure.number(), failure.description(), at + failure.tested() - failure.held()),
                  std::tuple(57, "the device's output failed its health test: the " + c.failure, c.passed));
      }
    }
  }
}

}  // namespace
}  // namespace quibran
