// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Source 4, the hardware true random number generator: its device object
// with the five members that the job and the bitmap window send, the one
// creation function, and the drawers that make each number type's values from
// it, one member call per value:
//
//   Byte                GetRandomByte, 0..255 (anything else: Overflow)
//   Integer (15 bits)   GetRandomWord AND 0x7FFF
//   Integer (16 bits)   GetRandomWord AND 0xFFFF
//   Long (31 bits)      GetRandomWord AND 0x7FFFFFFF
//   Long (32 bits)      GetRandomWord as it is, negative or not
//   Float (Single)      GetRandomDouble rounded to single precision
//   Float (Double)      GetRandomDouble
//   Color (24 bits)     not drawn from here (the bitmap window draws colours)
//
// Every member reports a failure as a RuntimeError with its number and a
// description that says what to do. The Alea's bytes pass the health tests of
// random/health_tests.h before they make a value; a test that fails is a
// Device I/O error (57).

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <type_traits>
#include <utility>

#include "platform/alea_node.h"
#include "platform/runtime_error.h"
#include "random/health_tests.h"
#include "random/random_sources.h"

namespace quibran {

class RandomDevice {
 public:
  virtual ~RandomDevice() = default;
  // Before the first value; afterwards the three value members deliver.
  virtual void Open() = 0;
  // Once the values are no longer needed; may be sent more than once.
  virtual void Close() = 0;
  virtual int32_t GetRandomByte() = 0;   // 0..255
  virtual int32_t GetRandomWord() = 0;   // any signed 32-bit value
  virtual double GetRandomDouble() = 0;  // in [0, 1)
  // A value member that has to wait for the device asks `poll` as it waits
  // and throws WaitStopped when it answers true. A device that never waits
  // has no use for it.
  virtual void SetStopPoll(StopPoll poll) { (void)poll; }
};

// Makes a fresh device object; each job and each bitmap window has its own.
using DeviceFactory = std::function<std::unique_ptr<RandomDevice>()>;

// The Alea through its Linux node, its bytes health-tested. Final, so that a
// drawer over it calls the node's members directly and they inline into the
// writer's loop.
class AleaDevice final : public RandomDevice {
 public:
  // The node's arguments after its check.
  template <class... Args>
  explicit AleaDevice(Args&&... args) : node_(health_, std::forward<Args>(args)...) {}
  void Open() override { node_.Open(); }
  void Close() override { node_.Close(); }
  int32_t GetRandomByte() override { return node_.GetRandomByte(); }
  int32_t GetRandomWord() override { return node_.GetRandomWord(); }
  double GetRandomDouble() override { return node_.GetRandomDouble(); }
  void SetStopPoll(StopPoll poll) override { node_.SetStopPoll(std::move(poll)); }

 private:
  HealthTests health_;
  AleaNode node_;
};

// The device object of source 4: the Alea at `node`, or (empty) the first
// Alea that the system lists when it is opened.
std::unique_ptr<RandomDevice> CreateDeviceObject(const std::string& node = {});

// The text of a device failure's message: "Alea Device:  " and the description.
std::string DeviceFailureText(const RuntimeError& error);

// A failure while a drawer filled a block: the device's failure, and how many
// values of the block it had drawn before, which the writers keep.
class DrawFailure : public RuntimeError {
 public:
  DrawFailure(const RuntimeError& error, std::size_t drawn) : RuntimeError(error), drawn_(drawn) {}
  std::size_t drawn() const { return drawn_; }

 private:
  std::size_t drawn_;
};

// A stop request that came while a drawer waited for the device: how many
// values of the block it had drawn before, which the writers keep.
struct DrawStopped {
  std::size_t drawn;
};

// The drawer of number type `NumType` from a device, with the software
// drawers' face (random_sources.h).
template <int NumType, class Device>
class DeviceDrawer {
  static_assert(NumType >= kNumByte && NumType <= kNumDouble, "the device draws no colours for a file");

 public:
  static constexpr int kNumType = NumType;
  using Value = std::conditional_t<
      NumType == kNumSingle, float,
      std::conditional_t<NumType == kNumDouble, double, std::conditional_t<NumType == kNumLong32, int32_t, uint32_t>>>;

  explicit DeviceDrawer(Device& device) : device_(device) {}

  Value operator()() {
    if constexpr (NumType == kNumByte) {
      const int32_t byte = device_.GetRandomByte();
      if (byte < 0 || byte > 255) throw RuntimeError(kErrOverflow);
      return static_cast<uint32_t>(byte);
    } else if constexpr (NumType == kNumLong32) {
      return device_.GetRandomWord();
    } else if constexpr (NumType <= kNumLong31) {
      constexpr uint32_t kMask = NumType == kNumInteger15 ? 0x7FFFu : NumType == kNumInteger16 ? 0xFFFFu : 0x7FFFFFFFu;
      return static_cast<uint32_t>(device_.GetRandomWord()) & kMask;
    } else {
      return static_cast<Value>(device_.GetRandomDouble());
    }
  }

  // The next `count` values, one call each; a failure after i values throws
  // DrawFailure(failure, i), a stop while waiting DrawStopped{i}, with those
  // i values stored.
  template <class Out>
  void Fill(Out* out, std::size_t count) {
    std::size_t i = 0;
    try {
      for (; i < count; ++i) out[i] = static_cast<Out>((*this)());
    } catch (const RuntimeError& error) {
      throw DrawFailure(error, i);
    } catch (const WaitStopped&) {
      throw DrawStopped{i};
    }
  }

 private:
  Device& device_;
};

// Calls fn(drawer) with the drawer of `NumType` from `device`: directly over
// the Alea's node when it is one, through the interface otherwise.
template <int NumType, class Fn>
decltype(auto) WithDeviceDrawer(RandomDevice& device, Fn&& fn) {
  if (auto* alea = dynamic_cast<AleaDevice*>(&device)) return fn(DeviceDrawer<NumType, AleaDevice>(*alea));
  return fn(DeviceDrawer<NumType, RandomDevice>(device));
}

}  // namespace quibran
