// The engine's mix, for the engine's own parts (channels, the analyser, tests):
// sources join and leave the running output's mix here.
//
// The output is corked (paused, sending nothing) while the mix has no source, and
// un-corked when the first one joins; when the last one leaves it is corked again
// and the audio it still queued is dropped. So an idle program costs no CPU and a
// stopped station's tail never plays at the start of the next one.
#pragma once

#include <cstddef>
#include <memory>

#include "playback/engine/output/mixersource.h"

namespace zengine {

// Adds a source to the mix of the running output; kErrInit when not started.
// Any thread but the output's.
bool AttachSource(std::shared_ptr<MixerSource> source);

// Takes a source out of the mix; when it returns the source is never called again.
// Any thread but the output's; no effect for a source not in the mix.
void DetachSource(const MixerSource* source);

// Frames the output holds that are not heard yet (0 when not started); any thread.
size_t OutputQueuedFrames();

// Sample rate and channel count of the running output (0 when not started).
int OutputRate();
int OutputChannels();

}  // namespace zengine
