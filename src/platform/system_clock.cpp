// SPDX-License-Identifier: GPL-3.0-or-later
#include <chrono>
#include <ctime>

#include "platform/clock.h"

namespace quibran {

namespace {

struct LocalNow {
  std::tm tm{};
  long microseconds = 0;
};

LocalNow ReadLocalNow() {
  const auto now = std::chrono::system_clock::now();
  const auto since_epoch = now.time_since_epoch();
  const std::time_t secs = std::chrono::duration_cast<std::chrono::seconds>(since_epoch).count();
  LocalNow result;
  result.microseconds =
      static_cast<long>(std::chrono::duration_cast<std::chrono::microseconds>(since_epoch).count() % 1000000);
  localtime_r(&secs, &result.tm);
  return result;
}

}  // namespace

int32_t DayNumberOf(int year, unsigned month, unsigned day) {
  using namespace std::chrono;
  const sys_days date{std::chrono::year{year} / std::chrono::month{month} / std::chrono::day{day}};
  const sys_days origin{std::chrono::year{1899} / December / 30};
  return static_cast<int32_t>((date - origin).count());
}

float SystemClock::SecondsSinceMidnight() const {
  const LocalNow now = ReadLocalNow();
  const double seconds =
      now.tm.tm_hour * 3600.0 + now.tm.tm_min * 60.0 + now.tm.tm_sec + static_cast<double>(now.microseconds) / 1e6;
  return static_cast<float>(seconds);
}

int32_t SystemClock::DayNumber() const {
  const LocalNow now = ReadLocalNow();
  return DayNumberOf(now.tm.tm_year + 1900, static_cast<unsigned>(now.tm.tm_mon + 1),
                     static_cast<unsigned>(now.tm.tm_mday));
}

uint64_t SystemClock::TimerNanoseconds() const {
  return static_cast<uint64_t>(
      std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::system_clock::now().time_since_epoch())
          .count());
}

}  // namespace quibran
