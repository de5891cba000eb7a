// output/: where the mixed sound goes: the mixer, the output interface and its
// PulseAudio and null outputs.
//
// Output: where the engine's mix goes (a sound server, or nowhere at a chosen pace).
//
// An output pulls its audio: once opened it calls the pull function on its own
// thread whenever it wants more, so nothing upstream needs a clock of its own.
// Samples are 32-bit floats in [-1, 1], interleaved, `channels` per frame.
//
// Threads: Open, Start, Pause and Close are called by the engine under its own lock
// (never concurrently with each other) from whatever thread calls the engine; the
// pull function runs on the output's thread only. None of them may be called from
// inside the pull function.
#pragma once

#include <cstddef>
#include <functional>

namespace zengine {

class Output {
 public:
  // Fills dst with up to `frames` frames and returns how many it wrote; the output
  // plays silence for the rest. Called on the output's own thread.
  using PullFn = std::function<size_t(float* dst, size_t frames)>;

  virtual ~Output() = default;

  // Called once, first, by the engine's Init: opens the device at `rate` Hz with
  // `channels` channels, paused; returns kOk or an engine error code (kErrDriver...).
  virtual int Open(int rate, int channels, PullFn pull) = 0;

  // Called by the engine when the first source joins the mix: audio starts flowing
  // and the pull function is called at the pace of playback.
  virtual void Start() = 0;

  // Called by the engine when the last source leaves the mix: playback stops, audio
  // still queued is dropped, and the pull function is no longer called (the output
  // may pull once more to refill its buffer while paused).
  virtual void Pause() = 0;

  // Called by the engine's Free (and by the destructor): stops the output thread and
  // releases the device; when it returns the pull function is never called again.
  virtual void Close() = 0;

  // Short name shown to users and tests ("pulse", "null", "null-fast"); any thread.
  virtual const char* Name() const = 0;

  // Frames handed to the output but not heard yet (its buffer plus the device's
  // delay), so an analyser can show what is heard; any thread, 0 when unknown.
  virtual size_t QueuedFrames() const = 0;
};

}  // namespace zengine
