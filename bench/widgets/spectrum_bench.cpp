// One analyser tick as the main window runs it: the band fetch, the frame drawn into
// the off-screen buffer and copied to the paint box's surface. Target: < 0.2 ms and no
// allocation. Two inputs: the engine with no channel (idle), and a loud synthetic FFT
// folded into bands (bars and peaks at full height, the most drawing).
#include <benchmark/benchmark.h>

#include <QImage>
#include <array>
#include <cmath>

#include "allocations.h"
#include "widgets/spectrum.h"
#include "widgets/spectrumbands.h"

namespace {

TSpectrum MainWindowSpectrum() {
  TSpectrum s(64, 23, 16);
  s.LowLevel = 16;
  s.HighLevel = 20;
  s.BarWidth = 2;
  s.BandSpacing = 2;
  s.LeftOffset = 0;
  return s;
}

void BM_SpectrumTickIdle(benchmark::State& state) {
  TSpectrum s = MainWindowSpectrum();
  QImage surface(64, 23, QImage::Format_RGB32);
  std::array<float, kSpectrumFftSize> fft{};
  std::array<float, kSpectrumBandCount> bands{};
  const uint64_t before = AllocationCount();
  for (auto _ : state) {
    FetchSpectrumBands(0, fft, bands);
    s.Draw(&surface, bands.data());
    benchmark::DoNotOptimize(surface.constBits());
  }
  state.counters["allocs_per_tick"] =
      benchmark::Counter(double(AllocationCount() - before) / double(state.iterations()));
}
BENCHMARK(BM_SpectrumTickIdle);

void BM_SpectrumTickLoud(benchmark::State& state) {
  TSpectrum s = MainWindowSpectrum();
  QImage surface(64, 23, QImage::Format_RGB32);
  std::array<float, kSpectrumFftSize> fft;
  for (int k = 0; k < kSpectrumFftSize; ++k) fft[size_t(k)] = 4.0f / (1.0f + k * 0.01f);
  std::array<float, kSpectrumBandCount> bands{};
  const uint64_t before = AllocationCount();
  int tick = 0;
  for (auto _ : state) {
    // Alternate loud and quiet frames so bars and peaks both rise and fall.
    if (++tick % 2) {
      ComputeSpectrumBands(fft, bands);
    } else {
      bands.fill(0);
    }
    s.Draw(&surface, bands.data());
    benchmark::DoNotOptimize(surface.constBits());
  }
  state.counters["allocs_per_tick"] =
      benchmark::Counter(double(AllocationCount() - before) / double(state.iterations()));
}
BENCHMARK(BM_SpectrumTickLoud);

}  // namespace
