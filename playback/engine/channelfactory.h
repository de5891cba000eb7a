// Making channels from any PcmSource: the engine's own parts (file decoder, network
// decoder, CD tracks) hand their source here and get a playable channel handle.
#pragma once

#include <memory>

#include "playback/engine/engine.h"
#include "playback/engine/pcmsource.h"

namespace zengine {

// Makes a channel that decodes from `source` on its own thread and plays through the
// engine's mix: length, position, seek, end sync, FFT, DSP hooks, play/pause/stop/free.
// isFile: true for a source with an end and a length (files, CD tracks: seekable,
// raises the end sync); false for a live network source (seeks fail with
// kErrNotFile). Returns 0 with kErrInit when the engine is not started, kErrHandle
// for a null source. The channel owns the source from then on. Any thread.
Handle CreateSourceChannel(std::unique_ptr<PcmSource> source, bool isFile);

}  // namespace zengine
