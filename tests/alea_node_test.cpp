// The Alea's Linux node: found through a sysfs laid out as the kernel lays
// it out, its bytes served once each in order, and its failures.

#include "platform/alea_node.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "job/temp_folder.h"
#include "platform/runtime_error.h"

namespace quibran {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

class AleaNodeTest : public ::testing::Test {
 protected:
  AleaNodeTest() {
    places_ = {folder_ / "usbmisc", folder_ / "dev"};
    fs::create_directories(places_.dev);
    // A ChaosKey (1d50:60c6) listed before the Alea.
    AddUsbmiscEntry("chaoskey0", "1-1", "1d50", "60c6");
    AddUsbmiscEntry("chaoskey1", "1-2", "12d8", "0001");
  }
  void AddUsbmiscEntry(const std::string& name, const std::string& port, const char* vendor, const char* product) {
    const fs::path usb = fs::path(folder_ / "devices") / port;
    fs::create_directories(usb / (port + ":1.0"));
    std::ofstream(usb / "idVendor") << vendor << "\n";
    std::ofstream(usb / "idProduct") << product << "\n";
    fs::create_directories(places_.usbmisc + "/" + name);
    fs::create_directory_symlink("../../devices/" + port + "/" + port + ":1.0", places_.usbmisc + "/" + name + "/device");
    std::ofstream(places_.usbmisc + "/" + name + "/uevent") << "MAJOR=180\nMINOR=0\nDEVNAME=" << name << "\n";
  }
  // The failure of `action`, which must fail.
  template <class Action>
  RuntimeError FailureOf(Action action) {
    try {
      action();
    } catch (const RuntimeError& error) {
      return error;
    }
    ADD_FAILURE() << "no failure";
    return RuntimeError(0);
  }

  test::TempFolder folder_;
  DevicePlaces places_;
};

TEST_F(AleaNodeTest, FindsTheAleaAndServesEveryByteOnceInOrder) {
  std::string bytes;
  for (uint32_t x = 1; bytes.size() < 100003; x = x * 1103515245 + 12345) bytes += static_cast<char>(x >> 23);
  std::ofstream(places_.dev + "/chaoskey1", std::ios::binary) << bytes;
  ASSERT_EQ(FindAleaNode(places_), places_.dev + "/chaoskey1");
  AleaNode node("", AleaNode::kDefaultWait, places_);
  node.Open();
  // Bytes, words and doubles in turn, each from the next bytes of the node.
  const auto at = [&](std::size_t i) { return static_cast<uint64_t>(static_cast<uint8_t>(bytes[i])); };
  std::size_t next = 0;
  for (int kind = 0; next + 7 <= bytes.size(); kind = (kind + 1) % 3) {
    if (kind == 0) {
      ASSERT_EQ(node.GetRandomByte(), static_cast<int32_t>(at(next))) << next;
      next += 1;
    } else if (kind == 1) {
      ASSERT_EQ(node.GetRandomWord(), static_cast<int32_t>(at(next) | at(next + 1) << 8 | at(next + 2) << 16 |
                                                           at(next + 3) << 24)) << next;
      next += 4;
    } else {
      uint64_t bits = 0;
      for (int i = 6; i >= 0; --i) bits = bits << 8 | at(next + static_cast<std::size_t>(i));
      ASSERT_EQ(node.GetRandomDouble(), static_cast<double>(bits >> 3) / 9007199254740992.0) << next;
      next += 7;
    }
  }
  // The node ends as an unplugged device does: a Device I/O error, at once.
  const RuntimeError end = FailureOf([&] { while (true) node.GetRandomByte(); });
  EXPECT_EQ(end.number(), 57);
  EXPECT_EQ(end.description(),
            "Device I/O error: " + places_.dev + "/chaoskey1 has no more data (was the device unplugged?)");

  fs::remove_all(places_.usbmisc + "/chaoskey1");
  EXPECT_EQ(FindAleaNode(places_), std::nullopt);
  const RuntimeError none = FailureOf([&] { node.Open(); });
  EXPECT_EQ(none.number(), 68);
  EXPECT_EQ(none.description(), "Device unavailable: no Alea USB random number generator found (is it plugged in?)");
  EXPECT_EQ(FailureOf([&] { node.GetRandomWord(); }).number(), 57);  // not open
}

TEST_F(AleaNodeTest, FailuresToOpenAndToDeliverSayWhatToDo) {
  const std::string missing = places_.dev + "/chaoskey9";
  const RuntimeError unavailable = FailureOf([&] { AleaNode(missing).Open(); });
  EXPECT_EQ(unavailable.number(), 68);
  EXPECT_EQ(unavailable.description(),
            "Device unavailable: cannot open " + missing + ": No such file or directory (is the device plugged in?)");

  // A node that holds no data and never ends gives up after the wait.
  const std::string fifo = places_.dev + "/silent";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  const int writer = ::open(fifo.c_str(), O_RDWR);
  AleaNode silent(fifo, 50ms);
  silent.Open();
  const RuntimeError quiet = FailureOf([&] { silent.GetRandomDouble(); });
  ::close(writer);
  EXPECT_EQ(quiet.number(), 57);
  EXPECT_EQ(quiet.description(), "Device I/O error: " + fifo + " gave no data for 50 ms");

  // Root opens anything, so the node is opened as nobody in a child.
  const std::string locked = places_.dev + "/chaoskey1";
  std::ofstream(locked) << "x";
  ::chmod(locked.c_str(), 0);
  ::chmod(folder_.dir().c_str(), 0755);
  const auto open_unprivileged = [&] {
    if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0)) std::_Exit(3);
    const RuntimeError denied = FailureOf([&] { AleaNode(locked).Open(); });
    std::_Exit(denied.number() == 70 && denied.description() ==
                                            "Permission denied: cannot open " + locked +
                                                ". The udev rule 60-quibran-alea.rules in Quibran's packaging "
                                                "folder gives the desktop user access: install it in "
                                                "/etc/udev/rules.d, then plug the device in again."
                   ? 0
                   : 1);
  };
  EXPECT_EXIT(open_unprivileged(), ::testing::ExitedWithCode(0), "");
}

}  // namespace
}  // namespace quibran
