// Starts the engine once for the measurement tests, on the null output that consumes
// sound as fast as it comes (nothing plays here; only files are opened and measured).
#pragma once

#include "playback/engine/engine.h"

inline bool StartTestEngine() {
  static const bool started = zengine::IsInitialised() ||
                              zengine::Init(-1, 44100, zengine::OutputKind::NullFast);
  return started;
}
