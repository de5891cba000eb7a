#include "playback/engine/output/mixer.h"

#include <algorithm>

namespace zengine {

Mixer::Mixer(int channels) : channels_(channels) {}

void Mixer::Add(std::shared_ptr<MixerSource> source) {
  if (!source) return;
  std::lock_guard<std::mutex> lock(mutex_);
  if (std::find(sources_.begin(), sources_.end(), source) == sources_.end())
    sources_.push_back(std::move(source));
}

void Mixer::Remove(const MixerSource* source) {
  std::lock_guard<std::mutex> lock(mutex_);
  std::erase_if(sources_, [source](const auto& s) { return s.get() == source; });
}

size_t Mixer::Count() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return sources_.size();
}

void Mixer::SetVolume(int volume) { volume_.store(std::clamp(volume, 0, 100)); }

// Output thread.
size_t Mixer::Pull(float* dst, size_t frames) {
  const size_t samples = frames * static_cast<size_t>(channels_);
  std::fill(dst, dst + samples, 0.0f);
  {
    std::lock_guard<std::mutex> lock(mutex_);
    for (const auto& source : sources_) source->MixInto(dst, frames, channels_);
  }
  const int volume = volume_.load();
  if (volume != 100) {
    const float gain = static_cast<float>(volume) / 100.0f;
    for (size_t i = 0; i < samples; ++i) dst[i] *= gain;
  }
  return frames;
}

}  // namespace zengine
