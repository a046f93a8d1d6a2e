// The device's health tests at their cutoffs, fed whole and in small pieces:
// which test fails and where, and how many bytes each holds back.

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

std::string Repeated(const std::string& pattern) {
  std::string bytes;
  while (bytes.size() < 2048) bytes += pattern;
  return bytes;
}

TEST(HealthTestsTest, EachTestFailsAtItsCutoffAndHoldsBackWhatIsNotThrough) {
  const auto proportion = [](const char* byte, int bytes) {
    return "adaptive proportion test saw byte " + std::string(byte) + " 26 times in " + std::to_string(bytes) +
           " bytes (it allows 25 in a window of 512)";
  };
  const struct {
    const char* name;
    std::string bytes;
    std::string failure;  // none: passes, holding back `held` bytes
    std::size_t held = 0;
  } cases[] = {
      {"a window and 100 bytes", Stream(612), "", 100},
      {"6 zeros at the end, back into a full window", Stream(1026, 1020, 6), "", 6},
      {"7 zeros across two windows", Stream(1100, 1020, 7),
       "repetition count test saw byte 0x00 7 times in a row (it allows 6)"},
      {"a window's first byte 25 times", Stream(1034, 512, 25, 19), "", 10},
      {"a window's first byte 26 times", Stream(1034, 512, 26, 19), proportion("0x00", 476)},
      {"26 zeros from a window's second byte", Stream(1034, 513, 26, 19), "", 10},
      {"26 zeros over two windows", Stream(1034, 0, 26, 21), "", 10},
      {"a pattern of 4 bytes", Repeated("\x11\x22\x33\x44"), proportion("0x11", 101)},
      {"a pattern of 8 bytes", Repeated("\x11\x22\x33\x44\x55\x66\x77\x88"), proportion("0x11", 201)},
  };
  for (const auto& c : cases) {
    for (const std::size_t piece : {c.bytes.size(), std::size_t{1}, std::size_t{37}}) {
      SCOPED_TRACE(std::string(c.name) + " in pieces of " + std::to_string(piece));
      HealthTests tests;
      const auto* bytes = reinterpret_cast<const uint8_t*>(c.bytes.data());
      std::size_t held = 0;
      try {
        for (std::size_t at = 0; at < c.bytes.size(); at += piece) {
          held = tests.Take(bytes + at, std::min(piece, c.bytes.size() - at));
        }
        EXPECT_EQ(std::tuple(c.failure, held), std::tuple("", c.held));
      } catch (const RuntimeError& error) {
        EXPECT_EQ(std::tuple(error.number(), error.description()),
                  std::tuple(57, "the device's output failed its health test: the " + c.failure));
      }
    }
  }
}

}  // namespace
}  // namespace quibran
