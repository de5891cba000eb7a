// Resampler: converts interleaved float frames from a channel's rate and channel count
// to the output's rate in stereo (libswresample; more channels are mixed down with
// its default matrix). Used on one channel's decoding thread only.
#pragma once

#include <cstddef>
#include <vector>

struct SwrContext;

namespace zengine {

class Resampler {
 public:
  Resampler(int inRate, int inChannels, int outRate);
  ~Resampler();
  Resampler(const Resampler&) = delete;
  Resampler& operator=(const Resampler&) = delete;

  // Converts `frames` input frames; returns the stereo output (valid until the next call)
  // and its frame count in *outFrames.
  const float* Convert(const float* in, size_t frames, size_t* outFrames);
  // Forgets the samples it holds back (after a seek).
  void Reset();

 private:
  void Open();  // on the first Convert after construction or Reset
  bool opened_ = false;
  const int inRate_;
  const int inChannels_;
  const int outRate_;
  SwrContext* swr_ = nullptr;
  std::vector<float> out_;
};

}  // namespace zengine
