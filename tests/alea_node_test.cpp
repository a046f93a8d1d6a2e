// SPDX-License-Identifier: GPL-3.0-or-later
// The Alea's Linux node: found through a sysfs laid out as the kernel lays
// it out, its bytes served once each in order once they passed the health
// tests, and its failures.

#include "platform/alea_node.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <utility>

#include "job/temp_folder.h"
#include "platform/runtime_error.h"
#include "random/health_tests.h"

namespace quibran {
namespace {

namespace fs = std::filesystem;

using Failure = std::pair<int, std::string>;

// The number and description of the failure of `action`, which must fail.
template <class Action>
Failure FailureOf(Action action) {
  try {
    action();
  } catch (const RuntimeError& error) {
    return {error.number(), error.description()};
  }
  ADD_FAILURE() << "no failure";
  return {};
}

class AleaNodeTest : public ::testing::Test {
 protected:
  AleaNodeTest() {
    fs::create_directories(places_.dev);
    // A ChaosKey (1d50:60c6) listed before the Alea.
    for (const auto& [name, port, ids] :
         {std::tuple{"chaoskey0", "1-1", "1d50 60c6"}, {"chaoskey1", "1-2", "12d8 0001"}}) {
      const std::string usb = folder_ / "devices/" + port, entry = places_.usbmisc + "/" + name;
      fs::create_directories(usb + "/" + port + ":1.0");
      std::ofstream(usb + "/idVendor") << std::string(ids, 4) << "\n";
      std::ofstream(usb + "/idProduct") << ids + 5 << "\n";
      fs::create_directories(entry);
      fs::create_directory_symlink(usb + "/" + port + ":1.0", entry + "/device");
      std::ofstream(entry + "/uevent") << "MAJOR=180\nMINOR=0\nDEVNAME=" << name << "\n";
    }
  }

  test::TempFolder folder_;
  DevicePlaces places_{folder_ / "usbmisc", folder_ / "dev"};
  HealthTests health_;
};

TEST_F(AleaNodeTest, FindsTheAleaAndServesEveryByteOnceInOrderUntilItEnds) {
  std::string bytes;
  for (uint32_t x = 1; bytes.size() < 100003; x = x * 1103515245 + 12345) bytes += static_cast<char>(x >> 23);
  const std::string alea = places_.dev + "/chaoskey1";
  const std::jthread device = test::FifoDevice(alea, bytes);
  AleaNode node(health_, "", AleaNode::kDefaultWait, places_);
  node.Open();
  // Bytes, words and doubles in turn, each made of the node's next bytes.
  auto next = [&, at = std::size_t{0}](std::size_t count) mutable {
    uint64_t value = 0;
    for (std::size_t i = count; i-- > 0;) value = value << 8 | static_cast<uint8_t>(bytes[at + i]);
    at += count;
    return value;
  };
  for (std::size_t used = 0; used + 12 <= bytes.size(); used += 12) {
    ASSERT_EQ(node.GetRandomByte(), static_cast<int32_t>(next(1))) << used;
    ASSERT_EQ(node.GetRandomWord(), static_cast<int32_t>(next(4))) << used;
    ASSERT_EQ(node.GetRandomDouble(), static_cast<double>(next(7) >> 3) * 0x1p-53) << used;
  }
  // The node ends as an unplugged device does: at once.
  EXPECT_EQ(FailureOf([&] {
              while (true) node.GetRandomByte();
            }),
            Failure(57, "Device I/O error: " + alea + " has no more data (was the device unplugged?)"));

  fs::remove_all(places_.usbmisc + "/chaoskey1");
  EXPECT_EQ(FailureOf([&] { node.Open(); }),
            Failure(68, "Device unavailable: no Alea USB random number generator found (is it plugged in?)"));
  EXPECT_EQ(FailureOf([&] { node.GetRandomWord(); }), Failure(57, "Device I/O error: the device is not open"));
}

TEST_F(AleaNodeTest, FailuresToOpenSayWhatToDo) {
  const std::string missing = places_.dev + "/chaoskey9";
  EXPECT_EQ(FailureOf([&] { AleaNode(health_, missing).Open(); }),
            Failure(68, "Device unavailable: cannot open " + missing +
                            ": No such file or directory (is the device plugged in?)"));

  // Root opens anything, so the node is opened as nobody in a child.
  const std::string locked = places_.dev + "/chaoskey1";
  std::ofstream(locked) << "x";
  ::chmod(locked.c_str(), 0);
  ::chmod(folder_.dir().c_str(), 0755);
  const Failure denied(70, "Permission denied: cannot open " + locked +
                               ". The udev rule 60-quibran-alea.rules gives the desktop user access: the package "
                               "installs it; otherwise copy it from Quibran's packaging folder to "
                               "/etc/udev/rules.d. Then plug the device in again.");
  const auto open_unprivileged = [&] {
    test::BecomeNobody();
    std::_Exit(FailureOf([&] { AleaNode(health_, locked).Open(); }) == denied ? 0 : 1);
  };
  EXPECT_EXIT(open_unprivileged(), ::testing::ExitedWithCode(0), "");
}

// A read that ends just after a full window holds back its last byte, which
// could start a run; when the next read fails its health test, that byte has
// passed and is still served, and then the failure.
TEST_F(AleaNodeTest, ServesTheBytesThatPassedBeforeAFailureInALaterRead) {
  const std::string fifo = folder_ / "fifo";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  AleaNode node(health_, fifo);
  node.Open();
  const int writer = ::open(fifo.c_str(), O_WRONLY);
  std::string bytes;
  for (std::size_t n = 0; n < 512; ++n) bytes += static_cast<char>(1 + n * 131 % 255);
  ASSERT_EQ(::write(writer, bytes.data(), 512), 512);
  for (std::size_t n = 0; n < 511; ++n) ASSERT_EQ(node.GetRandomByte(), static_cast<uint8_t>(bytes[n])) << n;
  ASSERT_EQ(::write(writer, "\0\0\0\0\0\0\0\1", 8), 8);
  ::close(writer);
  EXPECT_EQ(node.GetRandomByte(), static_cast<uint8_t>(bytes[511]));
  const Failure failure = FailureOf([&] { node.GetRandomByte(); });
  EXPECT_EQ(failure.first, 57);
  EXPECT_TRUE(failure.second.starts_with("the device's output failed its health test")) << failure.second;
}

}  // namespace
}  // namespace quibran
