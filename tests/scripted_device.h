#pragma once
// A scripted double of the hardware device: it serves scripted values (then
// a pattern that tests can recompute), fails at a given call, and records
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
  // Values served before the pattern takes over.
  std::vector<int32_t> bytes, words;
  std::vector<double> doubles;
  // The call (counted from 0 over all objects' calls) that throws `failure`.
  int64_t fail_at = -1;
  RuntimeError failure{kErrDeviceIO};
  // Thrown by the factory instead of making an object.
  std::optional<RuntimeError> create_failure;

  // The n-th (from 0) value of each member after its scripted ones.
  static int32_t PatternByte(std::size_t n) { return static_cast<int32_t>((n * 131 + 7) & 0xFF); }
  static int32_t PatternWord(std::size_t n) { return static_cast<int32_t>(static_cast<uint32_t>(n) * 2654435761u); }
  static double PatternDouble(std::size_t n) { return static_cast<double>(n % 1000) / 1000.0; }

  // The calls so far, runs of the same call as one entry: "1 Open",
  // "1 GetRandomWord x10", "1 Close" (the number tells the object).
  const std::vector<std::string>& calls() const { return calls_; }

  DeviceFactory Factory() {
    return [this]() -> std::unique_ptr<RandomDevice> {
      if (create_failure) throw *create_failure;
      return std::make_unique<Device>(*this, ++created_);
    };
  }

 private:
  class Device final : public RandomDevice {
   public:
    Device(DeviceScript& script, int number) : script_(script), number_(number) {}
    void Open() override { script_.Call(number_, "Open"); }
    void Close() override { script_.Call(number_, "Close"); }
    int32_t GetRandomByte() override {
      script_.Call(number_, "GetRandomByte");
      return Next(script_.bytes, script_.bytes_served_, &PatternByte);
    }
    int32_t GetRandomWord() override {
      script_.Call(number_, "GetRandomWord");
      return Next(script_.words, script_.words_served_, &PatternWord);
    }
    double GetRandomDouble() override {
      script_.Call(number_, "GetRandomDouble");
      return Next(script_.doubles, script_.doubles_served_, &PatternDouble);
    }

   private:
    template <class T>
    static T Next(const std::vector<T>& scripted, std::size_t& served, T (*pattern)(std::size_t)) {
      const std::size_t n = served++;
      return n < scripted.size() ? scripted[n] : pattern(n - scripted.size());
    }
    DeviceScript& script_;
    int number_;
  };

  // Records the call, then fails it when it is the one to fail.
  void Call(int number, const std::string& member) {
    const std::string name = std::to_string(number) + " " + member;
    if (!calls_.empty() && last_ == name) {
      calls_.back() = name + " x" + std::to_string(++run_);
    } else {
      calls_.push_back(name);
      last_ = name;
      run_ = 1;
    }
    if (calls_made_++ == fail_at) throw failure;
  }

  std::vector<std::string> calls_;
  std::string last_;
  int run_ = 0;
  int64_t calls_made_ = 0;
  int created_ = 0;
  std::size_t bytes_served_ = 0, words_served_ = 0, doubles_served_ = 0;
};

}  // namespace quibran::test
