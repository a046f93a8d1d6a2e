// SPDX-License-Identifier: GPL-3.0-or-later
// Word throughput of the program's Mersenne Twister against std::mt19937.
#include <benchmark/benchmark.h>

#include <random>

#include "random/mersenne_twister.h"

namespace {

constexpr int kWordsPerIteration = 4096;

void BM_MTWord(benchmark::State& state) {
  quibran::MersenneTwister mt;
  mt.MTInit(5489);
  uint32_t sink = 0;
  for (auto _ : state) {
    for (int i = 0; i < kWordsPerIteration; ++i) sink ^= static_cast<uint32_t>(mt.MTWord());
    benchmark::DoNotOptimize(sink);
  }
  state.SetItemsProcessed(state.iterations() * kWordsPerIteration);
}
BENCHMARK(BM_MTWord);

void BM_StdMt19937(benchmark::State& state) {
  std::mt19937 mt(5489);
  uint32_t sink = 0;
  for (auto _ : state) {
    for (int i = 0; i < kWordsPerIteration; ++i) sink ^= static_cast<uint32_t>(mt());
    benchmark::DoNotOptimize(sink);
  }
  state.SetItemsProcessed(state.iterations() * kWordsPerIteration);
}
BENCHMARK(BM_StdMt19937);

}  // namespace
