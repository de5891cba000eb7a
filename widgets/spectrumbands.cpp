#include "widgets/spectrumbands.h"

#include <algorithm>
#include <cmath>

void ComputeSpectrumBands(std::span<const float, kSpectrumFftSize> fft,
                          std::span<float, kSpectrumBandCount> bands,
                          const std::array<int, kSpectrumBandCount + 1>& edges) {
  for (int i = 0; i < kSpectrumBandCount; ++i) {
    const int lo = std::max(edges[i], 0);
    const int hi = std::min(edges[i + 1], kSpectrumFftSize - 1);
    float sum = 0.0f;
    for (int k = lo; k <= hi; ++k) sum += fft[k];
    bands[i] = std::sqrt(sum) * 25.0f;
  }
}

bool FetchSpectrumBands(zengine::Handle channel, std::span<float, kSpectrumFftSize> fftBuffer,
                        std::span<float, kSpectrumBandCount> bands) {
  if (zengine::ChannelGetData(channel, fftBuffer.data(), zengine::kDataFFT1024) == -1) {
    std::fill(bands.begin(), bands.end(), 0.0f);
    return false;
  }
  ComputeSpectrumBands(fftBuffer, bands);
  return true;
}
