// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The clock that seeds the generators: the time of day as a single-precision
// count of seconds since midnight, the date as a day count since
// 30 December 1899, and the system timer in nanoseconds. Tests hand in a
// fixed clock.

#include <cstdint>

namespace quibran {

class Clock {
 public:
  virtual ~Clock() = default;
  // Seconds since local midnight, with their fraction (0 <= t < 86400).
  virtual float SecondsSinceMidnight() const = 0;
  // Whole days since 30 December 1899 (local date).
  virtual int32_t DayNumber() const = 0;
  // The system timer at its full resolution: nanoseconds since 1970.
  virtual uint64_t TimerNanoseconds() const = 0;
};

class SystemClock final : public Clock {
 public:
  float SecondsSinceMidnight() const override;
  int32_t DayNumber() const override;
  uint64_t TimerNanoseconds() const override;
};

// Days from 30 December 1899 to the given civil date.
int32_t DayNumberOf(int year, unsigned month, unsigned day);

}  // namespace quibran
