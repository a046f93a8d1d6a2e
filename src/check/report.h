// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// How quibran-check shows a file's figures: as text for a person, as one
// JSON object for a program, and as a one-line verdict. Figures print with
// the digits that ent and rngtest print them with.

#include <cstdint>
#include <string>

#include "check/file_check.h"

namespace quibran {

// The share of blocks of truly random bytes that fail one FIPS 140-2 test
// or more: 8072 of 10^7 blocks from the kernel's generator (give or take
// 1 %).
inline constexpr double kFipsFailureRate = 8.07e-4;

enum class Judgement { LooksRandom, Suspect, NotRandom, Empty, TooShort, Unfinished };

// "looks random" where neither test finds fault, "suspect" where one finds
// what random bytes show in about 1 file of 100 (chi-square exceeded in
// less than 1 % or more than 99 % of the times; FIPS failures so many above
// the expected that random blocks reach them with probability under 1 %),
// "not random" where they show it in about 1 of 10000. A file shorter than
// one FIPS block (with its 4 starting bytes) is not judged, nor a writer's
// temporary file, which was never completed.
Judgement Judge(const FileReport& report);
// The verdict line, for instance "looks random: FIPS failures 3 of 4000
// blocks (expected about 3.2), chi-square 41.20 %".
std::string Verdict(const FileReport& report);

// The probability that a Poisson count with mean `mean` is `count` or more.
double PoissonAtLeast(uint64_t count, double mean);

// The full text report of the file called `name` (escaped, with its control
// characters), lines ending in "\n".
std::string TextReport(const std::string& name, const FileReport& report);
// `name`: verdict.
std::string QuietReport(const std::string& name, const FileReport& report);
// One JSON object on one line; an undefined figure is null.
std::string JsonReport(const std::string& name, const FileReport& report);
// The JSON object for a file that could not be checked.
std::string JsonError(const std::string& name, const std::string& reason);

// A file name as text that gives its exact bytes back: valid UTF-8 as it
// is, each byte that is not part of valid UTF-8 as \xHH (two upper-case
// hexadecimal digits) and a backslash as two. With `controls` the control
// characters (U+0000 to U+001F, U+007F to U+009F) are written \xHH byte by
// byte too, so that a name shows on one line and cannot steer a terminal.
std::string EscapedName(const std::string& name, bool controls);
// A JSON string literal of EscapedName(text, false): quotation marks,
// backslashes and control characters escaped as JSON escapes them.
std::string JsonString(const std::string& text);
// `value` with `decimals` digits after the period, as printf's %.Nf.
std::string Fixed(double value, int decimals);

}  // namespace quibran
