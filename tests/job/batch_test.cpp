// SPDX-License-Identifier: GPL-3.0-or-later
// End-to-end runs of quibran-batch; its files are checked against values
// drawn from the core with the same seed.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <regex>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include "fixed_clock.h"
#include "platform/output_file.h"
#include "platform/version.h"
#include "program_run.h"
#include "random/random_sources.h"
#include "temp_folder.h"
#include "text_checks.h"

namespace quibran {
namespace {

using Result = test::ProgramResult;
using test::Launch;

class BatchTest : public ::testing::Test {
 protected:
  // Runs quibran-batch in the test's folder, so that the folder holds only
  // what the tool writes.
  pid_t Start(const std::vector<std::string>& args, const Launch& launch = {}) {
    return run_.Start(folder_.dir(), args, launch);
  }
  Result Wait(pid_t pid) { return run_.Wait(pid); }
  Result Batch(const std::vector<std::string>& args, const Launch& launch = {}) { return Wait(Start(args, launch)); }
  // The temporary files of unfinished files in the folder.
  std::vector<std::string> Partials() const {
    std::vector<std::string> partials;
    for (const auto& entry : std::filesystem::directory_iterator(folder_.dir())) {
      if (IsPartialFileName(entry.path().string())) partials.push_back(entry.path());
    }
    return partials;
  }

  test::ProgramRun run_{QUIBRAN_BATCH_PATH};
  const test::TempFolder& logs_ = run_.logs();
  test::TempFolder folder_;
  test::FixedClock clock_{46000, 0.0f};
  RandomSources core_{clock_};  // seeded as --seed seeds the tool's source
};

// Files and standard output hold what the core draws with the same seed:
// bytes, or rows of values; a file's stream continues into the next, and
// each completed file's name is printed.
TEST_F(BatchTest, FilesAndStdoutHoldTheSeededStream) {
  struct Case {
    std::vector<std::string> args;
    int source, seed, num_type;
    int columns;                     // values per row; 0 for bytes
    std::size_t count;               // values, or rows
    std::vector<std::string> files;  // none: standard output
  };
  std::vector<Case> cases = {
      {{"--source", "mt", "--count", "100000", "--files", "2", "--seed", "42", "--dir", folder_.dir(), "--stem", "PAD",
        "--start", "9", "--quiet"},
       kSourceMersenneTwister,
       42,
       kNumByte,
       0,
       100000,
       {"PAD0009.BIN", "PAD0010.BIN"}},
      // Whole numbers from Wichmann-Hill with a negative seed, options with "=".
      {{"--source=wh", "--file-type=asc", "--number-type=int16", "--count=1000", "--seed=-7", "--dir=" + folder_.dir(),
        "--stem=W"},
       kSourceWichmannHill,
       -7,
       kNumInteger16,
       1,
       1000,
       {"W0001.ASC"}},
      {{"--source", "mtwh", "--file-type", "csv", "--number-type", "double", "--count", "20", "--columns", "5",
        "--seed", "5", "--dir", folder_.dir(), "--stem", "C"},
       kSourceMtWh,
       5,
       kNumDouble,
       5,
       20,
       {"C0001.CSV"}},
      {{"--source", "mt", "--seed", "42", "--stdout", "--count", "100000"},
       kSourceMersenneTwister,
       42,
       kNumByte,
       0,
       100000,
       {}},
      {{"--source", "wh", "--seed", "-7", "--stdout", "--file-type", "csv", "--number-type", "int16", "--columns", "3",
        "--count", "500"},
       kSourceWichmannHill,
       -7,
       kNumInteger16,
       3,
       500,
       {}},
  };
  // Every --number-type by its name.
  static constexpr const char* kNames[] = {"byte", "int15", "int16", "long31", "long32", "single", "double"};
  for (int type = kNumByte; type <= kNumDouble; ++type) {
    cases.push_back({{"--source", "mt", "--seed", "3", "--stdout", "--file-type", "asc", "--number-type", kNames[type],
                      "--count", "300"},
                     kSourceMersenneTwister,
                     3,
                     type,
                     1,
                     300,
                     {}});
  }
  std::size_t files = 0;
  for (const Case& c : cases) {
    std::string line;
    for (const std::string& arg : c.args) line += arg + " ";
    SCOPED_TRACE(line);
    const Result result = Batch(c.args);
    ASSERT_EQ(result.status, 0) << result.err;
    core_.SeedSource(c.source, c.seed);
    const auto expect_stream = [&](const std::string& text) {
      const auto draw = [&] { return core_.DrawValue(c.source, c.num_type); };
      if (c.columns == 0)
        EXPECT_EQ(text, test::DrawnBytes(core_, c.source, c.count));
      else
        EXPECT_EQ(test::ExpectRows(text, c.columns, c.num_type, draw), c.count);
    };
    std::string names;
    for (const std::string& name : c.files) {
      expect_stream(test::ReadFile(folder_ / name));
      names += folder_ / name + "\n";
    }
    if (c.files.empty())
      expect_stream(result.out);
    else
      EXPECT_EQ(result.out, names);
    files += c.files.size();
    EXPECT_EQ(folder_.FileCount(), files);
  }
}

// The platform generator's stream does not come round again after 2^24
// values, as a 24-bit generator's would: neither within a file nor in the
// seventeenth file of 1 MiB.
TEST_F(BatchTest, PlatformGeneratorBytesDoNotRepeat) {
  ASSERT_EQ(Batch({"--source", "rnd", "--count", "67108864", "--seed", "1", "--stem", "BIG", "--quiet"}).status, 0);
  const std::string big = test::ReadFile(folder_ / "BIG0001.BIN");
  ASSERT_EQ(big.size(), 67108864u);
  core_.SeedSource(kSourceRnd, 1);
  EXPECT_EQ(big.substr(0, 1 << 20), test::DrawnBytes(core_, kSourceRnd, 1 << 20));
  for (const std::size_t offset : {1u << 24, 1u << 25, 3u << 24}) {
    EXPECT_NE(big.compare(offset, 4096, big, 0, 4096), 0) << offset;
  }
  ASSERT_EQ(Batch({"--source", "rnd", "--count", "1048576", "--files", "17", "--seed", "2", "--quiet"}).status, 0);
  EXPECT_NE(test::ReadFile(folder_ / "RAND0017.BIN"), test::ReadFile(folder_ / "RAND0001.BIN"));
}

TEST_F(BatchTest, DefaultsWriteOneFileOf1024KernelBytesIntoTheCurrentFolderAndHelpNamesEveryOption) {
  for (const auto& [args, out] : std::vector<std::pair<std::vector<std::string>, std::string>>{
           {{"--start", "7", "--version"}, "quibran-batch " + std::string(kVersion) + "\n"},  // alone, no file
           {{"-V", "--"}, "quibran-batch " + std::string(kVersion) + "\n"},
           {{}, "./RAND0001.BIN\n"},
           {{"--files", "0", "--start", "5"}, "./RAND0005.BIN\n"},  // zero files, as in the window, write one
           // The kernel's generator: Long (32 bits) in CSV files, as only it and the device write, never twice alike.
           {{"--file-type", "csv", "--number-type", "long32", "--stem", "A"}, "./A0001.CSV\n"},
           {{"--file-type", "csv", "--number-type", "long32", "--stem", "B"}, "./B0001.CSV\n"}}) {
    const Result result = Batch(args);
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out, out);
  }
  EXPECT_EQ(folder_.FileCount(), 4u);
  EXPECT_EQ(test::ReadFile(folder_ / "RAND0001.BIN").size(), 1024u);
  EXPECT_NE(test::ReadFile(folder_ / "A0001.CSV"), test::ReadFile(folder_ / "B0001.CSV"));

  const Result result = Batch({"--help"});
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(Batch({"-h"}).out, result.out);
  for (const char* option : {"--source",
                             "--file-type",
                             "--number-type",
                             "--count",
                             "--columns",
                             "--files",
                             "--dir",
                             "--stem",
                             "--start",
                             "--seed",
                             "--stdout",
                             "--quiet",
                             "--help",
                             "--version",
                             "Examples",
                             "os",  // and how --seed sets each source:
                             "mt    MTInit(N)",
                             "wh    WHSeed(N), so N and -N",
                             "rnd   PCG32 seeded from N",
                             "from Wichmann-Hill exactly when N is odd"}) {
    EXPECT_NE(result.out.find(option), std::string::npos) << option;
  }
  // The lists of names are filled in from the sources' and types' own.
  EXPECT_EQ(result.out.find('{'), std::string::npos);
  const std::size_t at = result.out.find("  --source ");
  const std::string sources = result.out.substr(at, result.out.find('\n', at) - at);
  for (const SourceCapabilities& source : kSourceCapabilities) {
    EXPECT_NE(sources.find(source.command_name), std::string::npos) << source.command_name;
  }
}

// Sizes with head -c's multipliers: powers of 1024, or with B of 1000.
TEST_F(BatchTest, SizesTakeMultipliers) {
  for (const auto& [count, bytes] : std::vector<std::pair<std::string, std::size_t>>{{"1K", 1024},
                                                                                     {"1KiB", 1024},
                                                                                     {"2KB", 2000},
                                                                                     {"2kB", 2000},
                                                                                     {"1M", 1 << 20},
                                                                                     {"1MiB", 1 << 20},
                                                                                     {"1MB", 1000000}}) {
    EXPECT_EQ(Batch({"--stdout", "--count=" + count}).out.size(), bytes) << count;
  }
  ASSERT_EQ(Batch({"--file-type", "bmp", "--width", "1K", "--height", "100", "--quiet"}).status, 0);
  EXPECT_EQ(test::ReadFile(folder_ / "RAND0001.BMP").size(), 54u + 3 * 1024 * 100);
}

// Bad options end with status 2, a destination that cannot be written with
// status 1; either way with the reason on standard error and no file.
TEST_F(BatchTest, BadInputAndUnwritableDestinationWriteNothing) {
  struct Case {
    std::vector<std::string> args;
    int status;
    std::string reason;
  };
  for (const Case& c : std::vector<Case>{
           {{"--colour", "red"}, 2, "unknown option"},
           {{"--count"}, 2, "needs a value"},
           {{"--count", "--quiet"}, 2, "--count needs a value"},
           {{"--help=1"}, 2, "--help takes no value"},
           {{"--version=2"}, 2, "--version takes no value"},
           {{"--quiet=yes"}, 2, "--quiet takes no value"},
           {{"--stem", "A\"B"}, 2, "--stem: a double quotation mark or a line break"},
           {{"--stem=A\nB"}, 2, "--stem: a double quotation mark or a line break"},
           {{"--dir", folder_ / "x\"y"}, 2, "--dir: a double quotation mark or a line break"},
           {{"--count", "0"}, 2, "--count"},
           {{"--count", "12x"}, 2, "--count"},
           {{"--file-type", "csv", "--count", "65537"}, 2, "65536"},
           {{"--file-type", "asc", "--count", "1073741825"}, 2, "1073741824"},
           {{"--count", "2147483647"}, 2, "2147483646"},
           // Sizes with head -c's multipliers, however far over the limit.
           {{"--count", "2G"}, 2, "--count: '2G' is more than 2147483646, the most it takes"},
           {{"--file-type", "asc", "--count", "2GB"}, 2, "'2GB' is more than 1073741824"},
           {{"--count", "9223372036854775807K"}, 2, "is more than 2147483646"},
           {{"--count", "99999999999999999999"}, 2, "is more than 2147483646"},
           {{"--stdout", "--count", "-1K"}, 2, "'-1K' is less than 0, the least it takes"},
           {{"--count", "1X"}, 2, "--count: '1X' is not a whole number from 1 to 2147483646"},
           {{"--file-type", "csv", "--columns", "1K"}, 2, "--columns: '1K' is not a whole number"},
           {{"--", "PAD"}, 2, "unexpected argument 'PAD'"},
           {{"--file-type", "csv", "--columns", "257"}, 2, "256"},
           {{"--files", "10000"}, 2, "9999"},
           {{"--start", "10000"}, 2, "9999"},
           {{"--seed", "seven"}, 2, "--seed"},
           {{"--source", "dice"}, 2, "mt|rnd|wh|mtwh|alea|os"},
           {{"--device", "/dev/urandom"}, 2, "--device goes with --source alea"},
           {{"--source", "alea", "--seed", "1"}, 2, "takes no seed"},
           {{"--source", "alea", "--device", folder_ / "none"},
            1,
            "Error Number 68: Alea Device:  Device unavailable: cannot open " + folder_ / "none"},
           {{"--source", "alea", "--device", QUIBRAN_BATCH_PATH},
            1,
            "Error Number 68: Alea Device:  Device unavailable: " QUIBRAN_BATCH_PATH " is a regular file; only a "
            "character device or a FIFO is read"},
           {{"--source", "alea", "--device", "."}, 1, "Device unavailable: . is a folder"},
           {{"--source", "alea", "--device", "/proc/self/status"},
            1,
            "Device unavailable: /proc/self/status is a regular file"},
           {{"--number-type", "int16"}, 2, "Byte"},
           {{"--source", "rnd", "--file-type", "asc", "--number-type", "long31"}, 2, "Not Available [GB003]"},
           {{"--source", "mt", "--file-type", "csv", "--number-type", "long32"}, 2, "Not Available [GB002]"},
           {{"--source", "wh", "--file-type", "csv", "--number-type", "long32"}, 2, "Not Available [GB006]"},
           {{"--dir", folder_ / "missing", "--count", "10"},
            1,
            "Error Number 76: Path not found\n" + folder_ / "missing/RAND0001.BIN\n"},
           {{"--source", "os", "--seed", "1"}, 2, "takes no seed"},
           {{"--seed", "1"}, 2, "without --source the kernel's generator (os) is used, which takes no seed"},
           {{"--stdout", "--dir", folder_.dir()}, 2, "takes no --dir"},
           {{"--stdout", "--files", "2"}, 2, "takes no --files"},
           {{"--stdout", "--file-type", "bmp"}, 2, "a bitmap is written to a file"},
           {{"--file-type", "bmp", "--width", "99"}, 2, "--width: '99' is less than 100, the least it takes"},
           {{"--file-type", "bmp", "--height", "10000"}, 2, "'10000' is more than 9999"},
           {{"--file-type", "bmp", "--files", "2"}, 2, "Only one bitmap can be generated at a time."},
           {{"--file-type", "bmp", "--count", "200"}, 2, "--width and --height"},
           {{"--monochrome"}, 2, "only for --file-type bmp"},
           {{"--file-type", "bmp", "--dir", folder_ / "missing"},
            1,
            "Error Number 76: Path not found\n" + folder_ / "missing/RAND0001.BMP\n"},
       }) {
    const Result result = Batch(c.args);
    EXPECT_EQ(result.status, c.status) << c.args[0] << " " << c.reason;
    EXPECT_NE(result.err.find(c.reason), std::string::npos) << result.err;
    EXPECT_EQ(result.out, "");
  }
  EXPECT_EQ(folder_.FileCount(), 0u);
}

// Output that cannot be written ends with status 1 and says what is lost: a
// full disk cuts a CSV file back to its last whole row and names it; a full
// standard output loses the list of names, not the files.
TEST_F(BatchTest, FullDiskOrFullStandardOutputExit1) {
  Result result = Batch({"--source", "rnd", "--file-type", "csv", "--number-type", "single", "--count", "60000",
                         "--columns", "7", "--seed", "9", "--quiet"},
                        {.file_size_limit = 300001});
  EXPECT_EQ(result.status, 1);
  EXPECT_EQ(result.err, "quibran-batch: Error Number 61: Disk full\n./RAND0001.CSV was left incomplete.\n");
  core_.SeedSource(kSourceRnd, 9);
  const auto draw = [&] { return core_.DrawValue(kSourceRnd, kNumSingle); };
  EXPECT_GT(test::ExpectRows(test::ReadFile(folder_ / "RAND0001.CSV"), 7, kNumSingle, draw), 1000u);

  result = Batch({"--files", "3", "--quiet"}, {.out = "/dev/full"});
  EXPECT_EQ(result.status, 1);
  EXPECT_EQ(result.err, "quibran-batch: cannot write the file names to standard output: No space left on device\n");
  EXPECT_EQ(test::ReadFile(folder_ / "RAND0003.BIN").size(), 1024u);

  result = Batch({"--help"}, {.out = "/dev/full"});
  EXPECT_EQ(result.status, 1);
  EXPECT_EQ(result.err, "quibran-batch: cannot write to standard output: No space left on device\n");
}

// A bitmap is an uncompressed 24-bit Windows bitmap, bottom row first, each
// row padded to four bytes, every pixel the colour the source gives.
TEST_F(BatchTest, BitmapFileHoldsTheDrawnColoursInWindowsBitmapForm) {
  constexpr int kW = 101, kH = 100, kRow = (3 * kW + 3) / 4 * 4;
  const Result result =
      Batch({"--source", "mt", "--file-type", "bmp", "--width", "101", "--height", "100", "--seed", "5", "--quiet"});
  ASSERT_EQ(result.status, 0) << result.err;
  const std::string bytes = test::ReadFile(folder_ / "RAND0001.BMP");
  ASSERT_EQ(bytes.size(), 54u + kRow * kH);
  const auto field = [&](std::size_t at, int size) {
    uint32_t v = 0;
    for (int i = size - 1; i >= 0; --i) v = v << 8 | static_cast<uint8_t>(bytes[at + static_cast<std::size_t>(i)]);
    return v;
  };
  EXPECT_EQ(bytes.substr(0, 2), "BM");
  // size, offset of the pixels, header size, width, height, planes, bits, compression, image size
  EXPECT_EQ((std::vector<uint32_t>{field(2, 4), field(10, 4), field(14, 4), field(18, 4), field(22, 4), field(26, 2),
                                   field(28, 2), field(30, 4), field(34, 4)}),
            (std::vector<uint32_t>{static_cast<uint32_t>(bytes.size()), 54, 40, kW, kH, 1, 24, 0, kRow * kH}));
  core_.SeedSource(kSourceMersenneTwister, 5);
  for (int x = 0; x < kW; ++x) {
    for (int y = 0; y < kH; ++y) {
      const auto colour = static_cast<uint32_t>(std::nearbyint(core_.mt.MTReal() * 16777215.0));
      // Stored blue, green, red: red is the colour's low byte.
      const std::size_t at = 54 + static_cast<std::size_t>((kH - 1 - y) * kRow + 3 * x);
      ASSERT_EQ(field(at, 3), (colour & 0xFF) << 16 | (colour & 0xFF00) | colour >> 16) << x << "," << y;
    }
  }
  for (int y = 0; y < kH; ++y) EXPECT_EQ(field(static_cast<std::size_t>(54 + y * kRow + 3 * kW), kRow - 3 * kW), 0u);
}

// --source alea reads the node that --device names. On a terminal, standard
// error shows how far the job has got; elsewhere nothing.
TEST_F(BatchTest, AleaReadsTheNamedNodeAndShowsProgressOnlyOnATerminal) {
  const std::string bytes("\x01\x00\x00\x00\xFF\xFF\xFF\xFF", 8);
  std::jthread node = test::FifoDevice(logs_ / "node", bytes);
  const std::vector<std::string> args = {"--source", "alea",          "--device", logs_ / "node", "--file-type",
                                         "asc",      "--number-type", "long32",   "--count",      "2"};
  // The test holds the terminal's other end open too, so that what the tool
  // showed stays readable after it has ended.
  const int terminal = ::posix_openpt(O_RDWR | O_NOCTTY);
  ASSERT_TRUE(terminal >= 0 && ::grantpt(terminal) == 0 && ::unlockpt(terminal) == 0);
  const int other_end = ::open(::ptsname(terminal), O_RDWR | O_NOCTTY);
  Result result = Batch(args, {.err = ::ptsname(terminal)});
  node = test::FifoDevice(logs_ / "node", bytes);
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(test::ReadFile(folder_ / "RAND0001.ASC"), "\"1\"\r\n\"-1\"\r\n");
  char shown[4096];
  const std::string line(shown, static_cast<std::size_t>(std::max<ssize_t>(::read(terminal, shown, sizeof shown), 0)));
  ::close(other_end);
  ::close(terminal);
  EXPECT_TRUE(std::regex_search(line, std::regex("\rfile 1 of 1: 11 B written, [0-9.]+ [kMG]?B/s, 0:00:00 left")))
      << line;

  result = Batch(args);
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.err, "");
}

// The kernel's generator (its values are checked in random_sources_test)
// writes .BIN files of the asked size; --count 0 streams until the reader
// closes the pipe, which ends the tool quietly with status 0 (pipefail would
// show any other status).
TEST_F(BatchTest, KernelSourceWritesFilesAndEndlessStdoutEndsQuietly) {
  const Result bin = Batch({"--source", "os", "--count", "100000", "--quiet"});
  EXPECT_EQ(bin.status, 0) << bin.err;
  EXPECT_EQ(test::ReadFile(folder_ / "RAND0001.BIN").size(), 100000u);
  for (const std::string type : {"bin", "asc", "csv"}) {
    const Result result = test::ProgramRun("/bin/bash")
                              .Run(folder_.dir(), {"-c", "set -o pipefail; '" QUIBRAN_BATCH_PATH
                                                         "' --source os --stdout --count 0 --file-type " +
                                                             type + " | head -c 3000000 | wc -c"});
    EXPECT_EQ(result.status, 0) << type << result.err;
    EXPECT_EQ(result.out, "3000000\n") << type;
    EXPECT_EQ(result.err, "") << type;
  }
}

// Files of the secret sources (the device, the kernel) are their owner's
// alone whatever the umask, in place of a file of the name open to all;
// the others' files get what the umask leaves of 0666.
TEST_F(BatchTest, SecretSourcesWriteFilesForTheirOwnerOnly) {
  const mode_t umask = ::umask(022);
  for (const auto& [args, file, mode] : std::vector<std::tuple<std::vector<std::string>, std::string, mode_t>>{
           {{"--source", "mt"}, "RAND0001.BIN", 0644},
           {{"--source", "os", "--file-type", "csv"}, "RAND0001.CSV", 0600},
           {{"--source", "alea", "--device", "/dev/urandom", "--file-type", "asc"}, "RAND0001.ASC", 0600},
           {{"--source", "os", "--file-type", "bmp"}, "RAND0001.BMP", 0600}}) {
    std::ofstream(folder_ / file) << "old";
    ::chmod((folder_ / file).c_str(), 0666);
    const Result result = Batch(args);
    EXPECT_EQ(result.status, 0) << result.err;
    struct stat status {};
    EXPECT_TRUE(::stat((folder_ / file).c_str(), &status) == 0 && (status.st_mode & 07777) == mode)
        << file << " " << std::oct << status.st_mode;
  }
  ::umask(umask);
}

// Ctrl-C puts the file being written under its name with what it holds and
// exits 130; a kill leaves it under its temporary name only.
TEST_F(BatchTest, InterruptKeepsWhatTheFileHoldsAndAKillLeavesItUnfinished) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  const auto await = [&](const std::function<bool()>& ready) {
    while (!ready() && std::chrono::steady_clock::now() < deadline) {
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
  };
  const std::string path = folder_ / "RAND0001.BIN";
  for (const auto& [signal, status] : {std::pair{SIGINT, 130}, {SIGKILL, -1}}) {
    std::filesystem::remove(path);
    // Wichmann-Hill bytes up to the limit would take many seconds.
    const pid_t pid = Start({"--source", "wh", "--count", "2147483646", "--seed", "3", "--quiet"});
    await([&] { return !Partials().empty(); });
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    ::kill(pid, signal);
    const Result result = Wait(pid);
    EXPECT_EQ(result.status, status) << result.err;
    EXPECT_EQ(result.out, "");
    const std::vector<std::string> partials = Partials();
    EXPECT_EQ(std::filesystem::exists(path), signal == SIGINT) << signal;
    ASSERT_EQ(partials.size(), signal == SIGINT ? 0u : 1u) << signal;
    const std::string written = test::ReadFile(signal == SIGINT ? path : partials[0]);
    EXPECT_LT(written.size(), 2147483646u);
    core_.SeedSource(kSourceWichmannHill, 3);
    EXPECT_EQ(written, test::DrawnBytes(core_, kSourceWichmannHill, written.size())) << signal;
  }

  // A stop still says so when the list of names could not be written.
  const pid_t many =
      Start({"--source", "wh", "--count", "1000000", "--files", "9999", "--quiet"}, {.out = "/dev/full"});
  await([&] { return std::filesystem::exists(folder_ / "RAND0002.BIN"); });
  ::kill(many, SIGINT);
  const Result stopped = Wait(many);
  EXPECT_EQ(stopped.status, 130) << stopped.err;
  EXPECT_NE(stopped.err.find("cannot write the file names"), std::string::npos) << stopped.err;
}

// Ctrl-C ends the wait for a node that gives nothing (a FIFO without writer)
// as it stops a job: status 130, the file holds nothing.
TEST_F(BatchTest, InterruptEndsTheWaitForASilentNode) {
  ASSERT_EQ(::mkfifo((logs_ / "silent").c_str(), 0600), 0);
  const pid_t pid = Start({"--source", "alea", "--device", logs_ / "silent", "--quiet"});
  // Until the job has made its file and waits for the node.
  for (int ms = 0; ms < 100 || (folder_.FileCount() == 0 && ms < 20000); ++ms) {
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  ::kill(pid, SIGINT);
  EXPECT_EQ(Wait(pid).status, 130);
  EXPECT_EQ(test::ReadFile(folder_ / "RAND0001.BIN"), "");
}

}  // namespace
}  // namespace quibran
