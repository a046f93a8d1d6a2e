// SPDX-License-Identifier: GPL-3.0-or-later
// quibran-check as a user runs it: its figures against ent's and rngtest's
// on the same files (where the two are installed), and its answers to bad
// input.

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <regex>
#include <string>
#include <tuple>
#include <vector>

#include "fixed_clock.h"
#include "job/temp_folder.h"
#include "platform/kernel_random.h"
#include "program_run.h"
#include "random/random_sources.h"

namespace quibran {
namespace {

using Figures = std::map<std::string, std::string>;

class CheckToolTest : public ::testing::Test {
 protected:
  test::ProgramResult Check(const std::vector<std::string>& args) { return run_.Run(folder_.dir(), args); }
  std::string Write(const std::string& name, const std::string& bytes) {
    std::ofstream(folder_ / name, std::ios::binary) << bytes;
    return folder_ / name;
  }
  // Bytes of the twister seeded with 2024.
  static std::string Twister(std::size_t size) {
    const test::FixedClock clock(46000, 0.0f);
    RandomSources sources(clock);
    sources.SeedSource(kSourceMersenneTwister, 2024);
    std::string bytes(size, '\0');
    sources.DrawBytes(kSourceMersenneTwister, reinterpret_cast<uint8_t*>(bytes.data()), size);
    return bytes;
  }
  // The output of a shell command, and whether it could run.
  static std::string Shell(const std::string& command) {
    std::string out;
    if (FILE* pipe = ::popen(command.c_str(), "r")) {
      char buffer[4096];
      for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) out.append(buffer, n);
      ::pclose(pipe);
    }
    return out;
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
    return figures;
  }

  test::TempFolder folder_;
  test::ProgramRun run_{QUIBRAN_CHECK_PATH};
};

// Every figure that ent and rngtest print, with their digits: on zeros, a
// repeated pattern, bytes from the twister and from the kernel, twister
// bytes with every 17th zeroed (whose blocks meet rngtest's quirks) and a
// file shorter than one FIPS block.
TEST_F(CheckToolTest, FiguresAgreeWithEntAndRngtest) {
  if (Shell("command -v ent && command -v rngtest").empty()) GTEST_SKIP() << "ent or rngtest is not installed";
  const std::string twister = Twister(3000000);
  std::string kernel(1000000, '\0'), sparse = twister.substr(1000000);
  for (std::size_t i = 0; i < sparse.size(); i += 17) sparse[i] = 0;
  FillFromKernel(kernel.data(), kernel.size());
  std::string pattern;
  while (pattern.size() < 250000) pattern += "Quibran!";
  const std::vector<std::pair<std::string, std::string>> files = {{"zeros", std::string(100000, '\0')},
                                                                  {"pattern", pattern},
                                                                  {"twister", twister.substr(0, 1000000)},
                                                                  {"kernel", kernel},
                                                                  {"sparse", sparse},
                                                                  {"short", twister.substr(0, 2000)}};
  for (const auto& [name, bytes] : files) {
    const std::string path = Write(name, bytes);
    const test::ProgramResult result = Check({"--json", path});
    ASSERT_EQ(result.status, 0) << result.err;
    const Figures ours = JsonFigures(result.out);
    const Figures theirs = ReferenceFigures(path);
    EXPECT_EQ(theirs.size(), 15u) << name;
    for (const auto& [key, value] : theirs) EXPECT_EQ(ours.at(key), value) << name << " " << key;
  }
}

// Bad files are named on standard error with the reason; the others are
// still checked, in order, and the exit status is 1.
TEST_F(CheckToolTest, BadFilesAreReportedAndTheOthersStillChecked) {
  const std::string spaced = Write(
      "pad mit L\xC3\xBC"
      "cke.bin",
      std::string(2000, 'x'));
  const std::string empty = Write("empty", "");
  const std::string missing = folder_ / "missing";
  test::ProgramResult result = Check({missing, empty, folder_.dir(), spaced});
  EXPECT_EQ(result.status, 1);
  EXPECT_EQ(result.err, "quibran-check: " + missing + ": cannot open: No such file or directory\nquibran-check: " +
                            folder_.dir() + ": cannot read: Is a directory\n");
  ASSERT_NE(result.out.find(empty + "\n"), std::string::npos);
  EXPECT_LT(result.out.find(empty + "\n"), result.out.find(spaced + "\n"));
  EXPECT_NE(result.out.find("entropy               n/a\n"), std::string::npos);
  EXPECT_EQ(result.out.find("nan"), std::string::npos);

  // A writer's temporary file is never a pad, whatever its bytes.
  const std::string partial = Write(".PAD0001.BIN.x7Qk2M.partial", std::string(3000, 'x'));
  const std::string unfinished = ": unfinished: a partial file that was never completed\n";
  result = Check({"--quiet", empty, spaced, partial});
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.out, empty + ": empty: nothing to check\n" + spaced +
                            ": too short to judge: 2000 bytes, fewer than the 2504 of one FIPS 140-2 block\n" +
                            partial + unfinished);
  // A report that cannot be written is no success either.
  result = run_.Run(folder_.dir(), {"--quiet", empty}, {.out = "/dev/full"});
  EXPECT_EQ(result.status, 1);
  EXPECT_EQ(result.err, "quibran-check: cannot write the report to standard output: No space left on device\n");

  // JSON: every key, null for what has no meaning, an object for a file that cannot be read.
  result = Check({"--json", empty, missing});
  EXPECT_EQ(result.status, 1);
  const std::size_t line = result.out.find('\n');
  EXPECT_EQ(result.out.substr(0, line),
            "{\"file\": \"" + empty +
                "\", \"size\": 0, \"sha256\": \"e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855\", "
                "\"entropy\": null, \"compression_percent\": null, \"chi_square\": null, \"chi_square_percent\": null, "
                "\"mean\": null, \"monte_carlo_pi\": null, \"monte_carlo_error_percent\": null, "
                "\"serial_correlation\": null, \"fips_blocks\": 0, \"fips_successes\": 0, \"fips_failures\": 0, "
                "\"fips_monobit\": 0, \"fips_poker\": 0, \"fips_runs\": 0, \"fips_long_run\": 0, "
                "\"fips_continuous_run\": 0, \"verdict\": \"empty: nothing to check\"}");
  EXPECT_EQ(result.out.substr(line + 1),
            "{\"file\": \"" + missing + "\", \"error\": \"cannot open: No such file or directory\"}\n");
  EXPECT_EQ(JsonFigures(Check({"--json", partial}).out).at("verdict"),
            "\"" + unfinished.substr(2, unfinished.size() - 3) + "\"");
}

// Usage errors end with status 2 and one line on standard error; "--" ends
// the options.
TEST_F(CheckToolTest, UsageErrorsAndTheEndOfOptions) {
  for (const auto& [args, err] : std::vector<std::pair<std::vector<std::string>, std::string>>{
           {{}, "no file given (see --help)"},
           {{"--colour", "x"}, "unknown option '--colour' (see --help)"},
           {{"--json", "--quiet", "x"}, "--json and --quiet exclude each other"}}) {
    const test::ProgramResult result = Check(args);
    EXPECT_EQ(std::tie(result.status, result.out, result.err), std::tuple(2, "", "quibran-check: " + err + "\n"));
  }
  Write("-dash", std::string(10, 'a'));
  EXPECT_EQ(Check({"--quiet", "--", "-dash"}).status, 0);
}

// Standard input as "-" (a pipe, or a file read from partway); files that
// /proc and /sys make as they are read; names that are not UTF-8 or hold
// controls; --strict's status 3 unless a file is unreadable.
TEST_F(CheckToolTest, StandardInputKernelFilesNamesAndStrict) {
  Write("twister", Twister(100000));
  Write("zeros", std::string(100000, '\0'));
  const auto size = [](const char* path) { return std::to_string(test::ReadFile(path).size()); };
  for (const auto& [line, status, out_start] : std::vector<std::tuple<std::string, int, std::string>>{
           {"head -c 100000 /dev/zero | check --quiet --strict -", 3, "-: not random: FIPS failures 39 of 39"},
           {"check --strict --json - <twister", 0, "{\"file\": \"-\", \"size\": 100000,"},
           {"{ dd bs=10 count=1 status=none of=/dev/null; check --json -; } <twister", 0,
            "{\"file\": \"-\", \"size\": 99990,"},
           {"check --quiet --strict twister zeros", 3, "twister: looks random"},
           {"check --quiet --strict zeros missing", 1, "zeros: not random"},
           {"check --json /proc/version", 0, "{\"file\": \"/proc/version\", \"size\": " + size("/proc/version")},
           {"check --quiet /sys/devices/system/cpu/online", 0,
            "/sys/devices/system/cpu/online: too short to judge: " + size("/sys/devices/system/cpu/online") + " bytes"},
           {R"(: >$'\xff\xfe' >$'\xfe\xff' >'a\b'; check --json $'\xff\xfe' $'\xfe\xff' 'a\b' | cut -d, -f1)", 0,
            R"({"file": "\\xFF\\xFE")"
            "\n"
            R"({"file": "\\xFE\\xFF")"
            "\n"
            R"({"file": "a\\\\b")"
            "\n"},
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
