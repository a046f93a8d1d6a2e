// SPDX-License-Identifier: GPL-3.0-or-later
// The software generators, the hardware device's health tests and Linux
// node, and the search for the system information tool.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <thread>
#include <tuple>
#include <utility>
#include <vector>

#include "fixed_clock.h"
#include "job/temp_folder.h"
#include "platform/alea_node.h"
#include "platform/runtime_error.h"
#include "platform/system_info.h"
#include "random/health_tests.h"
#include "random/mersenne_twister.h"
#include "random/wichmann_hill.h"

namespace quibran {
namespace {

namespace fs = std::filesystem;

// A FIFO at `path` standing in for a device's node: the thread writes
// `bytes` to it once a reader has opened it and closes it, ending the output
// as an unplug does.
std::jthread FifoDevice(const std::string& path, std::string bytes) {
  ::mkfifo(path.c_str(), 0600);
  return std::jthread([path, bytes = std::move(bytes)] {
    const int fd = ::open(path.c_str(), O_WRONLY);
    [[maybe_unused]] const ssize_t written = ::write(fd, bytes.data(), bytes.size());
    ::close(fd);
  });
}

// Known values unseeded and from seed 12345; seeds are floored, made positive,
// taken modulo 2^31 - 1, a 0 component takes its multiplier; the clock: 1/60 s.
TEST(WichmannHill, KnownValuesAndSeeds) {
  using Components = std::array<int32_t, 3>;
  WichmannHill wh;
  const auto state = [&] { return Components{wh.WHState1, wh.WHState2, wh.WHState3}; };
  EXPECT_NEAR(wh.WHNext(), 0.895253911238, 1e-12);
  EXPECT_EQ(state(), (Components{29241, 29584, 28900}));
  wh.WHSeed(12345);
  EXPECT_NEAR(wh.WHNext(), 0.012037034764, 1e-12);
  EXPECT_EQ(state(), (Components{22434, 1850, 6363}));
  for (const auto& [seed, components] : std::initializer_list<std::pair<double, Components>>{
           {30307, {38, 172, 30307}}, {0, {171, 172, 170}}, {-7.5, {8, 8, 8}}, {4294967296.0, {2, 2, 2}}}) {
    wh.WHSeed(seed);
    EXPECT_EQ(state(), components) << seed;
  }
  wh.WHSeed(test::FixedClock(45000, 100.5f));
  EXPECT_EQ(state(), (Components{6030, 6030, 6030}));
}

// Unseeded (seed 5489) and seeded (a negative seed is its bit pattern), word
// by word and in blocks; a seeding in mid-block starts the new stream at once.
TEST(MersenneTwister, MatchesStdMt19937) {
  for (const int64_t seed : {-1LL, 0LL, 0x7FFFFFFFLL, 0x80000000LL, 0xFFFFFFFFLL}) {
    MersenneTwister mt;
    if (seed >= 0) mt.MTInit(static_cast<int32_t>(static_cast<uint32_t>(seed)));
    std::mt19937 reference(seed >= 0 ? static_cast<uint32_t>(seed) : 5489u);
    EXPECT_EQ(mt.MTWord(), static_cast<int32_t>(reference())) << seed;
    EXPECT_EQ(mt.MTReal(), static_cast<double>(reference()) * 0x1p-32) << seed;
    std::vector<uint32_t> words(624 * 4 + 7);
    mt.Fill(words.data(), 1);
    mt.Fill(words.data() + 1, words.size() - 1);
    for (const uint32_t word : words) ASSERT_EQ(word, reference()) << seed;
    mt.MTInit(5);
    EXPECT_EQ(mt.Next(), std::mt19937(5)()) << seed;
  }
}

// Bytes that pass the health tests: 1 to 255, never two alike in a row; then
// `count` zeros from `at`, `step` apart.
std::string HealthyBytes(std::size_t size, std::size_t at = 0, std::size_t count = 0, std::size_t step = 1) {
  std::string bytes;
  for (std::size_t n = 0; n < size; ++n) bytes += static_cast<char>(1 + n * 131 % 255);
  for (std::size_t i = 0; i < count; ++i) bytes[at + i * step] = 0;
  return bytes;
}

// In blocks of any size the same bytes pass (all before those held back).
TEST(HealthTests, EachTestFailsAtItsCutoffAndPassesTheSameBytesInAnyBlocks) {
  const std::string repetition = "repetition count test saw byte 0x00 7 times in a row (it allows 6)";
  const auto proportion = [](int bytes) {
    return "adaptive proportion test saw byte 0x00 26 times in " + std::to_string(bytes) +
           " bytes (it allows 25 in a window of 512)";
  };
  const std::tuple<std::string, std::string, std::size_t> cases[] = {
      // bytes, failure ("" none), bytes passed
      {HealthyBytes(600, 520, 6).replace(527, 1, 1, '\0'), "", 512},  // six zeros, another byte, a zero
      {HealthyBytes(1026, 1020, 6), "", 1020},
      {HealthyBytes(530, 512, 7), repetition, 512},
      {HealthyBytes(1100, 1020, 7), repetition, 1020},
      {HealthyBytes(1034, 512, 25, 19), "", 1024},
      {HealthyBytes(1034, 512, 26, 19), proportion(476), 512},
      {HealthyBytes(1034, 513, 26, 19), "", 1024},
      {HealthyBytes(2048, 0, 512, 4), proportion(101), 0},
  };
  for (const auto& [stream_bytes, failure_text, passed] : cases) {
    for (const std::size_t piece : {stream_bytes.size(), std::size_t{1}, std::size_t{37}, std::size_t{512}}) {
      SCOPED_TRACE(std::to_string(stream_bytes.size()) + " bytes in pieces of " + std::to_string(piece));
      HealthTests tests;
      const auto* bytes = reinterpret_cast<const uint8_t*>(stream_bytes.data());
      std::size_t at = 0;
      try {
        std::size_t held = 0;
        for (; at < stream_bytes.size(); at += piece) {
          held = tests.Take(bytes + at, std::min(piece, stream_bytes.size() - at));
        }
        EXPECT_EQ(std::tuple(failure_text, stream_bytes.size() - held), std::tuple("", passed));
      } catch (const CheckFailure& failure) {
        EXPECT_EQ(std::tuple(failure.number(), failure.description(), at + failure.tested() - failure.held()),
                  std::tuple(57, "the device's output failed its health test: the " + failure_text, passed));
      }
    }
  }
}

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
  const std::jthread device = FifoDevice(alea, bytes);
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
  const auto drain = [&] {
    for (;;) node.GetRandomByte();
  };
  EXPECT_EQ(FailureOf(drain),
            Failure(57, "Device I/O error: " + alea + " has no more data (was the device unplugged?)"));
  fs::remove_all(places_.usbmisc + "/chaoskey1");
  EXPECT_EQ(FailureOf([&] { node.Open(); }),
            Failure(68, "Device unavailable: no Alea USB random number generator found (is it plugged in?)"));
  EXPECT_EQ(FailureOf([&] { node.GetRandomWord(); }), Failure(57, "Device I/O error: the device is not open"));
}

TEST_F(AleaNodeTest, FailuresToOpenSayWhatToDo) {
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

// A read that ends just after a full window holds back its last byte (it
// could start a run); when the next read fails, that byte has passed and is
// still served before the failure.
TEST_F(AleaNodeTest, ServesTheBytesThatPassedBeforeAFailureInALaterRead) {
  const std::string fifo = folder_ / "fifo";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  AleaNode node(health_, fifo);
  node.Open();
  const int writer = ::open(fifo.c_str(), O_WRONLY);
  const std::string bytes = HealthyBytes(512);
  ASSERT_EQ(::write(writer, bytes.data(), 512), 512);
  for (std::size_t n = 0; n < 511; ++n) ASSERT_EQ(node.GetRandomByte(), static_cast<uint8_t>(bytes[n])) << n;
  ASSERT_EQ(::write(writer, "\0\0\0\0\0\0\0\1", 8), 8);
  ::close(writer);
  EXPECT_EQ(node.GetRandomByte(), static_cast<uint8_t>(bytes[511]));
  EXPECT_EQ(FailureOf([&] { node.GetRandomByte(); }).first, 57);
}

// The list's order before PATH's; empty entries are not the current folder;
// a file that is not executable and a folder are passed over.
TEST(SystemInfo, FindsTheFirstProgramOfTheListOnPath) {
  const test::TempFolder folder;
  for (const char* folder_name : {"a/hardinfo2/", "b", "c"}) fs::create_directories(folder / folder_name);
  for (const char* name : {"a/hardinfo", "a/kinfocenter", "b/hardinfo", "c/hardinfo2"}) {
    std::ofstream(folder / name) << "#!/bin/sh\n";
    fs::permissions(folder / name, fs::perms::owner_all);
  }
  fs::permissions(folder / "a/hardinfo", fs::perms::owner_read);
  EXPECT_EQ(FindOnPath("::" + folder / "a:" + folder / "b/:" + folder / "c"), folder / "c/hardinfo2");
  EXPECT_EQ(FindOnPath(":" + folder / "a/:" + folder / "b"), folder / "b/hardinfo");
  const std::string path = std::getenv("PATH") ? std::getenv("PATH") : "";  // and through PATH itself
  ::setenv("PATH", (folder / "a").c_str(), 1);
  EXPECT_EQ(FindSystemInfoTool(), folder / "a/kinfocenter");
  ::setenv("PATH", path.c_str(), 1);
  EXPECT_EQ(FindOnPath(":"), std::nullopt);
}

}  // namespace
}  // namespace quibran
