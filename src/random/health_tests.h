// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The continuous health tests of NIST SP 800-90B, section 4.4, on every byte
// of the hardware device's output before it is used: the repetition count
// test (a run of equal bytes) and the adaptive proportion test (how often the
// first byte of a window comes again in it).
//
// Their cutoffs follow from two choices:
//   H = 7 bits, the min-entropy assumed per byte: a little below the full 8
//       of a post-processed true random generator, so that a sound device
//       never comes near a cutoff;
//   alpha = 2^-40, the probability that a test of a sound device fails by
//       chance (per run for the first test, per window for the second).
//
// Repetition count test: C equal bytes in a row fail, with
//   C = 1 + ceil(-log2(alpha) / H) = 1 + ceil(40 / 7) = 7.
// Adaptive proportion test: the output in windows of W = 512 bytes one after
// another, not overlapping; the first byte of a window is its reference, and
// the window fails when the reference comes c times in it (itself included),
// with c the smallest count that a byte of probability 2^-H reaches in a
// window no more often than alpha:
//   c = min { c : P(Binomial(W, 2^-H) >= c) <= alpha }
//     = 1 + CRITBINOM(W, 2^-H, 1 - alpha) in 800-90B's terms = 26.
// In exact arithmetic P(X >= 26) = 1.51e-13 <= alpha = 9.09e-13 <
// P(X >= 25) = 1.03e-12; the double precision sum below, which computes it,
// is far closer than that.
//
// As a ByteCheck of the device's node the tests hold back every byte whose
// tests are not complete: the bytes of the window not yet full, and the run
// of equal bytes at the end, which a later byte could still make C long. So
// every byte served has passed, and a failure only takes bytes not served:
// it tells the node which bytes before it passed, whichever block they came
// in, so that those are still served.

#include <array>
#include <cstddef>
#include <cstdint>

#include "platform/alea_node.h"

namespace quibran {

// The adaptive proportion test's cutoff for windows of W bytes, min-entropy
// H bits a byte and alpha = 2^-A: the smallest c with
// P(Binomial(W, 2^-H) >= c) <= alpha.
template <std::size_t W>
constexpr int ProportionCutoff(int entropy_bits, int alpha_bits) {
  const double p = 1.0 / static_cast<double>(uint64_t{1} << entropy_bits);
  const double alpha = 1.0 / static_cast<double>(uint64_t{1} << alpha_bits);
  // P(X = k) from k = 0 up, then the tail sums from k = W down: small terms
  // added to small sums, nothing taken from 1.
  std::array<double, W + 1> term{};
  term[0] = 1;
  for (std::size_t i = 0; i < W; ++i) term[0] *= 1 - p;
  for (std::size_t k = 0; k < W; ++k) {
    term[k + 1] = term[k] * static_cast<double>(W - k) / static_cast<double>(k + 1) * p / (1 - p);
  }
  std::size_t c = W + 1;
  double tail = 0;  // P(X >= c)
  while (c > 0 && tail + term[c - 1] <= alpha) tail += term[--c];
  return static_cast<int>(c);
}

class HealthTests final : public ByteCheck {
 public:
  static constexpr int kEntropyBits = 7;  // H
  static constexpr int kAlphaBits = 40;   // alpha = 2^-40
  static constexpr int kWindow = 512;     // W
  static constexpr int kRepetitionCutoff = 1 + (kAlphaBits + kEntropyBits - 1) / kEntropyBits;
  static constexpr int kProportionCutoff = ProportionCutoff<kWindow>(kEntropyBits, kAlphaBits);
  static_assert(kRepetitionCutoff == 7 && kProportionCutoff == 26, "the cutoffs that the comment above gives");
  static_assert(kWindow <= ByteCheck::kMostHeld && kRepetitionCutoff <= ByteCheck::kMostHeld);

  void Reset() override;
  // Fails with Device I/O error (57): "the device's output failed its health
  // test: " and which test saw what.
  std::size_t Take(const uint8_t* bytes, std::size_t size) override;

 private:
  // Where in `bytes` a run reaches kRepetitionCutoff (last_ then its byte),
  // or `size` (last_ and run_ then the run at the end).
  std::size_t RepetitionAt(const uint8_t* bytes, std::size_t size);
  // The adaptive proportion test over `size` bytes; throws its failure.
  void TestProportions(const uint8_t* bytes, std::size_t size);

  int last_ = -1;      // the last byte taken; -1 before the first
  int run_ = 0;        // how many times it came in a row
  int reference_ = 0;  // the first byte of the window
  int count_ = 0;      // how often it came in the window so far
  int seen_ = 0;       // the window's bytes so far, 0 to W - 1
};

}  // namespace quibran
