#include "random/random_sources.h"

#include <cmath>
#include <stdexcept>
#include <string>

#include "platform/clock.h"

namespace quibran {

namespace {

// The platform's ordinary conversion of a real to a 32-bit integer: nearest,
// halves to even. Callers keep y within the signed 32-bit range.
inline int32_t Round(double y) { return static_cast<int32_t>(std::nearbyint(y)); }

// The whole part of a non-negative y.
inline double WholePart(double y) { return std::trunc(y); }

}  // namespace

bool SourceOffers(int source, int num_type) {
  switch (num_type) {
    case kNumByte:
    case kNumInteger15:
    case kNumInteger16:
    case kNumSingle:
    case kNumColor:
      return source >= kSourceMersenneTwister && source <= kSourceMtWh;
    case kNumLong31:
    case kNumDouble:
      return source == kSourceMersenneTwister || source == kSourceWichmannHill ||
             source == kSourceMtWh;
    case kNumLong32:
      return source == kSourceMersenneTwister;
    default:
      return false;
  }
}

int32_t RandomSources::ClockSeed() const {
  // The day number is read first, then the time of day.
  const int32_t day = clock_.DayNumber();
  const float seconds = clock_.SecondsSinceMidnight();
  return Round(seconds) + day;
}

void RandomSources::SeedSource(int source) {
  switch (source) {
    case kSourceMersenneTwister:
      mt.MTInit(ClockSeed());
      break;
    case kSourceRnd:
      rnd.Randomize(clock_);
      break;
    case kSourceWichmannHill:
      wh.WHSeed(clock_);
      break;
    case kSourceMtWh:
      rnd.Randomize(clock_);
      wh.WHSeed(clock_);
      mt.MTInit(ClockSeed());
      UseWH = IsOdd(Round(static_cast<double>(rnd.Rnd()) * 32768.0));
      break;
    default:
      break;
  }
}

double RandomSources::UnitValue(int source) {
  switch (source) {
    case kSourceMersenneTwister: return mt.MTReal();
    case kSourceRnd: return rnd.Rnd();
    case kSourceWichmannHill: return wh.WHNext(1);
    default: return UseWH ? wh.WHNext(1) : mt.MTReal();
  }
}

double RandomSources::DrawValue(int source, int num_type) {
  if (!SourceOffers(source, num_type)) {
    throw std::invalid_argument("source " + std::to_string(source) + " does not offer number type " +
                                std::to_string(num_type));
  }
  double value = 0.0;
  switch (num_type) {
    case kNumByte: value = WholePart(UnitValue(source) * 256.0); break;
    case kNumInteger15: value = WholePart(UnitValue(source) * 32768.0); break;
    case kNumInteger16: value = WholePart(UnitValue(source) * 65536.0); break;
    case kNumLong31:
      // The twister drops the word's lowest bit; Wichmann-Hill rounds.
      if (source == kSourceWichmannHill || (source == kSourceMtWh && UseWH)) {
        value = Round(wh.WHNext(1) * 2147483647.0);
      } else {
        value = mt.MTLong31();
      }
      break;
    case kNumLong32: value = mt.MTWordUnsigned(); break;
    case kNumSingle: value = static_cast<float>(UnitValue(source)); break;
    case kNumDouble: value = UnitValue(source); break;
    case kNumColor: value = Round(UnitValue(source) * 16777215.0); break;
  }
  // Whole values are odd by themselves, reals by their rounding: above one
  // half sends the next draw to Wichmann-Hill.
  if (source == kSourceMtWh) UseWH = IsOdd(Round(value));
  return value;
}

void RandomSources::DrawBytes(int source, uint8_t* out, std::size_t count) {
  if (source == kSourceMersenneTwister) {
    // floor(word * 2^-32 * 256) is the word's top byte.
    uint32_t words[1024];
    while (count > 0) {
      const std::size_t take = count < 1024 ? count : 1024;
      mt.Fill(words, take);
      for (std::size_t i = 0; i < take; ++i) out[i] = static_cast<uint8_t>(words[i] >> 24);
      out += take;
      count -= take;
    }
    return;
  }
  for (std::size_t i = 0; i < count; ++i) out[i] = static_cast<uint8_t>(DrawValue(source, kNumByte));
}

}  // namespace quibran
