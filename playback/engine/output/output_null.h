// NullOutput: plays nothing; pulls the mix either at the pace of real playback
// (20 ms blocks against a steady clock) or as fast as it is produced (tests).
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>
#include <vector>

#include "playback/engine/output/output.h"

namespace zengine {

class NullOutput : public Output {
 public:
  enum class Pace { RealTime, Fast };
  explicit NullOutput(Pace pace);
  ~NullOutput() override;

  int Open(int rate, int channels, PullFn pull) override;
  void Start() override;
  void Pause() override;
  void Close() override;
  const char* Name() const override;
  // Pulled audio counts as heard at once: nothing is queued.
  size_t QueuedFrames() const override { return 0; }

  // Frames pulled since Open (tests check the pace with it); any thread.
  uint64_t FramesPulled() const { return frames_pulled_.load(); }

 private:
  void Run();

  const Pace pace_;
  int rate_ = 0;
  int channels_ = 0;
  PullFn pull_;
  std::thread thread_;
  std::atomic<uint64_t> frames_pulled_{0};

  std::mutex mutex_;
  std::condition_variable wake_;
  bool running_ = false;  // between Start and Pause
  bool quit_ = false;     // set by Close
};

}  // namespace zengine
