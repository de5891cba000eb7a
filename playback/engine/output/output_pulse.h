// PulseOutput: plays the mix through a PulseAudio server (PipeWire desktops serve
// the same protocol), one playback stream on the default sink.
//
// libpulse runs its own thread (pa_threaded_mainloop); the stream's write callback
// pulls the mix there. The stream starts corked and the engine un-corks it only
// while at least one source plays, so an idle program sends nothing and costs no CPU.
#pragma once

#include <atomic>
#include <pulse/context.h>
#include <pulse/stream.h>
#include <pulse/thread-mainloop.h>

#include "playback/engine/output/output.h"

namespace zengine {

class PulseOutput : public Output {
 public:
  PulseOutput() = default;
  ~PulseOutput() override;
  PulseOutput(const PulseOutput&) = delete;
  PulseOutput& operator=(const PulseOutput&) = delete;

  // Connects to the server named by the usual client configuration (PULSE_SERVER,
  // client.conf, $XDG_RUNTIME_DIR/pulse/native), never spawning one, waiting at most
  // a few seconds; kErrDriver when no server answers, kErrFormat when it refuses
  // the stream.
  int Open(int rate, int channels, PullFn pull) override;
  void Start() override;
  void Pause() override;
  void Close() override;
  const char* Name() const override { return "pulse"; }
  size_t QueuedFrames() const override;

 private:
  static void OnContextState(pa_context* context, void* self);
  static void OnStreamState(pa_stream* stream, void* self);
  static void OnWrite(pa_stream* stream, size_t bytes, void* self);
  static void OnTimeout(pa_mainloop_api* api, pa_time_event* event, const struct timeval* tv,
                        void* self);
  template <class Done>
  bool WaitLocked(Done done);
  int Abandon(int code);  // lock held: unlocks, closes, returns code

  int rate_ = 0;
  int channels_ = 0;
  PullFn pull_;
  pa_threaded_mainloop* mainloop_ = nullptr;
  pa_context* context_ = nullptr;
  pa_stream* stream_ = nullptr;
  pa_time_event* deadline_ = nullptr;  // bounds the waits of Open
  // Set on the mainloop thread, read by the opening thread: atomic, since the mainloop
  // lock that orders the two is inside libpulse.
  std::atomic<bool> timed_out_{false};
};

}  // namespace zengine
