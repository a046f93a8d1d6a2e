// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The statistics that ent, the pseudorandom sequence test, prints for a file
// of bytes: entropy, optimum compression, chi-square with the probability of
// exceeding it, arithmetic mean, the Monte Carlo value of pi and the serial
// correlation coefficient. They are computed from the same sums, in the same
// order and precision as ent computes them, so that each figure prints to the
// same digits as ent prints it.

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>

namespace quibran {

// A figure is empty where it has no meaning: everything but the byte count
// for an empty file, the Monte Carlo figures below one six-byte point, the
// serial correlation when every byte is the same.
struct ByteFigures {
  uint64_t bytes = 0;
  std::optional<double> entropy;              // bits per byte
  std::optional<int> compression_percent;     // by how much optimum compression would shrink the file
  std::optional<double> chi_square;           // of the 256 byte counts
  std::optional<double> chi_square_exceeded;  // probability that random bytes exceed it, 0 to 1
  std::optional<double> mean;                 // of the byte values (127.5 = random)
  std::optional<double> monte_carlo_pi;
  std::optional<double> monte_carlo_error_percent;
  std::optional<double> serial_correlation;  // of each byte with the next, the last with the first
};

// Gathers the sums of a stream of bytes handed over in pieces of any size.
class ByteStatistics {
 public:
  void Add(const uint8_t* data, std::size_t size);
  ByteFigures Figures() const;

 private:
  std::array<uint64_t, 256> counts_{};
  uint64_t total_ = 0;
  uint64_t neighbour_products_ = 0;  // each byte times the next
  uint8_t first_ = 0;
  uint8_t last_ = 0;
  // Monte Carlo: six bytes make a point, two 24-bit coordinates.
  std::array<uint8_t, 6> point_{};
  std::size_t point_bytes_ = 0;
  uint64_t points_ = 0;
  uint64_t hits_ = 0;  // points inside the circle
};

// The probability that a chi-square of `degrees` degrees of freedom is at
// least `chi_square` by chance.
double ChiSquareExceeded(double chi_square, int degrees);

}  // namespace quibran
