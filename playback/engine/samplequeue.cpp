#include "playback/engine/samplequeue.h"

#include <algorithm>

namespace zengine {

SampleQueue::SampleQueue(size_t capacityFrames, int channels)
    : capacity_(capacityFrames), channels_(channels) {}

size_t SampleQueue::Push(const float* src, size_t frames) {
  std::lock_guard<std::mutex> lock(mutex_);
  // The storage comes with the first sound: a channel that never plays needs none.
  if (data_.empty()) data_.resize(capacity_ * static_cast<size_t>(channels_));
  const size_t n = std::min(frames, capacity_ - size_);
  size_t tail = (head_ + size_) % capacity_;
  size_t done = 0;
  while (done < n) {
    const size_t run = std::min(n - done, capacity_ - tail);
    std::copy_n(src + done * channels_, run * channels_, data_.data() + tail * channels_);
    done += run;
    tail = (tail + run) % capacity_;
  }
  size_ += n;
  return n;
}

size_t SampleQueue::PopAdd(float* dst, size_t frames, float* mono) {
  std::lock_guard<std::mutex> lock(mutex_);
  const size_t n = std::min(frames, size_);
  size_t done = 0;
  const float monoGain = 1.0f / static_cast<float>(channels_);
  while (done < n) {
    const size_t run = std::min(n - done, capacity_ - head_);
    const float* src = data_.data() + head_ * channels_;
    float* out = dst + done * channels_;
    for (size_t i = 0; i < run * channels_; ++i) out[i] += src[i];
    if (mono) {
      for (size_t f = 0; f < run; ++f) {
        float sum = 0.0f;
        for (int c = 0; c < channels_; ++c) sum += src[f * channels_ + c];
        mono[done + f] = sum * monoGain;
      }
    }
    done += run;
    head_ = (head_ + run) % capacity_;
  }
  size_ -= n;
  return n;
}

void SampleQueue::Clear() {
  std::lock_guard<std::mutex> lock(mutex_);
  head_ = 0;
  size_ = 0;
}

size_t SampleQueue::Size() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return size_;
}

size_t SampleQueue::Free() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return capacity_ - size_;
}

}  // namespace zengine
