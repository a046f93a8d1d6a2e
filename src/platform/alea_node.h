// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The Araneus Alea I on Linux: the character node /dev/chaoskeyN that the
// kernel's chaoskey driver gives it (USB 12d8:0001, class usbmisc), found
// through sysfs. Never /dev/hwrng by default: when the Alea is unplugged the
// kernel's hwrng core silently goes on with another generator, and its
// values would end up in a pad.
//
// What the driver does and this reader relies on: read() blocks and returns
// up to the bytes asked; the first read after plug-in can take about 3
// seconds; a read that times out with nothing fails with EAGAIN even on a
// blocking descriptor, and so does one that finds the device busy on a
// descriptor opened without blocking; it offers no poll(), which therefore
// always calls it ready; after an unplug the read in progress returns short and
// the next one fails with ENODEV (or EIO).
//
// The node reads ahead in blocks of a few milliseconds of the device's output
// (BlockSizer), hands every block to its ByteCheck and serves every byte that
// passed exactly once, in order, however the reads split the output, also
// those before a failure; Close drops what is left. Only a character
// device or a FIFO is read. The node is opened without blocking (a FIFO with
// no writer would block open() for ever) and waits for bytes with poll() in
// slices, asking its stop poll between them. Failures are RuntimeErrors: 68
// no Alea, no such node or not a device, 70 no permission to open it, 57 a
// read that fails, ends or brings no byte within the wait, or a block that
// fails its check.

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>

#include "platform/block_sizer.h"
#include "platform/runtime_error.h"
#include "platform/secret_memory.h"

namespace quibran {

// The udev rule in the packaging folder that lets the desktop user read the
// Alea without root.
inline constexpr const char* kAleaUdevRule = "60-quibran-alea.rules";

// Where the kernel lists and puts the nodes (tests lay out their own).
struct DevicePlaces {
  std::string usbmisc = "/sys/class/usbmisc";  // the usbmisc class's entries
  std::string dev = "/dev";                    // the device nodes
};

// The node of the first Alea, in the order of the entries' names, that the
// usbmisc class lists; nothing when there is none.
std::optional<std::string> FindAleaNode(const DevicePlaces& places = {});

// Tests the device's output as it is read: the node serves a byte only once
// every test that it takes part in has passed.
class ByteCheck {
 public:
  // The most bytes that Take holds back.
  static constexpr std::size_t kMostHeld = 1024;

  virtual ~ByteCheck() = default;
  // Forgets the bytes taken: what comes next is tested as a new output.
  virtual void Reset() = 0;
  // Tests the next `size` bytes of the output. Returns how many of the last
  // bytes taken are in a test that a later byte could still fail, which may
  // not be served yet. A test that fails throws its CheckFailure.
  virtual std::size_t Take(const uint8_t* bytes, std::size_t size) = 0;
};

// A test of a ByteCheck that failed, and where: the bytes before those it
// holds back passed every test they are in and may still be served.
class CheckFailure : public RuntimeError {
 public:
  CheckFailure(RuntimeError error, std::size_t tested, std::size_t held)
      : RuntimeError(std::move(error)), tested_(tested), held_(held) {}

  // The bytes of the block given to Take up to the one that failed, it too.
  std::size_t tested() const { return tested_; }
  // How many of the last bytes taken, up to that one, are in the failing
  // test or in one not complete: as Take's result, with the output ending
  // there.
  std::size_t held() const { return held_; }

 private:
  std::size_t tested_;
  std::size_t held_;
};

// Asked between slices of a wait for the device: true ends the wait.
using StopPoll = std::function<bool()>;

// What a member that waited for the device throws when its stop poll said
// so; it served nothing.
struct WaitStopped {};

class AleaNode {
 public:
  static constexpr std::chrono::milliseconds kDefaultWait{5000};

  // Bytes are served once `check` passed them. `path` names the node to
  // read; empty: the first Alea that `places` list, looked up at Open.
  // `wait`: the longest wait for a byte before a read counts as failed.
  explicit AleaNode(ByteCheck& check, std::string path = {}, std::chrono::milliseconds wait = kDefaultWait,
                    DevicePlaces places = {});
  ~AleaNode();
  AleaNode(const AleaNode&) = delete;
  AleaNode& operator=(const AleaNode&) = delete;

  void Open();
  // May be called more than once; drops the bytes read ahead.
  void Close();
  // While the node waits for bytes, `poll` is asked about every 50 ms (and
  // at once after a signal); when it answers true the value member that
  // waited throws WaitStopped. None: the wait ends only with the data or
  // the wait limit.
  void SetStopPoll(StopPoll poll) { stop_poll_ = std::move(poll); }

  // One device byte, 0..255.
  int32_t GetRandomByte() {
    if (next_ == ready_) Refill(1);
    return buffer_[next_++];
  }
  // Four device bytes, the first the lowest, as a signed 32-bit value.
  int32_t GetRandomWord() {
    if (ready_ - next_ < 4) Refill(4);
    const uint8_t* b = buffer_.get() + next_;
    next_ += 4;
    return static_cast<int32_t>(uint32_t{b[0]} | uint32_t{b[1]} << 8 | uint32_t{b[2]} << 16 | uint32_t{b[3]} << 24);
  }
  // 53 device bits (the top of seven bytes, the first the lowest) times
  // 2^-53, in [0, 1).
  double GetRandomDouble() {
    if (ready_ - next_ < 7) Refill(7);
    const uint8_t* b = buffer_.get() + next_;
    next_ += 7;
    uint64_t bits = 0;
    for (int i = 6; i >= 0; --i) bits = bits << 8 | b[i];
    return static_cast<double>(bits >> 3) * 0x1p-53;
  }

 private:
  // Reads until at least `need` (at most 7) bytes that passed are at hand.
  void Refill(std::size_t need);
  // One read of up to `size` bytes, after waiting for the node to be ready;
  // 0 at the end of the output.
  std::size_t ReadSome(uint8_t* to, std::size_t size);
  // Returns once the node has something to read (or, when it answered a read
  // with nothing though poll called it ready, after a short pause).
  void AwaitData(std::chrono::steady_clock::time_point deadline, bool pause);

  ByteCheck& check_;
  StopPoll stop_poll_;
  std::string path_;  // as asked for; empty: found at Open
  std::chrono::milliseconds wait_;
  DevicePlaces places_;
  std::string node_;  // the node opened
  int fd_ = -1;
  SecretBuffer<uint8_t> buffer_;  // out of core dumps; Close wipes it
  std::size_t next_ = 0;          // the first unserved byte
  std::size_t ready_ = 0;         // after the last byte that passed its tests
  std::size_t end_ = 0;           // after the last byte read
  // The check's failure, thrown once the bytes that passed before it are
  // served; nothing is read after it.
  std::optional<RuntimeError> failure_;
  BlockSizer reads_;
};

}  // namespace quibran
