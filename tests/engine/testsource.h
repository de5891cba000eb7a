// TestSource: a mixer source for tests; adds a constant sample value and counts
// how often and how much it was pulled.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>

#include "playback/engine/output/mixersource.h"

namespace ztest {

class TestSource : public zengine::MixerSource {
 public:
  explicit TestSource(float value = 0.0f, size_t limit = SIZE_MAX) : value_(value), limit_(limit) {}

  // Output thread.
  size_t MixInto(float* dst, size_t frames, int channels) override {
    const size_t n = frames < limit_ ? frames : limit_;
    for (size_t i = 0; i < n * static_cast<size_t>(channels); ++i) dst[i] += value_;
    calls_++;
    frames_ += n;
    return n;
  }

  uint64_t Calls() const { return calls_.load(); }
  uint64_t Frames() const { return frames_.load(); }

 private:
  const float value_;
  const size_t limit_;  // most frames added per call
  std::atomic<uint64_t> calls_{0};
  std::atomic<uint64_t> frames_{0};
};

}  // namespace ztest
