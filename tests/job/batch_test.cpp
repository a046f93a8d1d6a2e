// SPDX-License-Identifier: GPL-3.0-or-later
// End-to-end runs of quibran-batch. The seeded sources' files are checked
// against a twin: the generators themselves, seeded as --seed seeds them,
// each value made from its unit value by its type's rule, and written as the
// C library writes it.

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <regex>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include "platform/output_file.h"
#include "program_run.h"
#include "random/random_sources.h"
#include "temp_folder.h"

namespace quibran {
namespace {

using Result = test::ProgramResult;
using Args = std::vector<std::string>;

// A value rounded to `digits` significant digits by the C library, read back.
double Rounded(double value, int digits) {
  char text[40];
  std::snprintf(text, sizeof text, "%.*e", digits - 1, value);
  return std::strtod(text, nullptr);
}

// Checks the written text of a drawn value: whole numbers as their digits,
// Long (32 bits) between quotation marks, reals without a leading zero or a
// small e, reading back as the value rounded to 7 (single) or 15 digits.
void ExpectWritten(const std::string& text, double drawn, int num_type) {
  if (num_type == kNumSingle || num_type == kNumDouble) {
    EXPECT_FALSE(text.empty() || text.starts_with("0.") || text.find('e') != std::string::npos) << text;
    EXPECT_EQ(std::strtod(text.c_str(), nullptr), Rounded(drawn, num_type == kNumSingle ? 7 : 15)) << text;
  } else {
    const std::string digits = std::to_string(static_cast<uint32_t>(drawn));
    EXPECT_EQ(text, num_type == kNumLong32 ? "\"" + digits + "\"" : digits);
  }
}

// Checks that `text` is rows of `columns` values, each row ended by CR LF
// and its values separated by commas, the values those that `next` draws;
// returns the number of rows.
std::size_t ExpectRows(const std::string& text, int columns, int num_type, const std::function<double()>& next) {
  const std::vector<std::string> rows = test::Split(text, "\r\n");
  for (const std::string& row : rows) {
    const std::vector<std::string> cells = test::Split(row + ",", ",");
    EXPECT_EQ(cells.size(), static_cast<std::size_t>(columns)) << row;
    for (const std::string& cell : cells) ExpectWritten(cell, next(), num_type);
    if (::testing::Test::HasFailure()) break;
  }
  return rows.size();
}

// A seeded source's values, made from the unit value x: floor(x * 2^bits)
// for the whole-number types, except that Color and Wichmann-Hill's Long
// (31 bits) round, halves to even; the reals are x itself. Source 3 takes
// each value from Wichmann-Hill when the value before it was odd (a real
// when above one half), the first when the seed is odd.
struct Twin {
  Twin(int source_index, int32_t seed) : source(source_index) {
    mt.MTInit(seed);
    wh.WHSeed(static_cast<double>(seed));
    rnd.Seed(static_cast<uint32_t>(seed));
    from_wh = source == kSourceWichmannHill || (source == kSourceMtWh && seed % 2 != 0);
  }
  double Next(int type) {
    const double x = source == kSourceRnd ? rnd.Rnd() : from_wh ? wh.WHNext() : mt.MTReal();
    static constexpr double kScale[] = {256.0, 32768.0, 65536.0, 2147483648.0, 4294967296.0};
    const double v = type == kNumSingle              ? static_cast<float>(x)
                     : type == kNumDouble            ? x
                     : type == kNumColor             ? std::nearbyint(x * 16777215.0)
                     : type == kNumLong31 && from_wh ? std::nearbyint(x * 2147483647.0)
                                                     : std::floor(x * kScale[type]);
    if (source == kSourceMtWh) from_wh = std::fmod(std::nearbyint(v), 2.0) != 0;
    return v;
  }
  int source;
  bool from_wh;
  MersenneTwister mt;
  WichmannHill wh;
  PlatformRnd rnd;
};

class BatchTest : public ::testing::Test {
 protected:
  // Runs quibran-batch in the test's folder, so that it holds only what the
  // tool writes.
  pid_t Start(const Args& args, const test::Launch& launch = {}) { return run_.Start(folder_.dir(), args, launch); }
  Result Batch(const Args& args, const test::Launch& launch = {}) { return run_.Wait(Start(args, launch)); }
  std::vector<std::string> Partials() const {
    std::vector<std::string> partials;
    for (const auto& entry : std::filesystem::directory_iterator(folder_.dir())) {
      if (IsPartialFileName(entry.path().string())) partials.push_back(entry.path());
    }
    return partials;
  }

  test::ProgramRun run_{QUIBRAN_BATCH_PATH};
  test::TempFolder folder_;
};

// Every seeded source, file type and number type: standard output, or
// (every third run) two files that continue one stream, their names
// printed; or the "Not Available" code of a type the writer lacks. A
// bitmap is an uncompressed 24-bit Windows bitmap, bottom row first, rows
// padded to four bytes, blue, green, red; --monochrome draws white when the
// platform generator's value x 16777215 is above 8388607.
TEST_F(BatchTest, SeededSourcesWriteTheirGeneratorsValues) {
  constexpr int kCount = 3000, kRows = 500, kColumns = 7, kBytes = 100000, kW = 101, kH = 100;
  constexpr int kRow = (3 * kW + 3) / 4 * 4;
  // What each text and CSV writer lacks: source, file type, the types, the code.
  const std::tuple<int, int, std::vector<int>, std::string> lacks[] = {
      {kSourceMersenneTwister, kFileCsv, {kNumLong31, kNumLong32}, "GB002"},
      {kSourceRnd, kFileAsc, {kNumLong31, kNumLong32, kNumDouble}, "GB003"},
      {kSourceRnd, kFileCsv, {kNumLong31, kNumLong32, kNumDouble}, "GB004"},
      {kSourceWichmannHill, kFileAsc, {kNumLong32}, "GB005"},
      {kSourceWichmannHill, kFileCsv, {kNumLong32}, "GB006"},
      {kSourceMtWh, kFileAsc, {kNumLong32}, "GB005"},
      {kSourceMtWh, kFileCsv, {kNumLong32}, "GB006"}};
  static constexpr const char* kFileTypes[] = {"bin", "asc", "bmp", "csv"};
  static constexpr const char* kTypes[] = {"byte", "int15", "int16", "long31", "long32", "single", "double"};
  struct Run {
    int source, seed, file_type, type;
    bool monochrome;
  };
  std::vector<Run> runs;
  for (const auto& [source, seed] :
       {std::pair{kSourceMersenneTwister, 42}, {kSourceRnd, -3}, {kSourceWichmannHill, -7}, {kSourceMtWh, 5}}) {
    runs.push_back({source, seed, kFileBin, kNumByte, false});
    for (int type = kNumByte; type <= kNumDouble; ++type) {
      runs.push_back({source, seed, kFileAsc, type, false});
      runs.push_back({source, seed, kFileCsv, type, false});
    }
    runs.push_back({source, seed, kFileBmp, kNumColor, false});
  }
  runs.push_back({kSourceWichmannHill, 9, kFileBmp, kNumColor, true});
  int run_number = 0;
  for (const auto& [source, seed, file_type, type, monochrome] : runs) {
    const bool bitmap = file_type == kFileBmp;
    Args args = {"--source", std::string(kSourceCapabilities[static_cast<std::size_t>(source)].command_name),
                 "--seed=" + std::to_string(seed), "--file-type", kFileTypes[file_type]};
    if (bitmap) {
      args.insert(args.end(), {"--width", std::to_string(kW), "--height", std::to_string(kH), "--quiet"});
      if (monochrome) args.push_back("--monochrome");
    } else {
      // Sizes take head -c's multipliers: powers of 1024, or with B of 1000.
      const char* count = file_type == kFileBin ? "100KB" : file_type == kFileAsc ? "3kB" : "500";
      args.insert(args.end(), {"--number-type", kTypes[type], "--count", count});
      if (file_type == kFileCsv) args.insert(args.end(), {"--columns", std::to_string(kColumns)});
    }
    const bool to_stdout = !bitmap && ++run_number % 3 != 0;
    if (!bitmap) args.insert(args.end(), to_stdout ? "--stdout" : "--files=2");
    std::string line;
    for (const std::string& arg : args) line += arg + " ";
    SCOPED_TRACE(line);
    for (const auto& entry : std::filesystem::directory_iterator(folder_.dir())) std::filesystem::remove(entry);
    const Result result = Batch(args);
    std::string lacking;
    for (const auto& [s, f, types, code] : lacks) {
      if (s == source && f == file_type && std::find(types.begin(), types.end(), type) != types.end()) {
        lacking = code;
      }
    }
    if (!lacking.empty()) {
      EXPECT_EQ(result.status, 2);
      EXPECT_NE(result.err.find("Not Available [" + lacking + "]"), std::string::npos) << result.err;
      EXPECT_EQ(folder_.FileCount(), 0u);
      continue;
    }
    ASSERT_EQ(result.status, 0) << result.err;
    Twin twin(source, seed);
    if (bitmap) {
      const std::string bytes = test::ReadFile(folder_ / "RAND0001.BMP");
      ASSERT_EQ(bytes.size(), 54u + kRow * kH);
      const auto field = [&](std::size_t at, int size) {
        uint32_t v = 0;
        for (int i = size - 1; i >= 0; --i) v = v << 8 | static_cast<uint8_t>(bytes[at + static_cast<std::size_t>(i)]);
        return v;
      };
      // "BM", size, offset of the pixels, header size, width, height, planes, bits, compression, image size
      EXPECT_EQ((std::vector<uint32_t>{field(0, 2), field(2, 4), field(10, 4), field(14, 4), field(18, 4), field(22, 4),
                                       field(26, 2), field(28, 2), field(30, 4), field(34, 4)}),
                (std::vector<uint32_t>{0x4D42, 54 + kRow * kH, 54, 40, kW, kH, 1, 24, 0, kRow * kH}));
      for (int x = 0; x < kW; ++x) {
        for (int y = 0; y < kH; ++y) {
          const auto colour = static_cast<uint32_t>(
              monochrome ? (twin.rnd.Rnd() * 16777215.0 > 8388607.0 ? 0xFFFFFF : 0) : twin.Next(kNumColor));
          const std::size_t at = 54 + static_cast<std::size_t>((kH - 1 - y) * kRow + 3 * x);
          ASSERT_EQ(field(at, 3), (colour & 0xFF) << 16 | (colour & 0xFF00) | colour >> 16) << x << "," << y;
          EXPECT_TRUE(x > 0 || field(at + 3 * kW, kRow - 3 * kW) == 0) << "the padding of row " << y;
        }
      }
      continue;
    }
    const auto expect_stream = [&](const std::string& text) {
      if (file_type == kFileBin) {
        std::string bytes;
        for (int i = 0; i < kBytes; ++i) bytes += static_cast<char>(twin.Next(kNumByte));
        EXPECT_TRUE(text == bytes);
      } else {
        const int columns = file_type == kFileCsv ? kColumns : 1;
        EXPECT_EQ(ExpectRows(text, columns, type, [&] { return twin.Next(type); }),
                  static_cast<std::size_t>(file_type == kFileCsv ? kRows : kCount));
      }
    };
    if (to_stdout) {
      expect_stream(result.out);
      EXPECT_EQ(folder_.FileCount(), 0u);
      continue;
    }
    const std::string extension = file_type == kFileBin ? ".BIN" : file_type == kFileAsc ? ".ASC" : ".CSV";
    EXPECT_EQ(result.out, "./RAND0001" + extension + "\n./RAND0002" + extension + "\n");
    for (const char* number : {"0001", "0002"})
      expect_stream(test::ReadFile(folder_ / ("RAND" + std::string(number) + extension)));
  }
}

// Bad options end with status 2, a destination that cannot be written with
// status 1; either way with the reason on standard error and no file.
TEST_F(BatchTest, BadInputAndUnwritableDestinationWriteNothing) {
  const std::string missing = folder_ / "missing";
  for (const auto& [args, status, reason] : std::vector<std::tuple<Args, int, std::string>>{
           {{"--colour", "red"}, 2, "quibran-batch: unknown option '--colour' (see --help)\n"},
           {{"--", "PAD"}, 2, "unexpected argument 'PAD'"},
           {{"--quiet=yes"}, 2, "--quiet takes no value"},
           {{"--count", "--quiet"}, 2, "--count needs a value"},
           {{"--stem", "A\"B"}, 2, "--stem: a double quotation mark or a line break cannot be part of a name"},
           {{"--source", "dice"}, 2, "--source: 'dice' is not one of mt|rnd|wh|mtwh|alea|os"},
           {{"--count", "1X"}, 2, "--count: '1X' is not a whole number from 1 to 2147483646"},
           {{"--file-type", "asc", "--count", "2GB"}, 2, "--count: '2GB' is more than 1073741824, the most it takes"},
           {{"--count", "99999999999999999999"}, 2, "is more than 2147483646"},
           {{"--stdout", "--count", "-1K"}, 2, "--count: '-1K' is less than 0, the least it takes"},
           {{"--stdout", "--files", "2"}, 2, "--stdout writes no files: it takes no --files"},
           {{"--file-type", "bmp", "--count", "200"}, 2, "--count: a bitmap takes --width and --height"},
           {{"--monochrome"}, 2, "--monochrome: only for --file-type bmp"},
           {{"--stem", "a/b"}, 2, "--stem: a stem cannot hold a folder"},
           {{"--device", "/dev/urandom"}, 2, "--device goes with --source alea"},
           {{"--seed", "1"}, 2, "without --source the kernel's generator (os) is used, which takes no seed"},
           {{"--number-type", "int16"}, 2, ".BIN files hold Byte values only"},
           {{"--file-type", "bmp", "--files", "2"}, 2, "quibran-batch: Only one bitmap can be generated at a time.\n"},
           {{"--dir", missing}, 1, "quibran-batch: Error Number 76: Path not found\n" + missing + "/RAND0001.BIN\n"},
           {{"--source", "alea", "--device", missing}, 1, "Error Number 68: Alea Device:  Device unavailable"},
       }) {
    const Result result = Batch(args);
    EXPECT_EQ(result.status, status) << args[0] << " " << reason;
    EXPECT_NE(result.err.find(reason), std::string::npos) << result.err;
    EXPECT_EQ(result.out, "");
  }
  EXPECT_EQ(folder_.FileCount(), 0u);

  // A full standard output loses the list of names (or the help), not the files.
  Result result = Batch({"--files", "3", "--quiet"}, {.out = "/dev/full"});
  EXPECT_EQ(result.status, 1);
  EXPECT_EQ(result.err, "quibran-batch: cannot write the file names to standard output: No space left on device\n");
  EXPECT_EQ(test::ReadFile(folder_ / "RAND0003.BIN").size(), 1024u);
  result = Batch({"--help"}, {.out = "/dev/full"});
  EXPECT_EQ(result.status, 1);
  EXPECT_EQ(result.err, "quibran-batch: cannot write to standard output: No space left on device\n");
}

// --count 0 streams until the reader closes the pipe, which ends the tool
// quietly with status 0 (pipefail would show any other status).
TEST_F(BatchTest, EndlessStdoutEndsQuietlyWhenTheReaderGoes) {
  const Result result =
      test::ProgramRun("/bin/bash")
          .Run(folder_.dir(),
               {"-c", "set -eo pipefail; for type in bin csv; do '" QUIBRAN_BATCH_PATH
                      "' --source os --stdout --count 0 --file-type $type | head -c 3000000 | wc -c; done"});
  EXPECT_EQ(result.status, 0) << result.err;
  EXPECT_EQ(result.out, "3000000\n3000000\n");
  EXPECT_EQ(result.err, "");
}

// Without options: one file of 1024 bytes from the kernel's generator in
// the current folder, its name printed; zero files write one. Files of the
// secret sources (the kernel, the device) are their owner's alone whatever
// the umask, in place of a file of the name open to all; the others' files
// get what the umask leaves of 0666.
TEST_F(BatchTest, DefaultsAndSecretSourcesFilesForTheirOwnerOnly) {
  const mode_t umask = ::umask(022);
  for (const auto& [args, file, mode, size] : std::vector<std::tuple<Args, std::string, mode_t, std::size_t>>{
           {{}, "RAND0001.BIN", 0600, 1024},
           {{"--source", "mt", "--files", "0", "--start", "5", "--stem", "M"}, "M0005.BIN", 0644, 1024},
           {{"--file-type", "csv", "--number-type", "long32"}, "RAND0001.CSV", 0600, 0},
           {{"--source", "os", "--file-type", "bmp"}, "RAND0001.BMP", 0600, 54 + 300 * 100}}) {
    std::ofstream(folder_ / file) << "old";
    ::chmod((folder_ / file).c_str(), 0666);
    const Result result = Batch(args);
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out, "./" + file + "\n");
    struct stat status {};
    EXPECT_TRUE(::stat((folder_ / file).c_str(), &status) == 0 && (status.st_mode & 07777) == mode)
        << file << " " << std::oct << status.st_mode;
    EXPECT_EQ(size > 0 ? test::ReadFile(folder_ / file).size() : 0u, size) << file;
  }
  ::umask(umask);
  // The kernel's Long (32 bits) in CSV files, as only it and the device write.
  const std::string csv = test::ReadFile(folder_ / "RAND0001.CSV");
  const std::vector<std::string> rows = test::Split(csv, "\r\n");
  EXPECT_EQ(rows.size(), 1024u);
  // Row by row: std::regex recurses once per character matched.
  for (const std::string& row : rows) ASSERT_TRUE(std::regex_match(row, std::regex("\"[0-9]+\",\"[0-9]+\""))) << row;
}

// Ctrl-C puts the file being written under its name with what it holds and
// exits 130, and ends the wait for a node that gives nothing; a kill leaves
// the file under its temporary name only.
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
    const Result result = run_.Wait(pid);
    EXPECT_EQ(result.status, status) << result.err;
    const std::vector<std::string> partials = Partials();
    EXPECT_EQ(std::filesystem::exists(path), signal == SIGINT) << signal;
    ASSERT_EQ(partials.size(), signal == SIGINT ? 0u : 1u) << signal;
    const std::string written = test::ReadFile(signal == SIGINT ? path : partials[0]);
    EXPECT_LT(written.size(), 2147483646u);
    Twin twin(kSourceWichmannHill, 3);
    bool same = true;
    for (const char byte : written) same = same && static_cast<uint8_t>(byte) == twin.Next(kNumByte);
    EXPECT_TRUE(same) << signal;
  }

  const std::string silent = run_.logs() / "silent";
  ASSERT_EQ(::mkfifo(silent.c_str(), 0600), 0);
  const pid_t waiting = Start({"--source", "alea", "--device", silent, "--quiet", "--stem", "S"});
  // Until the job has made its file and waits for the node.
  await([&] { return !Partials().empty(); });
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  ::kill(waiting, SIGINT);
  EXPECT_EQ(run_.Wait(waiting).status, 130);
  EXPECT_EQ(test::ReadFile(folder_ / "S0001.BIN"), "");
}

}  // namespace
}  // namespace quibran
