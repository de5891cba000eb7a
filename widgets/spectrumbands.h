// The analyser's band fetch: the FFT of what the channel plays, folded into 16 band
// levels (pixels of bar height). The main window calls FetchSpectrumBands on every tick
// of its 20 ms timer, into buffers it keeps for the whole run.
#pragma once

#include <array>
#include <span>

#include "playback/engine/engine.h"

inline constexpr int kSpectrumBandCount = 16;
inline constexpr int kSpectrumFftSize = 512;  // magnitudes of a 1024-sample FFT

// FFT bin edges of the bands. Band i sums bins BandEdges[i] to BandEdges[i + 1], both
// included, so a boundary bin counts in both bands that meet at it. Bin k stands for
// k x sample rate / 1024; bins 0-4 and 501-511 are never shown.
inline constexpr std::array<int, kSpectrumBandCount + 1> kSpectrumBandEdges = {
    5, 8, 12, 17, 25, 35, 50, 75, 100, 125, 150, 175, 200, 250, 300, 400, 500};

// bands[i] = sqrt(sum of fft[lo..hi]) x 25, in single precision. A band whose last bin
// is below its first gives 0; edges beyond the buffer are held to its last bin.
void ComputeSpectrumBands(std::span<const float, kSpectrumFftSize> fft,
                          std::span<float, kSpectrumBandCount> bands,
                          const std::array<int, kSpectrumBandCount + 1>& edges = kSpectrumBandEdges);

// Asks the engine for `channel`'s FFT into `fftBuffer` and folds it into `bands`. When
// the engine has nothing (no channel, stopped, any error) every band becomes 0, so the
// bars fall back at their normal speed. Returns whether FFT data came. Allocates nothing.
bool FetchSpectrumBands(zengine::Handle channel, std::span<float, kSpectrumFftSize> fftBuffer,
                        std::span<float, kSpectrumBandCount> bands);
