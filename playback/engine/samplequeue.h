// SampleQueue: a bounded queue of interleaved float frames between a channel's
// decoding thread (Push) and the output thread (PopAdd). The lock is held only to
// copy samples, never while waiting, so the output thread is never held up for long.
#pragma once

#include <cstddef>
#include <mutex>
#include <vector>

namespace zengine {

class SampleQueue {
 public:
  SampleQueue(size_t capacityFrames, int channels);

  // Appends up to `frames` frames; returns how many fitted. Decoding thread.
  size_t Push(const float* src, size_t frames);
  // Adds (+=) up to `frames` queued frames into dst and removes them; returns how
  // many. `mono`, when not null, receives the same frames mixed to mono. Output thread.
  size_t PopAdd(float* dst, size_t frames, float* mono);
  void Clear();  // any thread
  size_t Size() const;
  size_t Free() const;
  int Channels() const { return channels_; }

 private:
  const size_t capacity_;
  const int channels_;
  mutable std::mutex mutex_;
  std::vector<float> data_;
  size_t head_ = 0;  // next frame to pop
  size_t size_ = 0;  // frames queued
};

}  // namespace zengine
