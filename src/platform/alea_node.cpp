#include "platform/alea_node.h"

#include <fcntl.h>
#include <poll.h>
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
constexpr std::size_t kCapacity = kMostRead + 8;

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
      return RuntimeError(kErrDeviceUnavailable, "Device unavailable: cannot open " + node + ": " + reason +
                                                     " (is the device plugged in?)");
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

AleaNode::AleaNode(std::string path, std::chrono::milliseconds wait, DevicePlaces places)
    : path_(std::move(path)),
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
  int fd;
  do {
    fd = ::open(node.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY);
  } while (fd < 0 && errno == EINTR);
  if (fd < 0) throw OpenFailure(errno, node);
  fd_ = fd;
  node_ = std::move(node);
}

void AleaNode::Close() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
  next_ = end_ = 0;
  buffer_.Wipe();
}

void AleaNode::Refill(std::size_t need) {
  if (fd_ < 0) throw RuntimeError(kErrDeviceIO, "Device I/O error: the device is not open");
  // The few bytes left over go to the front, to be served first.
  const std::size_t left = end_ - next_;
  std::memmove(buffer_.get(), buffer_.get() + next_, left);
  next_ = 0;
  end_ = left;
  while (end_ < need) {
    const auto start = Clock::now();
    end_ += ReadSome(buffer_.get() + end_, std::min(reads_.size(), kCapacity - end_));
    reads_.Took(Clock::now() - start);
  }
}

std::size_t AleaNode::ReadSome(uint8_t* to, std::size_t size) {
  const auto deadline = Clock::now() + wait_;
  for (;;) {
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
    if (left.count() <= 0) {
      const auto ms = wait_.count();
      throw ReadFailure(node_, "gave no data for " +
                                   (ms % 1000 == 0 ? std::to_string(ms / 1000) + " seconds" : std::to_string(ms) + " ms"));
    }
    pollfd ready{fd_, POLLIN, 0};
    const int polled = ::poll(&ready, 1, static_cast<int>(std::min<int64_t>(left.count(), INT32_MAX)));
    if (polled < 0 && errno != EINTR) throw ReadFailure(node_, std::string("cannot be read: ") + std::strerror(errno));
    if (polled <= 0) continue;  // interrupted, or the wait is over (seen above)
    const ssize_t got = ::read(fd_, to, size);
    if (got > 0) return static_cast<std::size_t>(got);
    if (got == 0) throw ReadFailure(node_, "has no more data (was the device unplugged?)");
    // The driver's own timeout gives EAGAIN; the deadline bounds the retries.
    if (errno != EINTR && errno != EAGAIN) {
      throw ReadFailure(node_, std::string("cannot be read: ") + std::strerror(errno) +
                                  " (was the device unplugged?)");
    }
  }
}

}  // namespace quibran
