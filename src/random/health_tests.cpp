// SPDX-License-Identifier: GPL-3.0-or-later
#include "random/health_tests.h"

#include <algorithm>
#include <cstdio>
#include <string>

#include "platform/runtime_error.h"

namespace quibran {

namespace {

// `tested` and `held` as CheckFailure has them.
[[noreturn]] void Fail(const std::string& what, std::size_t tested, std::size_t held) {
  throw CheckFailure(RuntimeError(kErrDeviceIO, "the device's output failed its health test: " + what), tested, held);
}

std::string ByteText(int byte) {
  char text[8];
  std::snprintf(text, sizeof text, "0x%02X", byte);
  return text;
}

}  // namespace

void HealthTests::Reset() { *this = HealthTests(); }

std::size_t HealthTests::Take(const uint8_t* bytes, std::size_t size) {
  // Both tests up to the first failure, so that the failure told is the
  // first in the output.
  const std::size_t repeated = RepetitionAt(bytes, size);
  TestProportions(bytes, std::min(size, repeated + 1));
  if (repeated < size) {
    // The run's bytes failed; the window's, up to them, are not through.
    Fail("the repetition count test saw byte " + ByteText(last_) + " " + std::to_string(kRepetitionCutoff) +
             " times in a row (it allows " + std::to_string(kRepetitionCutoff - 1) + ")",
         repeated + 1, static_cast<std::size_t>(std::max(seen_, kRepetitionCutoff)));
  }
  return static_cast<std::size_t>(std::max(seen_, run_));
}

std::size_t HealthTests::RepetitionAt(const uint8_t* bytes, std::size_t size) {
  constexpr int kRun = kRepetitionCutoff;
  // The first bytes may continue the run that came before.
  std::size_t i = 0;
  for (; i < size && i < kRun - 1; ++i) {
    if (bytes[i] != last_) {
      last_ = bytes[i];
      run_ = 1;
    } else if (++run_ == kRun) {
      return i;
    }
  }
  if (i == size) return size;
  // From here on a failing run lies within the bytes: whether there is one
  // is asked of all at once (a loop the compiler vectorises), where it is
  // only then.
  const auto ends_run = [bytes](std::size_t at) {
    uint8_t same = 1;
    for (std::size_t back = 1; back < kRun; ++back) same &= bytes[at] == bytes[at - back];
    return same;
  };
  uint8_t any = 0;
  for (std::size_t at = i; at < size; ++at) any |= ends_run(at);
  if (any) {
    while (!ends_run(i)) ++i;
    last_ = bytes[i];
    return i;
  }
  // The run at the end, shorter than kRun and so after the first byte.
  last_ = bytes[size - 1];
  for (run_ = 1; bytes[size - 1 - static_cast<std::size_t>(run_)] == last_;) ++run_;
  return size;
}

void HealthTests::TestProportions(const uint8_t* bytes, std::size_t size) {
  const uint8_t* const end = bytes + size;
  // A window's bytes at a time, or what is left of them.
  for (const uint8_t* at = bytes; at < end;) {
    const uint8_t* const stop = at + std::min<std::ptrdiff_t>(end - at, kWindow - seen_);
    if (seen_ == 0) {
      reference_ = *at;
      count_ = 0;
    }
    const auto reference = static_cast<uint8_t>(reference_);
    int count = 0;
    for (const uint8_t* p = at; p < stop; ++p) count += *p == reference;
    count_ += count;
    seen_ += static_cast<int>(stop - at);
    if (count_ >= kProportionCutoff) {
      // The window's bytes up to the reference's cutoff-th failed. A run
      // at its end is shorter than they are, so it adds none before them.
      const uint8_t* p = stop;
      for (int after = count_ - kProportionCutoff; after >= 0;) after -= *--p == reference;
      const auto failed = static_cast<std::size_t>(seen_ - (stop - p - 1));
      Fail("the adaptive proportion test saw byte " + ByteText(reference_) + " " + std::to_string(kProportionCutoff) +
               " times in " + std::to_string(failed) + " bytes (it allows " + std::to_string(kProportionCutoff - 1) +
               " in a window of " + std::to_string(kWindow) + ")",
           static_cast<std::size_t>(p + 1 - bytes), failed);
    }
    if (seen_ == kWindow) seen_ = 0;
    at = stop;
  }
}

}  // namespace quibran
