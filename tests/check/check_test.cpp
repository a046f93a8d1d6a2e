// SPDX-License-Identifier: GPL-3.0-or-later
// quibran-check: its figures against ent's, rngtest's and sha256sum's on
// the same files (read in several pieces), its answers to bad input, and
// its verdicts and names.

#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <regex>
#include <string>
#include <tuple>
#include <vector>

#include "check/report.h"
#include "fixed_clock.h"
#include "job/temp_folder.h"
#include "platform/kernel_random.h"
#include "program_run.h"
#include "random/random_sources.h"

namespace quibran {
namespace {

std::string Twister(std::size_t size, int32_t seed) {
  const test::FixedClock clock(46000, 0.0f);
  RandomSources sources(clock);
  sources.SeedSource(kSourceMersenneTwister, seed);
  std::string bytes(size, '\0');
  sources.DrawBytes(kSourceMersenneTwister, reinterpret_cast<uint8_t*>(bytes.data()), size);
  return bytes;
}

// What a shell command writes to standard output.
std::string Shell(const std::string& command) { return test::ProgramRun("/bin/bash").Run("/", {"-c", command}).out; }

TEST(Verdict, JudgesBothTestsAtTheirThresholds) {
  const auto report = [](uint64_t blocks, uint64_t failures, double exceeded) {
    FileReport r;
    r.size = blocks * 2500 + 4;
    r.fips.blocks = blocks;
    r.fips.failures = failures;
    r.bytes.chi_square_exceeded = exceeded;
    return r;
  };
  using enum Judgement;
  EXPECT_EQ((std::vector{Judge(report(4000, 3, 0.995)), Judge(report(4000, 10, 0.5)), Judge(report(4000, 20, 0.5))}),
            (std::vector{Suspect, Suspect, NotRandom}));
  EXPECT_EQ(Verdict(report(4000, 3, 0.412)),
            "looks random: FIPS failures 3 of 4000 blocks (expected about 3.2), chi-square 41.20 %");
  EXPECT_EQ(Verdict(report(400000, 323, 0.00001)),
            "not random: FIPS failures 323 of 400000 blocks (expected about 323), chi-square less than 0.01 %");
}

// Names keep their exact bytes: what is not UTF-8 becomes \xHH, and a
// backslash two; JSON escapes its own, the text form controls too.
TEST(Names, EscapesKeepEveryByteAndControlsOffTheTerminal) {
  for (const auto& [name, json, text] : std::vector<std::tuple<std::string, std::string, std::string>>{
           {"a \"b\" \\ \n", R"("a \"b\" \\\\ \u000a")", "a \"b\" \\\\ \\x0A"},
           {"\xC3\x9F \xE2\x82\xAC \xF0\x9F\x8E\xB2", "\"\xC3\x9F \xE2\x82\xAC \xF0\x9F\x8E\xB2\"",
            "\xC3\x9F \xE2\x82\xAC \xF0\x9F\x8E\xB2"},
           {"\xFF\xFE\\xFF \xC3", R"("\\xFF\\xFE\\\\xFF \\xC3")", R"(\xFF\xFE\\xFF \xC3)"},  // the last cut short
           {"\xE0\x80\xAF\xED\xA0\x80", R"("\\xE0\\x80\\xAF\\xED\\xA0\\x80")", R"(\xE0\x80\xAF\xED\xA0\x80)"},
           {"\x7F\xC2\x9B[", "\"\x7F\xC2\x9B[\"", R"(\x7F\xC2\x9B[)"},  // DEL, C1 CSI
       }) {
    EXPECT_EQ(JsonString(name), json) << name;
    EXPECT_EQ(EscapedName(name, true), text) << name;
  }
}

using Figures = std::map<std::string, std::string>;

class CheckToolTest : public ::testing::Test {
 protected:
  test::ProgramResult Check(const std::vector<std::string>& args) { return run_.Run(folder_.dir(), args); }
  std::string Write(const std::string& name, const std::string& bytes) {
    std::ofstream(folder_ / name, std::ios::binary) << bytes;
    return folder_ / name;
  }
  // "key": value pairs of one JSON object, the values as printed.
  static Figures JsonFigures(const std::string& json) {
    Figures figures;
    const std::regex pair("\"(\\w+)\": (\"[^\"]*\"|[^,}]+)");
    for (std::sregex_iterator i(json.begin(), json.end(), pair), end; i != end; ++i) figures[(*i)[1]] = (*i)[2];
    return figures;
  }
  // The figures ent and rngtest print for a file, under quibran-check's keys.
  static Figures ReferenceFigures(const std::string& path) {
    Figures figures;
    const std::string ent = Shell("ent '" + path + "'");
    const auto find = [&](const std::string& text, const char* pattern, const char* key) {
      std::smatch m;
      if (std::regex_search(text, m, std::regex(pattern))) figures[key] = m[1];
    };
    find(ent, "Entropy = (\\S+) bits", "entropy");
    find(ent, "by (\\d+) percent", "compression_percent");
    find(ent, "samples is (\\S+), and", "chi_square");
    find(ent, "exceed this value ([\\d.]+) percent", "chi_square_percent");
    find(ent, "data bytes is (\\S+) \\(", "mean");
    find(ent, "Pi is ([\\d.]+) \\(error ([\\d.]+)", "monte_carlo_pi");
    find(ent, "\\(error ([\\d.]+) percent", "monte_carlo_error_percent");
    find(ent, "coefficient is (-?[\\d.]+)", "serial_correlation");
    if (ent.find("coefficient is undefined") != std::string::npos) figures["serial_correlation"] = "null";
    if (ent.find("exceed this value less than 0.01") != std::string::npos) figures["chi_square_percent"] = "0.00";
    if (ent.find("exceed this value more than") != std::string::npos) figures["chi_square_percent"] = "100.00";
    const std::string fips = Shell("rngtest < '" + path + "' 2>&1");
    find(fips, "successes: (\\d+)", "fips_successes");
    find(fips, "failures: (\\d+)", "fips_failures");
    find(fips, "Monobit: (\\d+)", "fips_monobit");
    find(fips, "Poker: (\\d+)", "fips_poker");
    find(fips, "Runs: (\\d+)", "fips_runs");
    find(fips, "Long run: (\\d+)", "fips_long_run");
    find(fips, "Continuous run: (\\d+)", "fips_continuous_run");
    figures["sha256"] = '"' + Shell("sha256sum < '" + path + "'").substr(0, 64) + '"';
    return figures;
  }

  test::TempFolder folder_;
  test::ProgramRun run_{QUIBRAN_CHECK_PATH};
};

// Every figure of ent and rngtest, with their digits, and sha256sum's digest:
// on zeros, a pattern, twister and kernel bytes, twister bytes with every 17th
// zeroed (meeting rngtest's quirks), under one FIPS block and seven bytes.
TEST_F(CheckToolTest, FiguresAgreeWithEntAndRngtest) {
  if (Shell("command -v ent && command -v rngtest").empty()) GTEST_SKIP() << "ent or rngtest is not installed";
  const std::string twister = Twister(3000000, 2024);
  std::string kernel(1000000, '\0'), sparse = twister.substr(1000000);
  for (std::size_t i = 0; i < sparse.size(); i += 17) sparse[i] = 0;
  FillFromKernel(kernel.data(), kernel.size());
  std::string pattern;
  while (pattern.size() < 250000) pattern += "Quibran/";  // half ones: monobit passes, poker fails
  const std::string files[] = {std::string(100000, '\0'), pattern,  twister.substr(0, 1000000), kernel, sparse,
                               twister.substr(0, 2000),   "Quibran"};
  for (const std::string& bytes : files) {
    const std::string name = std::to_string(bytes.size());
    const std::string path = Write(name, bytes);
    const test::ProgramResult result = Check({"--json", path});
    ASSERT_EQ(result.status, 0) << result.err;
    const Figures ours = JsonFigures(result.out);
    const Figures theirs = ReferenceFigures(path);
    EXPECT_EQ(theirs.size(), 16u) << name;
    for (const auto& [key, value] : theirs) EXPECT_EQ(ours.at(key), value) << name << " " << key;
  }
}

// Bad files are named on standard error with the reason; the others are
// still checked, in order, and the exit status is 1.
TEST_F(CheckToolTest, BadFilesAreReportedAndTheOthersStillChecked) {
  const std::string spaced = Write("pad mit L\u00FCcke.bin", std::string(2000, 'x'));
  const std::string empty = Write("empty", ""), missing = folder_ / "missing";
  test::ProgramResult result = Check({missing, empty, folder_.dir(), spaced});
  EXPECT_EQ(result.status, 1);
  EXPECT_EQ(result.err, "quibran-check: " + missing + ": cannot open: No such file or directory\nquibran-check: " +
                            folder_.dir() + ": cannot read: Is a directory\n");
  ASSERT_NE(result.out.find(empty + "\n"), std::string::npos);
  EXPECT_LT(result.out.find(empty + "\n"), result.out.find(spaced + "\n"));
  // A writer's temporary file is never a pad, whatever its bytes.
  const std::string partial = Write(".PAD0001.BIN.x7Qk2M.partial", std::string(3000, 'x'));
  result = Check({"--quiet", empty, spaced, partial});
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.out, empty + ": empty: nothing to check\n" + spaced +
                            ": too short to judge: 2000 bytes, fewer than the 2504 of one FIPS 140-2 block\n" +
                            partial + ": unfinished: a partial file that was never completed\n");
  // JSON: null for what has no meaning, an object for a file that cannot be read.
  result = Check({"--json", empty, missing});
  EXPECT_EQ(result.status, 1);
  const std::size_t line = result.out.find('\n');
  const Figures figures = JsonFigures(result.out.substr(0, line));
  EXPECT_EQ(std::tie(figures.at("size"), figures.at("entropy"), figures.at("serial_correlation")),
            std::tuple("0", "null", "null"));
  EXPECT_EQ(result.out.substr(line + 1),
            "{\"file\": \"" + missing + "\", \"error\": \"cannot open: No such file or directory\"}\n");
}

// Standard input as "-" (a pipe, or a file read from partway); /proc and /sys
// files; names not UTF-8 or with controls; --strict's status 3 unless a file
// is unreadable; usage errors (status 2); a report that cannot be written.
TEST_F(CheckToolTest, StandardInputKernelFilesNamesAndStrict) {
  Write("twister", Twister(100000, 2024));
  Write("zeros", std::string(100000, '\0'));
  const auto size = [](const char* path) { return std::to_string(test::ReadFile(path).size()); };
  for (const auto& [line, status, out_start] : std::vector<std::tuple<std::string, int, std::string>>{
           {"check 2>&1", 2, "quibran-check: no file given (see --help)\n"},
           {"check --colour x 2>&1", 2, "quibran-check: unknown option '--colour' (see --help)\n"},
           {"check --json --quiet x 2>&1", 2, "quibran-check: --json and --quiet exclude each other\n"},
           {": >-dash; check --quiet -- -dash", 0, "-dash: empty"},
           {"check --quiet zeros 2>&1 >/dev/full", 1, "quibran-check: cannot write the report to standard output"},
           {"head -c 100000 /dev/zero | check --quiet --strict -", 3, "-: not random: FIPS failures 39 of 39"},
           {"check --strict --json - <twister", 0, "{\"file\": \"-\", \"size\": 100000,"},
           {"{ dd bs=10 count=1 status=none of=/dev/null; check --json -; } <twister", 0,
            "{\"file\": \"-\", \"size\": 99990,"},
           {"check --quiet --strict twister zeros", 3, "twister: looks random"},
           {"check --quiet --strict zeros missing", 1, "zeros: not random"},
           {"check --json /proc/version", 0, "{\"file\": \"/proc/version\", \"size\": " + size("/proc/version")},
           {"check --quiet /sys/devices/system/cpu/online", 0,
            "/sys/devices/system/cpu/online: too short to judge: " + size("/sys/devices/system/cpu/online") + " bytes"},
           {R"(: >$'a\n\e[1m'; check $'a\n\e[1m')", 0, "a\\x0A\\x1B[1m\n  size"},
       }) {
    const test::ProgramResult result =
        test::ProgramRun("/bin/bash")
            .Run(folder_.dir(), {"-c", "check() { '" QUIBRAN_CHECK_PATH "' \"$@\"; }; " + line});
    EXPECT_EQ(result.status, status) << line << "\n" << result.err;
    EXPECT_EQ(result.out.substr(0, out_start.size()), out_start) << line;
  }
}

}  // namespace
}  // namespace quibran
