// SPDX-License-Identifier: GPL-3.0-or-later
#include "check/report.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <optional>

namespace quibran {

namespace {

constexpr double kSuspect = 0.01;
constexpr double kNotRandom = 0.0001;

// ent prints the chi-square probability as a percentage between these.
constexpr double kLowestShown = 0.0001;
constexpr double kHighestShown = 0.9999;

std::string ChiSquarePercentText(double exceeded) {
  if (exceeded < kLowestShown) return "less than 0.01";
  if (exceeded > kHighestShown) return "more than 99.99";
  return Fixed(exceeded * 100, 2);
}

std::string JsonNumber(const std::optional<double>& value, int decimals) {
  return value ? Fixed(*value, decimals) : "null";
}

std::string Bytes(uint64_t count) { return std::to_string(count) + (count == 1 ? " byte" : " bytes"); }

double ExpectedFailures(const FipsFigures& fips) { return static_cast<double>(fips.blocks) * kFipsFailureRate; }

}  // namespace

std::string Fixed(double value, int decimals) {
  char text[400];
  const auto result = std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, decimals);
  return std::string(text, result.ptr);
}

double PoissonAtLeast(uint64_t count, double mean) {
  if (count == 0) return 1.0;
  if (mean <= 0.0) return 0.0;
  const double first = static_cast<double>(count);
  // Each term from the logarithm of the first: e^-mean mean^k / k!.
  auto term_at = [&](double k) { return std::exp(k * std::log(mean) - mean - std::lgamma(k + 1)); };
  double sum = 0.0;
  if (first > mean) {
    // The upper tail, its terms falling from the first on.
    for (double k = first, term = term_at(k); term > sum * 1e-17 && term > 0.0; term *= mean / ++k) sum += term;
    return std::min(sum, 1.0);
  }
  // One less the lower tail, its terms falling from count - 1 down.
  for (double k = first - 1, term = term_at(k); k >= 0 && term > sum * 1e-17; term *= k-- / mean) sum += term;
  return std::max(0.0, 1.0 - sum);
}

Judgement Judge(const FileReport& report) {
  if (report.unfinished) return Judgement::Unfinished;
  if (report.size == 0) return Judgement::Empty;
  if (report.fips.blocks == 0) return Judgement::TooShort;
  const double exceeded = *report.bytes.chi_square_exceeded;
  const double chi = std::min(exceeded, 1 - exceeded);
  const double fips = PoissonAtLeast(report.fips.failures, ExpectedFailures(report.fips));
  if (chi < kNotRandom || fips < kNotRandom) return Judgement::NotRandom;
  if (chi < kSuspect || fips < kSuspect) return Judgement::Suspect;
  return Judgement::LooksRandom;
}

std::string Verdict(const FileReport& report) {
  const Judgement judgement = Judge(report);
  if (judgement == Judgement::Unfinished) return "unfinished: a partial file that was never completed";
  if (judgement == Judgement::Empty) return "empty: nothing to check";
  if (judgement == Judgement::TooShort) {
    return "too short to judge: " + Bytes(report.size) + ", fewer than the " +
           std::to_string(kFipsStartBytes + kFipsBlockBytes) + " of one FIPS 140-2 block";
  }
  static constexpr const char* kWords[] = {"looks random", "suspect", "not random"};
  const double expected = ExpectedFailures(report.fips);
  return std::string(kWords[static_cast<int>(judgement)]) + ": FIPS failures " + std::to_string(report.fips.failures) +
         " of " + std::to_string(report.fips.blocks) + " blocks (expected about " +
         (expected < 10 ? Fixed(expected, 1) : Fixed(std::round(expected), 0)) + "), chi-square " +
         ChiSquarePercentText(*report.bytes.chi_square_exceeded) + " %";
}

std::string TextReport(const std::string& name, const FileReport& report) {
  const ByteFigures& b = report.bytes;
  const FipsFigures& f = report.fips;
  std::string text = EscapedName(name, true) + "\n";
  auto line = [&](const char* label, const std::string& value) {
    text += "  ";
    text += label;
    text.append(22 - std::char_traits<char>::length(label), ' ');
    text += value;
    text += '\n';
  };
  line("size", Bytes(report.size));
  line("SHA-256", report.sha256);
  line("entropy", b.entropy ? Fixed(*b.entropy, 6) + " bits per byte" : "n/a");
  line("optimum compression", b.compression_percent
                                  ? "would reduce the size by " + std::to_string(*b.compression_percent) + " percent"
                                  : "n/a");
  line("chi-square", b.chi_square ? Fixed(*b.chi_square, 2) + ", random bytes would exceed it " +
                                        ChiSquarePercentText(*b.chi_square_exceeded) + " percent of the times"
                                  : "n/a");
  line("arithmetic mean", b.mean ? Fixed(*b.mean, 4) + " (127.5 = random)" : "n/a");
  line("Monte Carlo pi", b.monte_carlo_pi ? Fixed(*b.monte_carlo_pi, 9) + " (error " +
                                                Fixed(*b.monte_carlo_error_percent, 2) + " percent)"
                                          : "n/a");
  line("serial correlation", b.serial_correlation ? Fixed(*b.serial_correlation, 6) + " (totally uncorrelated = 0.0)"
                                                  : std::string(b.bytes > 0 ? "n/a (all bytes are equal)" : "n/a"));
  if (f.blocks == 0) {
    line("FIPS 140-2", "no block tested");
  } else {
    line("FIPS 140-2", std::to_string(f.blocks) + " blocks tested: " + std::to_string(f.successes()) + " successes, " +
                           std::to_string(f.failures) + " failures");
    line("FIPS failures by test", "monobit " + std::to_string(f.monobit) + ", poker " + std::to_string(f.poker) +
                                      ", runs " + std::to_string(f.runs) + ", long run " + std::to_string(f.long_run) +
                                      ", continuous run " + std::to_string(f.continuous_run));
  }
  line("verdict", Verdict(report));
  return text;
}

std::string QuietReport(const std::string& name, const FileReport& report) {
  return EscapedName(name, true) + ": " + Verdict(report) + "\n";
}

std::string JsonReport(const std::string& name, const FileReport& report) {
  const ByteFigures& b = report.bytes;
  const FipsFigures& f = report.fips;
  std::string chi_percent = "null";
  if (b.chi_square_exceeded) {
    const double exceeded = std::clamp(*b.chi_square_exceeded, kLowestShown, kHighestShown);
    chi_percent = exceeded == *b.chi_square_exceeded ? Fixed(exceeded * 100, 2)
                  : exceeded == kLowestShown         ? "0.00"
                                                     : "100.00";
  }
  std::string json = "{\"file\": " + JsonString(name);
  auto add = [&](const char* key, const std::string& value) {
    json += ", \"";
    json += key;
    json += "\": ";
    json += value;
  };
  add("size", std::to_string(report.size));
  add("sha256", JsonString(report.sha256));
  add("entropy", JsonNumber(b.entropy, 6));
  add("compression_percent", b.compression_percent ? std::to_string(*b.compression_percent) : "null");
  add("chi_square", JsonNumber(b.chi_square, 2));
  add("chi_square_percent", chi_percent);
  add("mean", JsonNumber(b.mean, 4));
  add("monte_carlo_pi", JsonNumber(b.monte_carlo_pi, 9));
  add("monte_carlo_error_percent", JsonNumber(b.monte_carlo_error_percent, 2));
  add("serial_correlation", JsonNumber(b.serial_correlation, 6));
  add("fips_blocks", std::to_string(f.blocks));
  add("fips_successes", std::to_string(f.successes()));
  add("fips_failures", std::to_string(f.failures));
  add("fips_monobit", std::to_string(f.monobit));
  add("fips_poker", std::to_string(f.poker));
  add("fips_runs", std::to_string(f.runs));
  add("fips_long_run", std::to_string(f.long_run));
  add("fips_continuous_run", std::to_string(f.continuous_run));
  add("verdict", JsonString(Verdict(report)));
  return json + "}\n";
}

std::string JsonError(const std::string& name, const std::string& reason) {
  return "{\"file\": " + JsonString(name) + ", \"error\": " + JsonString(reason) + "}\n";
}

std::string EscapedName(const std::string& name, bool controls) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string text;
  const auto* p = reinterpret_cast<const unsigned char*>(name.data());
  const auto* end = p + name.size();
  while (p < end) {
    const unsigned char c = *p;
    // The length of the UTF-8 sequence that starts here, 0 where none does:
    // no overlong forms, surrogates or code points past U+10FFFF.
    int length = c < 0x80 ? 1 : c < 0xC2 ? 0 : c <= 0xDF ? 2 : c <= 0xEF ? 3 : c <= 0xF4 ? 4 : 0;
    if (end - p < length) length = 0;
    for (int i = 1; i < length; ++i) length = (p[i] & 0xC0) == 0x80 ? length : 0;
    if (length == 3 && ((c == 0xE0 && p[1] < 0xA0) || (c == 0xED && p[1] >= 0xA0))) length = 0;
    if (length == 4 && ((c == 0xF0 && p[1] < 0x90) || (c == 0xF4 && p[1] >= 0x90))) length = 0;
    // C0 controls, DEL and the C1 controls U+0080 to U+009F.
    const bool control = (length == 1 && (c < 0x20 || c == 0x7F)) || (length == 2 && c == 0xC2 && p[1] < 0xA0);
    if (c == '\\') {
      text += "\\\\";
    } else if (length == 0 || (controls && control)) {
      for (int i = 0; i < std::max(length, 1); ++i) {
        text += "\\x";
        text += kHex[p[i] >> 4];
        text += kHex[p[i] & 15];
      }
    } else {
      text.append(reinterpret_cast<const char*>(p), static_cast<std::size_t>(length));
    }
    p += std::max(length, 1);
  }
  return text;
}

std::string JsonString(const std::string& text) {
  std::string json = "\"";
  for (const char c : EscapedName(text, false)) {
    if (c == '"' || c == '\\') {
      json += '\\';
      json += c;
    } else if (static_cast<unsigned char>(c) < 0x20) {
      static constexpr char kHex[] = "0123456789abcdef";
      json += "\\u00";
      json += kHex[c >> 4];
      json += kHex[c & 15];
    } else {
      json += c;
    }
  }
  return json + "\"";
}

}  // namespace quibran
