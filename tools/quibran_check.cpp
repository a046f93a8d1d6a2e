// SPDX-License-Identifier: GPL-3.0-or-later
// quibran-check: how random a file is, and whether it is intact, in one pass:
// its size and SHA-256, the statistics that ent prints and the FIPS 140-2
// tests that rngtest runs, with a one-line verdict per file.

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <exception>
#include <string>
#include <vector>

#include "check/file_check.h"
#include "check/report.h"
#include "platform/version.h"

namespace quibran {
namespace {

constexpr int kExitOk = 0;
constexpr int kExitUnreadable = 1;
constexpr int kExitBadInput = 2;
constexpr int kExitNotRandom = 3;

constexpr const char* kHelp = R"(Usage: quibran-check [options] FILE...

Reads each file once (standard input for "-", and files of /proc and /sys to
their end) and prints its size and SHA-256, the statistics that ent prints
(entropy, optimum compression, chi-square, arithmetic mean, Monte Carlo value
of pi, serial correlation), the FIPS 140-2 test results that rngtest gives
(blocks of 20000 bits after 32 starting bits, successes, failures, the
failures of each test), and a verdict:
  looks random   neither test finds fault
  suspect        chi-square exceeded in less than 1 % or more than 99 % of
                 the times, or FIPS failures that random blocks reach with
                 probability under 1 % (about 1 random file in 100 gets here)
  not random     the same at 0.01 % and 99.99 %, or under 0.01 % for FIPS
  unfinished     a temporary file (".NAME.XXXXXX.partial") that quibran-batch
                 or the window never completed: never use it as a pad
A figure that has no meaning (for an empty file, say) shows as n/a.

Options:
  --json      one JSON object per file, on one line, with the keys
                file, size, sha256, entropy, compression_percent,
                chi_square, chi_square_percent, mean, monte_carlo_pi,
                monte_carlo_error_percent, serial_correlation, fips_blocks,
                fips_successes, fips_failures, fips_monobit, fips_poker,
                fips_runs, fips_long_run, fips_continuous_run, verdict;
              numbers with ent's digits, null where a figure has no meaning;
              chi_square_percent 0.00 and 100.00 stand for ent's "less than
              0.01" and "more than 99.99"; a file that cannot be read gives
              {"file": ..., "error": ...}; in every string a backslash
              stands for itself doubled, and a byte that is not part of
              valid UTF-8 is written \xHH (upper-case hexadecimal), so that
              a file name's exact bytes can be had back
  --quiet     only the verdicts, one line per file (not with --json)
  --strict    exit status 3 when any file's verdict is not "looks random"
  -V, --version
              the version
  -h, --help  this text
  --          ends the options: the arguments after it are files

In the text report and on standard error, a file name's control characters,
its bytes that are not UTF-8 and its backslashes are escaped the same way.

Exit status: 0 when every file was read, 1 when one or more could not be (each
named on standard error with the reason; the others are still checked) or the
report could not be written, 2 for bad options, 3 with --strict when every
file was read and one or more is not called "looks random".

Examples:
  quibran-check PAD0001.BIN PAD0002.BIN
  quibran-check --quiet /media/usb/*.BIN
  quibran-batch --source os --stdout --count 1000000 | quibran-check --strict -
)";

enum class Form { Text, Quiet, Json };

// `strict`: a file that does not look random gives status 3, unless another
// could not be read.
int CheckFiles(const std::vector<std::string>& files, Form form, bool strict) {
  int status = kExitOk;
  for (const std::string& name : files) {
    std::string out;
    try {
      const FileReport report = CheckFile(name);
      out = form == Form::Json    ? JsonReport(name, report)
            : form == Form::Quiet ? QuietReport(name, report)
                                  : TextReport(name, report);
      if (strict && status == kExitOk && Judge(report) != Judgement::LooksRandom) status = kExitNotRandom;
    } catch (const std::exception& error) {
      std::fprintf(stderr, "quibran-check: %s: %s\n", EscapedName(name, true).c_str(), error.what());
      status = kExitUnreadable;
      if (form != Form::Json) continue;
      out = JsonError(name, error.what());
    }
    if (std::fwrite(out.data(), 1, out.size(), stdout) != out.size() || std::fflush(stdout) != 0) {
      // The rest could not be told either.
      std::fprintf(stderr, "quibran-check: cannot write the report to standard output: %s\n", std::strerror(errno));
      return kExitUnreadable;
    }
  }
  return status;
}

int Main(const std::vector<std::string>& args) {
  Form form = Form::Text;
  bool json = false, quiet = false, strict = false;
  std::vector<std::string> files;
  bool options = true;
  for (const std::string& arg : args) {
    if (options && arg == "--") {
      options = false;
    } else if (options && (arg == "--help" || arg == "-h")) {
      std::fputs(kHelp, stdout);
      return kExitOk;
    } else if (options && (arg == "--version" || arg == "-V")) {
      std::printf("quibran-check %.*s\n", static_cast<int>(kVersion.size()), kVersion.data());
      return kExitOk;
    } else if (options && arg == "--json") {
      json = true;
    } else if (options && arg == "--quiet") {
      quiet = true;
    } else if (options && arg == "--strict") {
      strict = true;
    } else if (options && arg.size() > 1 && arg[0] == '-') {
      std::fprintf(stderr, "quibran-check: unknown option '%s' (see --help)\n", arg.c_str());
      return kExitBadInput;
    } else {
      files.push_back(arg);
    }
  }
  if (json && quiet) {
    std::fputs("quibran-check: --json and --quiet exclude each other\n", stderr);
    return kExitBadInput;
  }
  if (files.empty()) {
    std::fputs("quibran-check: no file given (see --help)\n", stderr);
    return kExitBadInput;
  }
  if (json) form = Form::Json;
  if (quiet) form = Form::Quiet;
  return CheckFiles(files, form, strict);
}

}  // namespace
}  // namespace quibran

int main(int argc, char** argv) { return quibran::Main(std::vector<std::string>(argv + 1, argv + argc)); }
