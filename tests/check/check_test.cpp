// SPDX-License-Identifier: GPL-3.0-or-later
// The statistics, the FIPS 140-2 counts and the verdicts, headless.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdio>
#include <ctime>
#include <fstream>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

#include "check/byte_statistics.h"
#include "check/fips_tests.h"
#include "check/report.h"
#include "check/sha256.h"
#include "fixed_clock.h"
#include "job/temp_folder.h"
#include "platform/input_file.h"
#include "random/random_sources.h"

namespace quibran {
namespace {

std::vector<uint8_t> TwisterBytes(std::size_t count, int32_t seed) {
  const test::FixedClock clock(46000, 0.0f);
  RandomSources sources(clock);
  sources.SeedSource(kSourceMersenneTwister, seed);
  std::vector<uint8_t> bytes(count);
  sources.DrawBytes(kSourceMersenneTwister, bytes.data(), count);
  return bytes;
}

constexpr std::size_t kBlock3 = 4 + 3 * 2500;  // where block 3 starts

// Sets `count` bits of block 3 from bit `first` on (most significant first) to `bit`.
void SetBits(std::vector<uint8_t>& bytes, std::size_t first, int count, int bit) {
  for (std::size_t i = first; i < first + static_cast<std::size_t>(count); ++i) {
    uint8_t& byte = bytes[kBlock3 + i / 8];
    const auto mask = static_cast<uint8_t>(0x80 >> (i % 8));
    byte = static_cast<uint8_t>(bit ? byte | mask : byte & ~mask);
  }
}

// Pieces of any size give the figures of the whole.
TEST(Checks, PiecesOfAnySizeGiveTheFiguresOfTheWhole) {
  const std::vector<uint8_t> bytes = TwisterBytes(60013, 9);
  ByteStatistics whole_stats, piece_stats;
  FipsTests whole_fips, piece_fips;
  whole_stats.Add(bytes.data(), bytes.size());
  whole_fips.Add(bytes.data(), bytes.size());
  for (std::size_t at = 0, size = 1; at < bytes.size(); at += size, size = size * 3 % 4099 + 1) {
    size = std::min(size, bytes.size() - at);
    piece_stats.Add(bytes.data() + at, size);
    piece_fips.Add(bytes.data() + at, size);
  }
  const ByteFigures a = whole_stats.Figures(), b = piece_stats.Figures();
  EXPECT_EQ(std::tie(a.entropy, a.chi_square, a.mean, a.monte_carlo_pi, a.serial_correlation),
            std::tie(b.entropy, b.chi_square, b.mean, b.monte_carlo_pi, b.serial_correlation));
  const FipsFigures& x = whole_fips.figures();
  const FipsFigures& y = piece_fips.figures();
  EXPECT_EQ(x.blocks, (bytes.size() - 4) / 2500);
  EXPECT_EQ(std::vector<uint64_t>({x.blocks, x.failures, x.monobit, x.poker, x.runs, x.long_run, x.continuous_run}),
            std::vector<uint64_t>({y.blocks, y.failures, y.monobit, y.poker, y.runs, y.long_run, y.continuous_run}));
}

// A failure planted in block 3 of ten blocks that pass is counted there, by
// its test, and nowhere else.
TEST(FipsTests, APlantedFailureIsCountedInItsBlockByItsTest) {
  struct Case {
    const char* name;
    std::vector<std::tuple<std::size_t, int, int>> bits;           // SetBits' arguments
    std::vector<std::pair<std::ptrdiff_t, std::ptrdiff_t>> words;  // 4 bytes copied from, to (from block 3's start)
    unsigned failed;
  };
  const Case cases[] = {
      {"nothing", {}, {}, 0},
      {"26 ones", {{803, 1, 0}, {804, 26, 1}, {830, 1, 0}}, {}, kFipsLongRun},
      {"25 ones", {{803, 1, 0}, {804, 25, 1}, {829, 1, 0}}, {}, 0},
      {"26 zeros at the end", {{19973, 1, 1}, {19974, 26, 0}}, {}, kFipsLongRun},
      {"a word repeated", {}, {{40, 44}}, kFipsContinuousRun},
      {"the block before's last word", {}, {{-4, 0}}, kFipsContinuousRun},
      {"all zeros", {{0, 20000, 0}}, {}, kFipsMonobit | kFipsPoker | kFipsRuns | kFipsLongRun | kFipsContinuousRun},
  };
  for (const Case& c : cases) {
    std::vector<uint8_t> bytes = TwisterBytes(4 + 10 * 2500 + 1000, 12);
    for (const auto& [first, count, bit] : c.bits) SetBits(bytes, first, count, bit);
    const auto block3 = bytes.begin() + static_cast<std::ptrdiff_t>(kBlock3);
    for (const auto& [from, to] : c.words) std::copy_n(block3 + from, 4, block3 + to);
    FipsTests fips;
    fips.Add(bytes.data(), bytes.size());
    const FipsFigures& f = fips.figures();
    EXPECT_EQ(f.blocks, 10u) << c.name;
    EXPECT_EQ(f.failures, c.failed ? 1u : 0u) << c.name;
    const std::vector<uint64_t> by_test = {f.monobit, f.poker, f.runs, f.long_run, f.continuous_run};
    for (std::size_t t = 0; t < 5; ++t) EXPECT_EQ(by_test[t], (c.failed >> t) & 1) << c.name << " test " << t;
  }
}

FileReport Report(uint64_t size, uint64_t blocks, uint64_t failures, double exceeded) {
  FileReport r;
  r.size = size;
  r.fips.blocks = blocks;
  r.fips.failures = failures;
  r.bytes.chi_square_exceeded = exceeded;
  return r;
}

TEST(Verdict, ReadsAtAGlance) {
  struct Case {
    FileReport report;
    std::string verdict;
  };
  for (const Case& c : std::vector<Case>{
           {Report(0, 0, 0, 1), "empty: nothing to check"},
           {Report(2503, 0, 0, 0.5), "too short to judge: 2503 bytes, fewer than the 2504 of one FIPS 140-2 block"},
           {Report(10000004, 4000, 3, 0.412),
            "looks random: FIPS failures 3 of 4000 blocks (expected about 3.2), chi-square 41.20 %"},
           {Report(10000004, 4000, 3, 0.995),
            "suspect: FIPS failures 3 of 4000 blocks (expected about 3.2), chi-square 99.50 %"},
           {Report(10000004, 4000, 10, 0.5),
            "suspect: FIPS failures 10 of 4000 blocks (expected about 3.2), chi-square 50.00 %"},
           {Report(10000004, 4000, 20, 0.5),
            "not random: FIPS failures 20 of 4000 blocks (expected about 3.2), chi-square 50.00 %"},
           {Report(1000000004, 400000, 323, 0.00001),
            "not random: FIPS failures 323 of 400000 blocks (expected about 323), chi-square less than 0.01 %"},
       }) {
    EXPECT_EQ(Verdict(c.report), c.verdict);
  }
}

// Names keep their exact bytes: what is not UTF-8 becomes \xHH, and a
// backslash two; JSON escapes its own, the text form controls too.
TEST(Names, EscapesKeepEveryByteAndControlsOffTheTerminal) {
  for (const auto& [name, json, text] : std::vector<std::tuple<std::string, std::string, std::string>>{
           {"a \"b\" \\ \n", R"("a \"b\" \\\\ \u000a")", "a \"b\" \\\\ \\x0A"},
           {"Gr\xC3\xBC\xC3\x9F \xE2\x82\xAC \xF0\x9F\x8E\xB2", "\"Gr\xC3\xBC\xC3\x9F \xE2\x82\xAC \xF0\x9F\x8E\xB2\"",
            "Gr\xC3\xBC\xC3\x9F \xE2\x82\xAC \xF0\x9F\x8E\xB2"},
           {"\xFF\xFE\\xFF \xC3", R"("\\xFF\\xFE\\\\xFF \\xC3")", R"(\xFF\xFE\\xFF \xC3)"},  // the last cut short
           {"\xE0\x80\xAF\xED\xA0\x80", R"("\\xE0\\x80\\xAF\\xED\\xA0\\x80")", R"(\xE0\x80\xAF\xED\xA0\x80)"},
           {"\x7F\xC2\x9B"
            "1m",
            "\"\x7F\xC2\x9B"
            "1m\"",
            R"(\x7F\xC2\x9B1m)"},  // DEL, C1 CSI
       }) {
    EXPECT_EQ(JsonString(name), json) << name;
    EXPECT_EQ(EscapedName(name, true), text) << name;
  }
}

// What CheckFile calls a file that changed while being read: a new size,
// modification time or status change time (a write that set the
// modification time back changes that).
TEST(InputFile, SeesARegularFileChangeAfterItWasOpened) {
  test::TempFolder folder;
  std::ofstream(folder / "f", std::ios::binary) << "abc";
  struct stat opened {};
  ASSERT_EQ(::stat((folder / "f").c_str(), &opened), 0);
  InputFile file(folder / "f");
  EXPECT_EQ(file.size(), std::optional<uint64_t>(3));
  EXPECT_FALSE(file.Changed());
  // File times come from a clock that moves in ticks: the next one.
  for (timespec now{}; ::clock_gettime(CLOCK_REALTIME_COARSE, &now) == 0 && now.tv_sec == opened.st_ctim.tv_sec &&
                       now.tv_nsec <= opened.st_ctim.tv_nsec;) {}
  std::ofstream(folder / "f", std::ios::binary | std::ios::in) << "xyz";
  const timespec times[2] = {opened.st_atim, opened.st_mtim};
  ASSERT_EQ(::utimensat(AT_FDCWD, (folder / "f").c_str(), times, 0), 0);
  EXPECT_TRUE(file.Changed());
  const InputFile device("/dev/null");  // no size known beforehand, never "changed"
  EXPECT_FALSE(device.size() || device.Changed());
}

// The digest of bytes added in pieces of every kind (one byte, either side of
// the 64-byte block, a long run cut at odd places) against coreutils'
// sha256sum of the same bytes as one file.
TEST(Sha256, DigestOfPiecesMatchesSha256sumOfTheWhole) {
  test::TempFolder folder;
  const std::vector<uint8_t> big = TwisterBytes((1 << 20) + 4099, 17);
  const struct {
    std::size_t size;
    std::vector<std::size_t> cuts;  // where the input is split between Add calls
  } cases[] = {{1, {}},
               {63, {1}},
               {64, {63}},
               {65, {64}},
               {1000, {1, 64, 65, 129, 999}},
               {big.size(), {0, 3, 64 * 1021 + 5, 500000, 1048575, big.size()}}};
  for (const auto& c : cases) {
    const std::vector<uint8_t> bytes(big.begin(), big.begin() + static_cast<std::ptrdiff_t>(c.size));
    Sha256 sha;
    std::size_t from = 0;
    for (std::size_t cut : c.cuts) {
      sha.Add(bytes.data() + from, cut - from);
      from = cut;
    }
    sha.Add(bytes.data() + from, bytes.size() - from);
    std::ofstream(folder / "f", std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    std::string sum(64, ' ');
    FILE* pipe = ::popen(("sha256sum " + (folder / "f")).c_str(), "r");
    ASSERT_NE(pipe, nullptr);
    sum.resize(std::fread(sum.data(), 1, sum.size(), pipe));
    ::pclose(pipe);
    EXPECT_EQ(sha.HexDigest(), sum) << c.size << " bytes";
  }
}

}  // namespace
}  // namespace quibran
