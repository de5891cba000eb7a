// Synthetic sound for the recording tests: sine blocks as a channel's sample hook
// delivers them (interleaved floats), and the same as a WAV stream.
#pragma once

#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "playback/engine/record/encoderwavheader.h"

namespace ztest {

// `frames` frames of a sine of `hz` at amplitude 0.5, every channel alike, starting at
// frame `first` (so consecutive blocks join without a click).
inline std::vector<float> SineBlock(int rate, int channels, size_t frames, uint64_t first,
                                    double hz = 440.0) {
  std::vector<float> out(frames * static_cast<size_t>(channels));
  for (size_t f = 0; f < frames; ++f) {
    const float v = static_cast<float>(0.5 * std::sin(2 * M_PI * hz * double(first + f) / rate));
    for (int c = 0; c < channels; ++c) out[f * channels + c] = v;
  }
  return out;
}

// A WAV stream of `seconds` of that sine, 16-bit, header sizes unknown or exact.
inline std::string SineWav(int rate, int channels, double seconds, bool sizesKnown) {
  const size_t frames = static_cast<size_t>(rate * seconds);
  const std::vector<float> samples = SineBlock(rate, channels, frames, 0);
  std::string out;
  const std::vector<uint8_t> header = zengine::MakeWavHeader(
      rate, channels, sizesKnown ? frames * channels * 2 : zengine::kWavSizeUnknown);
  out.assign(header.begin(), header.end());
  for (const float v : samples) {
    const int16_t s = static_cast<int16_t>(std::lrint(v * 32767.0));
    out += static_cast<char>(s & 0xFF);
    out += static_cast<char>((s >> 8) & 0xFF);
  }
  return out;
}

}  // namespace ztest
