#pragma once

#include "platform/clock.h"

namespace quibran::test {

// A clock that reads whatever the test sets.
class FixedClock final : public Clock {
 public:
  FixedClock(int32_t day, float seconds) : day_(day), seconds_(seconds) {}
  float SecondsSinceMidnight() const override { return seconds_; }
  int32_t DayNumber() const override { return day_; }
  void Set(int32_t day, float seconds) {
    day_ = day;
    seconds_ = seconds;
  }

 private:
  int32_t day_;
  float seconds_;
};

}  // namespace quibran::test
