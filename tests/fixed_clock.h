// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/clock.h"

namespace quibran::test {

// A clock that reads whatever the test sets.
class FixedClock final : public Clock {
 public:
  FixedClock(int32_t day, float seconds) : day_(day), seconds_(seconds) {}
  float SecondsSinceMidnight() const override { return seconds_; }
  int32_t DayNumber() const override { return day_; }
  uint64_t TimerNanoseconds() const override { return nanoseconds_; }
  void Set(int32_t day, float seconds) {
    day_ = day;
    seconds_ = seconds;
  }
  void SetNanoseconds(uint64_t nanoseconds) { nanoseconds_ = nanoseconds; }

 private:
  int32_t day_;
  float seconds_;
  uint64_t nanoseconds_ = 1'767'225'600'000'000'000u;  // 2026-01-01
};

}  // namespace quibran::test
