// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/alea_node.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <vector>

#include "platform/runtime_error.h"

namespace quibran {

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr const char* kAleaVendor = "12d8";
constexpr const char* kAleaProduct = "0001";

// Reads of 16 bytes (about a millisecond of the Alea's output) up to 64 KiB
// (a stand-in node such as /dev/urandom); room for a value's leftover bytes.
constexpr std::size_t kLeastRead = 16;
constexpr std::size_t kFirstRead = 64;
constexpr std::size_t kMostRead = std::size_t{64} << 10;
constexpr std::size_t kCapacity = kMostRead + ByteCheck::kMostHeld + 8;

// A wait for bytes asks the stop poll this often; a driver that cannot be
// polled and answers a read with nothing is asked again after kPause.
constexpr std::chrono::milliseconds kWaitSlice{50};
constexpr std::chrono::milliseconds kPause{10};

std::string FirstLine(const fs::path& file) {
  std::ifstream in(file);
  std::string line;
  std::getline(in, line);
  return line;
}

// The node's name under /dev as the entry's uevent gives it (DEVNAME).
std::string DeviceName(const fs::path& entry) {
  std::ifstream in(entry / "uevent");
  for (std::string line; std::getline(in, line);) {
    if (line.starts_with("DEVNAME=")) return line.substr(8);
  }
  return entry.filename().string();
}

RuntimeError OpenFailure(int err, const std::string& node) {
  const std::string reason = std::strerror(err);
  switch (err) {
    case ENOENT:
    case ENODEV:
    case ENXIO:
      return RuntimeError(kErrDeviceUnavailable,
                          "Device unavailable: cannot open " + node + ": " + reason + " (is the device plugged in?)");
    case EACCES:
    case EPERM:
      return RuntimeError(kErrPermissionDenied,
                          "Permission denied: cannot open " + node + ". The udev rule " + kAleaUdevRule +
                              " gives the desktop user access: the package installs it; otherwise copy it "
                              "from Quibran's packaging folder to /etc/udev/rules.d. Then plug the device in "
                              "again.");
    default: {
      const int number = ErrorNumberFromErrno(err, false);
      return RuntimeError(number, ErrorDescription(number) + ": cannot open " + node + ": " + reason);
    }
  }
}

// What a node that is neither a character device nor a FIFO is.
std::string KindOf(mode_t mode) {
  if (S_ISREG(mode)) return "a regular file";
  if (S_ISDIR(mode)) return "a folder";
  if (S_ISBLK(mode)) return "a block device";
  return "not a device";
}

RuntimeError ReadFailure(const std::string& node, const std::string& what) {
  return RuntimeError(kErrDeviceIO, "Device I/O error: " + node + " " + what);
}

}  // namespace

std::optional<std::string> FindAleaNode(const DevicePlaces& places) {
  std::error_code error;
  std::vector<std::string> names;
  for (const fs::directory_entry& entry : fs::directory_iterator(places.usbmisc, error)) {
    std::string name = entry.path().filename().string();
    if (name.starts_with("chaoskey")) names.push_back(std::move(name));
  }
  std::sort(names.begin(), names.end());
  for (const std::string& name : names) {
    const fs::path entry = fs::path(places.usbmisc) / name;
    // "device" is the USB interface; the USB device above it has the ids.
    const fs::path usb = fs::canonical(entry / "device", error).parent_path();
    if (error) continue;
    if (FirstLine(usb / "idVendor") == kAleaVendor && FirstLine(usb / "idProduct") == kAleaProduct) {
      return places.dev + "/" + DeviceName(entry);
    }
  }
  return std::nullopt;
}

AleaNode::AleaNode(ByteCheck& check, std::string path, std::chrono::milliseconds wait, DevicePlaces places)
    : check_(check),
      path_(std::move(path)),
      wait_(wait),
      places_(std::move(places)),
      buffer_(kCapacity),
      reads_(kLeastRead, kFirstRead, kMostRead) {}

AleaNode::~AleaNode() { Close(); }

void AleaNode::Open() {
  Close();
  std::string node = path_;
  if (node.empty()) {
    const std::optional<std::string> found = FindAleaNode(places_);
    if (!found) {
      throw RuntimeError(kErrDeviceUnavailable,
                         "Device unavailable: no Alea USB random number generator found (is it plugged in?)");
    }
    node = *found;
  }
  // Without blocking: a FIFO with no writer, or a driver that waits for its
  // device, would hold open() for ever. Reads wait with poll().
  int fd;
  do {
    fd = ::open(node.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
  } while (fd < 0 && errno == EINTR);
  if (fd < 0) throw OpenFailure(errno, node);
  struct stat status {};
  if (::fstat(fd, &status) != 0 || !(S_ISCHR(status.st_mode) || S_ISFIFO(status.st_mode))) {
    ::close(fd);
    throw RuntimeError(kErrDeviceUnavailable, "Device unavailable: " + node + " is " + KindOf(status.st_mode) +
                                                  "; only a character device or a FIFO is read");
  }
  fd_ = fd;
  node_ = std::move(node);
  check_.Reset();
}

void AleaNode::Close() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
  next_ = ready_ = end_ = 0;
  failure_.reset();
  buffer_.Wipe();
}

void AleaNode::Refill(std::size_t need) {
  if (fd_ < 0) throw RuntimeError(kErrDeviceIO, "Device I/O error: the device is not open");
  // The bytes not yet served go to the front: the few left over, then those
  // held back for their tests.
  std::memmove(buffer_.get(), buffer_.get() + next_, end_ - next_);
  ready_ -= next_;
  end_ -= next_;
  next_ = 0;
  while (ready_ < need) {
    if (failure_) {
      // Nothing more from a device whose output failed: the bytes of the
      // failing test go, as do any too few for the value asked, and the node
      // serves no other.
      const RuntimeError failure = *failure_;
      Close();
      throw failure;
    }
    const auto start = Clock::now();
    const std::size_t got = ReadSome(buffer_.get() + end_, std::min(reads_.size(), kCapacity - end_));
    reads_.Took(Clock::now() - start);
    if (got == 0) {
      // The output has ended, so no later byte can fail a test of the bytes
      // held back: they passed. Whatever comes after is a new output.
      if (ready_ == end_) throw ReadFailure(node_, "has no more data (was the device unplugged?)");
      ready_ = end_;
      check_.Reset();
      continue;
    }
    try {
      const std::size_t held = check_.Take(buffer_.get() + end_, got);
      end_ += got;
      ready_ = end_ - held;
    } catch (const CheckFailure& failure) {
      // The bytes that passed before the failure, of this read or held back
      // from earlier ones, are served first; the failure comes after them.
      end_ += failure.tested();
      ready_ = end_ - failure.held();
      failure_ = failure;
    }
  }
}

std::size_t AleaNode::ReadSome(uint8_t* to, std::size_t size) {
  const auto deadline = Clock::now() + wait_;
  for (bool pause = false;;) {
    AwaitData(deadline, pause);
    const ssize_t got = ::read(fd_, to, size);
    if (got >= 0) return static_cast<std::size_t>(got);
    if (errno != EINTR && errno != EAGAIN) {
      throw ReadFailure(node_, std::string("cannot be read: ") + std::strerror(errno) + " (was the device unplugged?)");
    }
    // Nothing yet, though poll said there was (a driver that cannot be
    // polled), the driver's own timeout, or a signal (Ctrl-C, say) during a
    // read that blocks in the driver: ask the stop poll and then the node
    // again after a pause, never in a busy loop; the deadline bounds the
    // retries.
    pause = true;
  }
}

void AleaNode::AwaitData(Clock::time_point deadline, bool pause) {
  for (;;) {
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
    if (left.count() <= 0) {
      const auto ms = wait_.count();
      throw ReadFailure(node_, "gave no data for " + (ms % 1000 == 0 ? std::to_string(ms / 1000) + " seconds"
                                                                     : std::to_string(ms) + " ms"));
    }
    // A pause polls no descriptor: it only sleeps.
    pollfd ready{fd_, POLLIN, 0};
    const auto slice = std::min(left, pause ? kPause : kWaitSlice);
    const int polled = ::poll(&ready, pause ? 0 : 1, static_cast<int>(slice.count()));
    if (polled > 0) return;
    if (polled < 0 && errno != EINTR) throw ReadFailure(node_, std::string("cannot be read: ") + std::strerror(errno));
    // A slice has passed, or a signal came (Ctrl-C, say).
    if (stop_poll_ && stop_poll_()) throw WaitStopped{};
    if (pause) return;
  }
}

}  // namespace quibran
