// SPDX-License-Identifier: GPL-3.0-or-later
#include "check/byte_statistics.h"

#include <cmath>

#include "platform/vector_clones.h"

namespace quibran {

namespace {

constexpr double kPi = 3.14159265358979323846;
// A point is a hit when x^2 + y^2 <= (2^24 - 1)^2.
constexpr uint64_t kRadiusSquared = uint64_t{16777215} * 16777215;
// Neighbour products summed in pieces short enough for 32-bit sums
// (32768 x 255 x 255 < 2^32), so that the loop vectorises.
constexpr std::size_t kProductPiece = 32768;

uint64_t Coordinate(const uint8_t* p) { return uint64_t{p[0]} << 16 | uint64_t{p[1]} << 8 | p[2]; }

bool Hit(const uint8_t* point) {
  const uint64_t x = Coordinate(point);
  const uint64_t y = Coordinate(point + 3);
  return x * x + y * y <= kRadiusSquared;
}

QUIBRAN_VECTOR_CLONES uint64_t NeighbourProducts(const uint8_t* data, std::size_t pairs) {
  uint64_t sum = 0;
  for (std::size_t start = 0; start < pairs; start += kProductPiece) {
    const std::size_t end = pairs - start < kProductPiece ? pairs : start + kProductPiece;
    uint32_t piece = 0;
    for (std::size_t i = start; i < end; ++i) piece += uint32_t{data[i]} * data[i + 1];
    sum += piece;
  }
  return sum;
}

QUIBRAN_VECTOR_CLONES uint64_t Hits(const uint8_t* data, std::size_t points) {
  uint64_t hits = 0;
  for (std::size_t i = 0; i < points; ++i) hits += Hit(data + 6 * i) ? 1u : 0u;
  return hits;
}

// Adds the byte counts of `data` to `counts`; four tables take turns, so
// that runs of equal bytes do not wait on one counter.
void CountBytes(const uint8_t* data, std::size_t size, std::array<uint64_t, 256>& counts) {
  constexpr std::size_t kPiece = std::size_t{1} << 30;  // keeps the 32-bit tables from overflowing
  for (std::size_t start = 0; start < size; start += kPiece) {
    const std::size_t end = size - start < kPiece ? size : start + kPiece;
    uint32_t tables[4][256] = {};
    std::size_t i = start;
    for (; i + 4 <= end; i += 4) {
      ++tables[0][data[i]];
      ++tables[1][data[i + 1]];
      ++tables[2][data[i + 2]];
      ++tables[3][data[i + 3]];
    }
    for (; i < end; ++i) ++tables[0][data[i]];
    for (std::size_t b = 0; b < 256; ++b) {
      counts[b] += uint64_t{tables[0][b]} + tables[1][b] + tables[2][b] + tables[3][b];
    }
  }
}

// The probability that a standard normal value lies further than z > 0
// from 0 (both tails), by Adams' polynomials as ent computes it.
double NormalTwoSidedTail(double z) {
  const double y = 0.5 * z;
  double x = 0.0;
  if (y >= 3.0) {
    x = 1.0;
  } else if (y < 1.0) {
    const double w = y * y;
    x = ((((((((0.000124818987 * w - 0.001075204047) * w + 0.005198775019) * w - 0.019198292004) * w + 0.059054035642) *
                w -
            0.151968751364) *
               w +
           0.319152932694) *
              w -
          0.531923007300) *
             w +
         0.797884560593) *
        y * 2.0;
  } else {
    const double v = y - 2.0;
    x = (((((((((((((-0.000045255659 * v + 0.000152529290) * v - 0.000019538132) * v - 0.000676904986) * v +
                  0.001390604284) *
                     v -
                 0.000794620820) *
                    v -
                0.002034254874) *
                   v +
               0.006549791214) *
                  v -
              0.010557625006) *
                 v +
             0.011630447319) *
                v -
            0.009279453341) *
               v +
           0.005353579108) *
              v -
          0.002141268741) *
             v +
         0.000535310849) *
            v +
        0.999936657524;
  }
  return 1.0 - x;
}

// exp(x), with terms below e^-20 taken as 0, as ent takes them.
double Term(double x) { return x < -20.0 ? 0.0 : std::exp(x); }

}  // namespace

// The upper tail of the chi-square distribution by the series of Hill and
// Pike, term for term as ent sums it. An exact incomplete gamma function
// (from a library) differs from it by up to about 1e-7, enough to move the
// last printed digit of the percentage on some files.
double ChiSquareExceeded(double chi_square, int degrees) {
  if (chi_square <= 0.0 || degrees < 1) return 1.0;
  const double a = 0.5 * chi_square;
  const bool even = degrees % 2 == 0;
  const double y = degrees > 1 ? Term(-a) : 0.0;
  double s = even ? y : NormalTwoSidedTail(std::sqrt(chi_square));
  if (degrees <= 2) return s;
  const double last = 0.5 * (degrees - 1.0);
  double z = even ? 1.0 : 0.5;
  if (a > 20.0) {
    // In logarithms, where e^-a would underflow the products.
    double e = even ? 0.0 : 0.5723649429247000870717135;  // log(sqrt(pi))
    const double c = std::log(a);
    for (; z <= last; z += 1.0) {
      e += std::log(z);
      s += Term(c * z - a - e);
    }
    return s;
  }
  double e = even ? 1.0 : 0.5641895835477562869480795 / std::sqrt(a);  // 1 / sqrt(pi)
  double c = 0.0;
  for (; z <= last; z += 1.0) {
    e *= a / z;
    c += e;
  }
  return c * y + s;
}

void ByteStatistics::Add(const uint8_t* data, std::size_t size) {
  if (size == 0) return;
  if (total_ == 0) {
    first_ = data[0];
  } else {
    neighbour_products_ += uint64_t{last_} * data[0];
  }
  total_ += size;
  last_ = data[size - 1];
  CountBytes(data, size, counts_);
  neighbour_products_ += NeighbourProducts(data, size - 1);

  std::size_t i = 0;
  while (point_bytes_ > 0 && i < size) {
    point_[point_bytes_++] = data[i++];
    if (point_bytes_ == point_.size()) {
      hits_ += Hit(point_.data()) ? 1u : 0u;
      ++points_;
      point_bytes_ = 0;
    }
  }
  const std::size_t points = (size - i) / 6;
  hits_ += Hits(data + i, points);
  points_ += points;
  for (i += 6 * points; i < size; ++i) point_[point_bytes_++] = data[i];
}

ByteFigures ByteStatistics::Figures() const {
  ByteFigures f;
  f.bytes = total_;
  if (total_ == 0) return f;
  // Each sum in the order and type that ent uses: doubles of whole counts.
  const double n = static_cast<double>(total_);
  const double expected = n / 256.0;
  double chi_square = 0.0;
  double sum = 0.0;
  double squares = 0.0;
  double entropy = 0.0;
  for (std::size_t b = 0; b < 256; ++b) {
    const double count = static_cast<double>(counts_[b]);
    const double difference = count - expected;
    chi_square += difference * difference / expected;
    sum += static_cast<double>(b) * count;
    squares += static_cast<double>(b * b) * count;
  }
  for (std::size_t b = 0; b < 256; ++b) {
    const double p = static_cast<double>(counts_[b]) / n;
    // log2 as ent takes it: log10 times log2(10).
    if (p > 0.0) entropy += p * (3.32192809488736234787 * std::log10(1.0 / p));
  }
  f.entropy = entropy;
  f.compression_percent = static_cast<int>(100 * (8 - entropy) / 8.0);
  f.chi_square = chi_square;
  f.chi_square_exceeded = ChiSquareExceeded(chi_square, 255);
  f.mean = sum / n;
  if (points_ > 0) {
    const double pi = 4.0 * (static_cast<double>(hits_) / static_cast<double>(points_));
    f.monte_carlo_pi = pi;
    f.monte_carlo_error_percent = 100.0 * (std::fabs(kPi - pi) / kPi);
  }
  // The last byte pairs with the first, closing the ring.
  const double products = static_cast<double>(neighbour_products_ + uint64_t{last_} * first_);
  const double sum_squared = sum * sum;
  const double denominator = n * squares - sum_squared;
  if (denominator != 0.0) f.serial_correlation = (n * products - sum_squared) / denominator;
  return f;
}

}  // namespace quibran
