// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A scripted double of the hardware device: it serves scripted values, then
// a pattern that tests can recompute, fails at a given call, and records
// every member call of every object that its factory made, in order.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/runtime_error.h"
#include "random/hardware_device.h"

namespace quibran::test {

class DeviceScript {
 public:
  // Served in turn by the value members (Byte and Word take the whole part).
  std::vector<double> values;
  // The call, counted from 0 over all objects, that fails (once recorded).
  int64_t fail_at = -1;
  RuntimeError failure{kErrDeviceIO};
  std::optional<RuntimeError> create_failure;  // thrown by the factory

  // The n-th value after the scripted ones.
  static int32_t PatternByte(std::size_t n) { return static_cast<int32_t>((n * 131 + 7) & 0xFF); }
  static int32_t PatternWord(std::size_t n) { return static_cast<int32_t>(static_cast<uint32_t>(n) * 2654435761u); }
  static double PatternDouble(std::size_t n) { return static_cast<double>(n % 1000) / 1000.0; }

  // The calls, a run of the same call as one entry: "1 Open",
  // "1 GetRandomWord x10" (the number tells the object).
  std::vector<std::string> calls;

  DeviceFactory Factory() {
    return [this]() -> std::unique_ptr<RandomDevice> {
      if (create_failure) throw *create_failure;
      return std::make_unique<Device>(*this, ++created_);
    };
  }

 private:
  class Device final : public RandomDevice {
   public:
    Device(DeviceScript& script, int number) : s_(script), number_(number) {}
    void Open() override { s_.Call(number_, "Open"); }
    void Close() override { s_.Call(number_, "Close"); }
    int32_t GetRandomByte() override { return s_.Call(number_, "GetRandomByte"), s_.Next(&PatternByte); }
    int32_t GetRandomWord() override { return s_.Call(number_, "GetRandomWord"), s_.Next(&PatternWord); }
    double GetRandomDouble() override { return s_.Call(number_, "GetRandomDouble"), s_.Next(&PatternDouble); }

   private:
    DeviceScript& s_;
    int number_;
  };

  void Call(int number, const std::string& member) {
    const std::string name = std::to_string(number) + " " + member;
    run_ = !calls.empty() && last_ == name ? run_ + 1 : 1;
    if (run_ == 1) calls.push_back(name);
    calls.back() = run_ == 1 ? name : name + " x" + std::to_string(run_);
    last_ = name;
    if (made_++ == fail_at) throw failure;
  }
  template <class T>
  T Next(T (*pattern)(std::size_t)) {
    const std::size_t n = served_++;
    return n < values.size() ? static_cast<T>(values[n]) : pattern(n - values.size());
  }

  std::string last_;
  int run_ = 0;
  int64_t made_ = 0;
  int created_ = 0;
  std::size_t served_ = 0;
};

}  // namespace quibran::test
