// SPDX-License-Identifier: GPL-3.0-or-later
#include "random/random_sources.h"

#include <stdexcept>
#include <string>

#include "platform/clock.h"
#include "platform/vector_clones.h"

namespace quibran {

void ThrowNotOffered(int source, int num_type) {
  throw std::invalid_argument("source " + std::to_string(source) + " does not offer number type " +
                              std::to_string(num_type));
}

namespace {

template <class Out>
inline __attribute__((always_inline)) void ShiftWords(const uint32_t* words, Out* out, std::size_t count, int bits) {
  const int shift = 32 - bits;
  for (std::size_t i = 0; i < count; ++i) out[i] = static_cast<Out>(words[i] >> shift);
}

}  // namespace

QUIBRAN_VECTOR_CLONES void TopBitsOfWords(const uint32_t* words, uint8_t* out, std::size_t count, int bits) {
  ShiftWords(words, out, count, bits);
}

QUIBRAN_VECTOR_CLONES void TopBitsOfWords(const uint32_t* words, uint32_t* out, std::size_t count, int bits) {
  ShiftWords(words, out, count, bits);
}

int32_t RandomSources::ClockSeed() const {
  // The day number is read first, then the time of day.
  const int32_t day = clock_.DayNumber();
  const float seconds = clock_.SecondsSinceMidnight();
  return RoundToLong(seconds) + day;
}

void RandomSources::SeedSource(int source) {
  switch (source) {
    case kSourceMersenneTwister: mt.MTInit(ClockSeed()); break;
    case kSourceRnd: rnd.Randomize(clock_); break;
    case kSourceWichmannHill: wh.WHSeed(clock_); break;
    case kSourceMtWh:
      rnd.Randomize(clock_);
      wh.WHSeed(clock_);
      mt.MTInit(ClockSeed());
      UseWH = IsOdd(RoundToLong(static_cast<double>(rnd.Rnd()) * 32768.0));
      break;
    default: break;
  }
}

void RandomSources::SeedSource(int source, int32_t seed) {
  switch (source) {
    case kSourceMersenneTwister: mt.MTInit(seed); break;
    case kSourceRnd: rnd.Seed(static_cast<uint32_t>(seed)); break;
    case kSourceWichmannHill: wh.WHSeed(static_cast<double>(seed)); break;
    case kSourceMtWh:
      mt.MTInit(seed);
      wh.WHSeed(static_cast<double>(seed));
      UseWH = IsOdd(seed);
      break;
    case kSourceOs: throw std::invalid_argument("the kernel's generator takes no seed");
    default: break;
  }
}

double RandomSources::DrawValue(int source, int num_type) {
  return WithDrawer(source, num_type, [](auto draw) { return static_cast<double>(draw()); });
}

void RandomSources::DrawBytes(int source, uint8_t* out, std::size_t count) {
  WithDrawer<kNumByte>(source, [&](auto draw) { draw.Fill(out, count); });
}

}  // namespace quibran
