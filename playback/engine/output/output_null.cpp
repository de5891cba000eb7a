#include "playback/engine/output/output_null.h"

#include <algorithm>
#include <chrono>

#include "playback/engine/engine.h"

namespace zengine {

namespace {
constexpr int kBlockMs = 20;
// After a stall longer than this (machine suspended, debugger), the clock restarts
// from now instead of pulling the missed time in a burst.
constexpr auto kMaxLag = std::chrono::milliseconds(500);
}  // namespace

NullOutput::NullOutput(Pace pace) : pace_(pace) {}

NullOutput::~NullOutput() { Close(); }

int NullOutput::Open(int rate, int channels, PullFn pull) {
  if (thread_.joinable()) return kErrAlready;
  if (rate <= 0 || channels <= 0 || !pull) return kErrIllParam;
  rate_ = rate;
  channels_ = channels;
  pull_ = std::move(pull);
  running_ = false;
  quit_ = false;
  thread_ = std::thread(&NullOutput::Run, this);
  return kOk;
}

void NullOutput::Start() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    running_ = true;
  }
  wake_.notify_all();
}

void NullOutput::Pause() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    running_ = false;
  }
  wake_.notify_all();
}

void NullOutput::Close() {
  if (!thread_.joinable()) return;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    quit_ = true;
  }
  wake_.notify_all();
  thread_.join();
  pull_ = nullptr;
}

const char* NullOutput::Name() const { return pace_ == Pace::Fast ? "null-fast" : "null"; }

// Output thread: waits (without spinning) while paused, then pulls one block per
// 20 ms of steady-clock time, or back to back in the fast pace.
void NullOutput::Run() {
  using Clock = std::chrono::steady_clock;
  const size_t block = std::max<size_t>(1, static_cast<size_t>(rate_) * kBlockMs / 1000);
  const auto block_time = std::chrono::duration_cast<Clock::duration>(
      std::chrono::duration<double>(static_cast<double>(block) / rate_));
  std::vector<float> buffer(block * static_cast<size_t>(channels_));
  bool was_running = false;
  Clock::time_point next;

  std::unique_lock<std::mutex> lock(mutex_);
  for (;;) {
    wake_.wait(lock, [this] { return quit_ || running_; });
    if (quit_) return;
    if (!was_running) next = Clock::now();
    was_running = true;
    lock.unlock();

    pull_(buffer.data(), block);
    frames_pulled_ += block;

    lock.lock();
    if (pace_ == Pace::Fast) continue;
    next += block_time;
    if (Clock::now() - next > kMaxLag) next = Clock::now();
    // Paused or closed during the wait: wake at once; the clock restarts on Start.
    if (wake_.wait_until(lock, next, [this] { return quit_ || !running_; }))
      was_running = false;
  }
}

}  // namespace zengine
