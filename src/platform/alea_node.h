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
// blocking descriptor; after an unplug the read in progress returns short and
// the next one fails with ENODEV (or EIO).
//
// The node reads ahead in blocks of a few milliseconds of the device's output
// (BlockSizer) and serves every byte that it read exactly once, in order;
// Close drops what is left. Failures are RuntimeErrors: 68 no Alea or no such
// node, 70 no permission to open it, 57 a read that fails, ends or brings no
// byte within the wait.

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "platform/block_sizer.h"
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

class AleaNode {
 public:
  static constexpr std::chrono::milliseconds kDefaultWait{5000};

  // `path` names the node to read; empty: the first Alea that `places` list,
  // looked up at Open. `wait`: the longest wait for a byte before a read
  // counts as failed.
  explicit AleaNode(std::string path = {}, std::chrono::milliseconds wait = kDefaultWait,
                    DevicePlaces places = {});
  ~AleaNode();
  AleaNode(const AleaNode&) = delete;
  AleaNode& operator=(const AleaNode&) = delete;

  void Open();
  // May be called more than once; drops the bytes read ahead.
  void Close();

  // One device byte, 0..255.
  int32_t GetRandomByte() {
    if (next_ == end_) Refill(1);
    return buffer_[next_++];
  }
  // Four device bytes, the first the lowest, as a signed 32-bit value.
  int32_t GetRandomWord() {
    if (end_ - next_ < 4) Refill(4);
    const uint8_t* b = buffer_.get() + next_;
    next_ += 4;
    return static_cast<int32_t>(uint32_t{b[0]} | uint32_t{b[1]} << 8 | uint32_t{b[2]} << 16 | uint32_t{b[3]} << 24);
  }
  // 53 device bits (the top of seven bytes, the first the lowest) times
  // 2^-53, in [0, 1).
  double GetRandomDouble() {
    if (end_ - next_ < 7) Refill(7);
    const uint8_t* b = buffer_.get() + next_;
    next_ += 7;
    uint64_t bits = 0;
    for (int i = 6; i >= 0; --i) bits = bits << 8 | b[i];
    return static_cast<double>(bits >> 3) * 0x1p-53;
  }

 private:
  // Reads until at least `need` (at most 7) unserved bytes are at hand.
  void Refill(std::size_t need);
  // One read of up to `size` bytes, after waiting for the node to be ready.
  std::size_t ReadSome(uint8_t* to, std::size_t size);

  std::string path_;  // as asked for; empty: found at Open
  std::chrono::milliseconds wait_;
  DevicePlaces places_;
  std::string node_;  // the node opened
  int fd_ = -1;
  SecretBuffer<uint8_t> buffer_;  // out of core dumps; Close wipes it
  std::size_t next_ = 0;  // the first unserved byte
  std::size_t end_ = 0;   // after the last byte read
  BlockSizer reads_;
};

}  // namespace quibran
