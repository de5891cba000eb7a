// MixerSource: anything that adds audio to the engine's mix (a playing channel).
#pragma once

#include <cstddef>

namespace zengine {

class MixerSource {
 public:
  virtual ~MixerSource() = default;

  // Adds (+=) up to `frames` frames of this source's audio into `dst`, interleaved
  // floats with `channels` per frame, and returns how many frames it added; fewer
  // means it has nothing more right now (the rest stays as the other sources left
  // it). Called on the output's thread, with the mixer's lock held: it must not
  // block, and must not call back into the mixer or the engine.
  virtual size_t MixInto(float* dst, size_t frames, int channels) = 0;
};

}  // namespace zengine
