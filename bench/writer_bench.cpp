// SPDX-License-Identifier: GPL-3.0-or-later
// Inner loops of the writers: drawing blocks of values and formatting them.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

#include "job/number_text.h"
#include "platform/clock.h"
#include "random/random_sources.h"

namespace {

constexpr std::size_t kBlock = 65536;

void BM_TwisterFill(benchmark::State& state) {
  quibran::MersenneTwister mt;
  mt.MTInit(5489);
  std::vector<uint32_t> words(kBlock);
  for (auto _ : state) {
    mt.Fill(words.data(), words.size());
    benchmark::DoNotOptimize(words.data());
  }
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(kBlock));
}
BENCHMARK(BM_TwisterFill);

// Bytes of a binary file, per source.
void BM_DrawBytes(benchmark::State& state) {
  quibran::SystemClock clock;
  quibran::RandomSources sources(clock);
  const int source = static_cast<int>(state.range(0));
  sources.SeedSource(source, 1);
  std::vector<uint8_t> bytes(kBlock);
  for (auto _ : state) {
    sources.DrawBytes(source, bytes.data(), bytes.size());
    benchmark::DoNotOptimize(bytes.data());
  }
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(kBlock));
}
BENCHMARK(BM_DrawBytes)->DenseRange(0, 3);

// Lines of a text file: draw a block, format it with CR LF.
template <int NumType>
void BM_TextLines(benchmark::State& state) {
  quibran::SystemClock clock;
  quibran::RandomSources sources(clock);
  sources.SeedSource(quibran::kSourceMersenneTwister, 1);
  std::vector<char> text(4096 * quibran::kMaxValueText);
  sources.WithDrawer<NumType>(quibran::kSourceMersenneTwister, [&](auto draw) {
    std::vector<typename decltype(draw)::Value> values(4096);
    for (auto _ : state) {
      draw.Fill(values.data(), values.size());
      char* out = text.data();
      for (const auto v : values) {
        out = quibran::WriteListValue<NumType>(out, v);
        *out++ = '\r';
        *out++ = '\n';
      }
      benchmark::DoNotOptimize(out);
    }
    state.SetItemsProcessed(state.iterations() * 4096);
  });
}
BENCHMARK(BM_TextLines<quibran::kNumInteger16>);
BENCHMARK(BM_TextLines<quibran::kNumSingle>);
BENCHMARK(BM_TextLines<quibran::kNumDouble>);

}  // namespace
