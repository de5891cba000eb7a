// Mixer: sums the playing sources and applies the global volume; the output pulls
// from it.
#pragma once

#include <atomic>
#include <cstddef>
#include <memory>
#include <mutex>
#include <vector>

#include "playback/engine/output/mixersource.h"

namespace zengine {

class Mixer {
 public:
  explicit Mixer(int channels);

  // Adds a source to the mix (no effect if it is already there); any thread.
  void Add(std::shared_ptr<MixerSource> source);

  // Removes a source; any thread except the output's. When it returns the source
  // is not being called and never will be again, so its owner may tear it down.
  void Remove(const MixerSource* source);

  // Number of sources in the mix; any thread.
  size_t Count() const;

  // Global volume 0-100, a linear gain of volume/100 on every sample; any thread.
  void SetVolume(int volume);
  int Volume() const { return volume_.load(); }

  // Fills `frames` frames of dst (silence plus every source, times the volume) and
  // returns `frames`. Runs on the output's thread (the output's pull function).
  size_t Pull(float* dst, size_t frames);

  int Channels() const { return channels_; }

 private:
  const int channels_;
  std::atomic<int> volume_{100};
  // Held for a whole Pull, so Remove waits for a mix in progress to end.
  mutable std::mutex mutex_;
  std::vector<std::shared_ptr<MixerSource>> sources_;
};

}  // namespace zengine
