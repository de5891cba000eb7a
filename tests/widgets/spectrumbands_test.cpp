// The band fetch: FFT bins folded into 16 levels, and the engine's "nothing to show".
#include <gtest/gtest.h>

#include <array>
#include <cmath>

#include "widgets/spectrumbands.h"

namespace {

struct BandCase {
  const char* name;
  std::vector<std::pair<int, float>> bins;  // non-zero FFT bins
  std::array<float, 16> expected;
};

class SpectrumBandsTest : public ::testing::TestWithParam<BandCase> {};

TEST_P(SpectrumBandsTest, FoldsBinsIntoBands) {
  std::array<float, kSpectrumFftSize> fft{};
  for (auto [bin, value] : GetParam().bins) fft[size_t(bin)] = value;
  std::array<float, kSpectrumBandCount> bands;
  bands.fill(-1);
  ComputeSpectrumBands(fft, bands);
  for (int i = 0; i < kSpectrumBandCount; ++i) EXPECT_FLOAT_EQ(bands[i], GetParam().expected[i]) << "band " << i;
}

constexpr float k50 = 50.0f;  // sqrt(4) x 25

std::array<float, 16> Only(std::initializer_list<std::pair<int, float>> set) {
  std::array<float, 16> a{};
  for (auto [i, v] : set) a[size_t(i)] = v;
  return a;
}

std::array<float, 16> Flat() {
  // Every bin 1: band i sums (hi - lo + 1) bins.
  const auto& e = kSpectrumBandEdges;
  std::array<float, 16> a{};
  for (int i = 0; i < 16; ++i) a[size_t(i)] = std::sqrt(float(e[i + 1] - e[i] + 1)) * 25.0f;
  return a;
}

std::vector<std::pair<int, float>> AllBins(float v) {
  std::vector<std::pair<int, float>> bins;
  for (int k = 0; k < kSpectrumFftSize; ++k) bins.emplace_back(k, v);
  return bins;
}

INSTANTIATE_TEST_SUITE_P(
    Bins, SpectrumBandsTest,
    ::testing::Values(BandCase{"silence", {}, Only({})},
                      BandCase{"first_band_inner_bin", {{6, 4}}, Only({{0, k50}})},
                      BandCase{"boundary_bin_counts_in_both_bands", {{8, 4}}, Only({{0, k50}, {1, k50}})},
                      BandCase{"last_edge_in_the_top_band", {{500, 4}}, Only({{15, k50}})},
                      BandCase{"bins_never_shown", {{0, 9}, {4, 9}, {501, 9}, {511, 9}}, Only({})},
                      BandCase{"flat_spectrum", AllBins(1), Flat()}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(SpectrumFetchTest, NoChannelGivesZeroBands) {
  std::array<float, kSpectrumFftSize> fft{};
  std::array<float, kSpectrumBandCount> bands;
  bands.fill(33);
  EXPECT_FALSE(FetchSpectrumBands(0, fft, bands));
  for (float b : bands) EXPECT_EQ(b, 0.0f);
}

TEST(SpectrumFetchTest, ABandWhoseEdgesAreReversedGivesZero) {
  auto edges = kSpectrumBandEdges;
  edges[3] = 40;  // band 2 runs 12..40, band 3 runs 40..25: reversed
  std::array<float, kSpectrumFftSize> fft;
  fft.fill(1);
  std::array<float, kSpectrumBandCount> bands{};
  ComputeSpectrumBands(fft, bands, edges);
  EXPECT_EQ(bands[3], 0.0f);
  EXPECT_FLOAT_EQ(bands[2], std::sqrt(29.0f) * 25.0f);
}

}  // namespace
