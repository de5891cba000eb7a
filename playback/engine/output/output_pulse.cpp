#include "playback/engine/output/output_pulse.h"

#include <pulse/error.h>
#include <pulse/proplist.h>
#include <pulse/rtclock.h>
#include <pulse/timeval.h>

#include <algorithm>
#include <cstring>

#include "playback/engine/engine.h"

namespace zengine {

namespace {
// How long Open waits for the server, all steps together: a dead socket fails at
// once, but a hung server or an unanswered network address must not freeze start-up.
constexpr pa_usec_t kOpenTimeout = 3 * PA_USEC_PER_SEC;
// Target of the server-side buffer. Volume changes and the analyser lag by about
// this much; smaller means more wake-ups for the server and for us.
constexpr pa_usec_t kTargetLatency = 100 * PA_USEC_PER_MSEC;
constexpr char kClientName[] = "Zovalis";

// Holds the mainloop lock for a scope, unless already on the mainloop thread (where
// libpulse holds it for us and locking again would deadlock).
class MainloopLock {
 public:
  explicit MainloopLock(pa_threaded_mainloop* m)
      : m_(pa_threaded_mainloop_in_thread(m) ? nullptr : m) {
    if (m_) pa_threaded_mainloop_lock(m_);
  }
  ~MainloopLock() {
    if (m_) pa_threaded_mainloop_unlock(m_);
  }
  MainloopLock(const MainloopLock&) = delete;
  MainloopLock& operator=(const MainloopLock&) = delete;

 private:
  pa_threaded_mainloop* m_;
};

void Unref(pa_operation* op) {
  if (op) pa_operation_unref(op);
}
}  // namespace

PulseOutput::~PulseOutput() { Close(); }

// Waits on the mainloop (lock held) until done() or the Open deadline.
template <class Done>
bool PulseOutput::WaitLocked(Done done) {
  while (!done()) {
    if (timed_out_) return false;
    pa_threaded_mainloop_wait(mainloop_);
  }
  return true;
}

// Called with the mainloop lock held: releases it, closes everything, returns code.
int PulseOutput::Abandon(int code) {
  if (deadline_) {
    pa_threaded_mainloop_get_api(mainloop_)->time_free(deadline_);
    deadline_ = nullptr;
  }
  pa_threaded_mainloop_unlock(mainloop_);
  Close();
  return code;
}

int PulseOutput::Open(int rate, int channels, PullFn pull) {
  if (mainloop_) return kErrAlready;
  const pa_sample_spec sampleFormat{PA_SAMPLE_FLOAT32NE, static_cast<uint32_t>(rate),
                            static_cast<uint8_t>(channels)};
  if (!pull || channels < 1 || channels > static_cast<int>(PA_CHANNELS_MAX) || rate <= 0 ||
      !pa_sample_spec_valid(&sampleFormat))
    return kErrFormat;
  rate_ = rate;
  channels_ = channels;
  pull_ = std::move(pull);
  timed_out_ = false;

  mainloop_ = pa_threaded_mainloop_new();
  if (!mainloop_) return kErrMem;
  pa_proplist* props = pa_proplist_new();
  pa_proplist_sets(props, PA_PROP_APPLICATION_NAME, kClientName);
  pa_proplist_sets(props, PA_PROP_MEDIA_ROLE, "music");
  context_ = pa_context_new_with_proplist(pa_threaded_mainloop_get_api(mainloop_), kClientName,
                                          props);
  pa_proplist_free(props);
  if (!context_) {
    Close();
    return kErrMem;
  }
  pa_context_set_state_callback(context_, &PulseOutput::OnContextState, this);

  pa_threaded_mainloop_lock(mainloop_);
  if (pa_threaded_mainloop_start(mainloop_) < 0) return Abandon(kErrDriver);
  deadline_ = pa_context_rttime_new(context_, pa_rtclock_now() + kOpenTimeout,
                                    &PulseOutput::OnTimeout, this);
  // Never spawn a server: a missing one is reported, the user's session owns it.
  if (pa_context_connect(context_, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0)
    return Abandon(kErrDriver);
  const bool connected = WaitLocked([this] {
    const pa_context_state_t s = pa_context_get_state(context_);
    return s == PA_CONTEXT_READY || !PA_CONTEXT_IS_GOOD(s);
  });
  if (!connected || pa_context_get_state(context_) != PA_CONTEXT_READY) return Abandon(kErrDriver);

  pa_channel_map map;
  pa_channel_map_init_auto(&map, static_cast<unsigned>(channels), PA_CHANNEL_MAP_DEFAULT);
  stream_ = pa_stream_new(context_, kClientName, &sampleFormat, &map);
  if (!stream_) return Abandon(kErrFormat);
  pa_stream_set_state_callback(stream_, &PulseOutput::OnStreamState, this);
  pa_stream_set_write_callback(stream_, &PulseOutput::OnWrite, this);
  pa_buffer_attr attr;
  attr.maxlength = static_cast<uint32_t>(-1);
  attr.tlength = static_cast<uint32_t>(pa_usec_to_bytes(kTargetLatency, &sampleFormat));
  attr.prebuf = static_cast<uint32_t>(-1);
  attr.minreq = static_cast<uint32_t>(-1);
  attr.fragsize = static_cast<uint32_t>(-1);
  const auto flags = static_cast<pa_stream_flags_t>(
      PA_STREAM_START_CORKED | PA_STREAM_ADJUST_LATENCY | PA_STREAM_AUTO_TIMING_UPDATE |
      PA_STREAM_INTERPOLATE_TIMING);
  if (pa_stream_connect_playback(stream_, nullptr, &attr, flags, nullptr, nullptr) < 0)
    return Abandon(kErrFormat);
  const bool ready = WaitLocked([this] {
    const pa_stream_state_t s = pa_stream_get_state(stream_);
    return s == PA_STREAM_READY || !PA_STREAM_IS_GOOD(s);
  });
  if (!ready || pa_stream_get_state(stream_) != PA_STREAM_READY) {
    // The connection went down meanwhile, or the server refused the stream.
    return Abandon(PA_CONTEXT_IS_GOOD(pa_context_get_state(context_)) && !timed_out_ ? kErrFormat
                                                                                   : kErrDriver);
  }
  pa_threaded_mainloop_get_api(mainloop_)->time_free(deadline_);
  deadline_ = nullptr;
  pa_threaded_mainloop_unlock(mainloop_);
  return kOk;
}

void PulseOutput::Start() {
  if (!mainloop_ || !stream_) return;
  MainloopLock lock(mainloop_);
  if (pa_stream_get_state(stream_) != PA_STREAM_READY) return;
  Unref(pa_stream_cork(stream_, 0, nullptr, nullptr));
}

void PulseOutput::Pause() {
  if (!mainloop_ || !stream_) return;
  MainloopLock lock(mainloop_);
  if (pa_stream_get_state(stream_) != PA_STREAM_READY) return;
  Unref(pa_stream_cork(stream_, 1, nullptr, nullptr));
  // What is queued belongs to sources that left: it must not play on the next Start.
  Unref(pa_stream_flush(stream_, nullptr, nullptr));
}

void PulseOutput::Close() {
  if (!mainloop_) return;
  {
    MainloopLock lock(mainloop_);
    if (stream_) {
      pa_stream_set_write_callback(stream_, nullptr, nullptr);
      pa_stream_set_state_callback(stream_, nullptr, nullptr);
      pa_stream_disconnect(stream_);
      pa_stream_unref(stream_);
      stream_ = nullptr;
    }
    if (context_) {
      pa_context_set_state_callback(context_, nullptr, nullptr);
      pa_context_disconnect(context_);
      pa_context_unref(context_);
      context_ = nullptr;
    }
  }
  // Stops and joins the mainloop thread (harmless if it never started).
  pa_threaded_mainloop_stop(mainloop_);
  pa_threaded_mainloop_free(mainloop_);
  mainloop_ = nullptr;
  pull_ = nullptr;
}

size_t PulseOutput::QueuedFrames() const {
  if (!mainloop_ || !stream_) return 0;
  MainloopLock lock(mainloop_);
  pa_usec_t usec = 0;
  int negative = 0;
  if (pa_stream_get_latency(stream_, &usec, &negative) < 0 || negative) return 0;
  return static_cast<size_t>(usec * static_cast<pa_usec_t>(rate_) / PA_USEC_PER_SEC);
}

// Mainloop thread.
void PulseOutput::OnContextState(pa_context*, void* self) {
  pa_threaded_mainloop_signal(static_cast<PulseOutput*>(self)->mainloop_, 0);
}

// Mainloop thread.
void PulseOutput::OnStreamState(pa_stream*, void* self) {
  pa_threaded_mainloop_signal(static_cast<PulseOutput*>(self)->mainloop_, 0);
}

// Mainloop thread: the Open deadline passed.
void PulseOutput::OnTimeout(pa_mainloop_api*, pa_time_event*, const struct timeval*, void* self) {
  auto* out = static_cast<PulseOutput*>(self);
  out->timed_out_ = true;
  pa_threaded_mainloop_signal(out->mainloop_, 0);
}

// Mainloop thread: the server asks for `bytes` more; they come from the pull
// function, written straight into libpulse's buffers.
void PulseOutput::OnWrite(pa_stream* stream, size_t bytes, void* self) {
  auto* out = static_cast<PulseOutput*>(self);
  const size_t frame_bytes = sizeof(float) * static_cast<size_t>(out->channels_);
  while (bytes >= frame_bytes) {
    void* data = nullptr;
    size_t size = bytes;
    if (pa_stream_begin_write(stream, &data, &size) < 0 || !data) return;
    size = std::min(size, bytes);
    size -= size % frame_bytes;
    if (size == 0) {
      pa_stream_cancel_write(stream);
      return;
    }
    const size_t frames = size / frame_bytes;
    auto* samples = static_cast<float*>(data);
    const size_t got = std::min(out->pull_(samples, frames), frames);
    std::memset(samples + got * static_cast<size_t>(out->channels_), 0,
                (frames - got) * frame_bytes);
    if (pa_stream_write(stream, data, size, nullptr, 0, PA_SEEK_RELATIVE) < 0) return;
    bytes -= size;
  }
}

}  // namespace zengine
