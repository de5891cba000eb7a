// Spectrum: the 1024-point magnitude spectrum behind ChannelGetData(kDataFFT1024).
//
// Input: 1024 mono samples (-1..1). A Hann window is applied, then a real FFT
// (FFmpeg's av_tx). Output: 512 magnitudes, bins 0..511, bin k at k x rate / 1024.
//
// Scaling: |X_k| x 2 / sum(window), i.e. |X_k| / 256. A full-scale sine exactly on a
// bin gives 1.0 there (0.5 in each neighbour, the Hann leakage); a sine at -20 dBFS
// gives 0.1. The analyser draws sqrt(sum of a band's bins) x 25 pixels in a 23-pixel
// box, so a loud tone or a loud passage fills it, while music at ordinary levels
// (bins of 0.001-0.05 spread over a band) keeps the bars moving in its lower half.
#pragma once

#include <cstddef>

namespace zengine {

class Spectrum {
 public:
  static constexpr size_t kSize = 1024;
  static constexpr size_t kBins = kSize / 2;

  // Any thread (each call uses its own transform context).
  static void Compute(const float* samples, float* magnitudes);
};

}  // namespace zengine
