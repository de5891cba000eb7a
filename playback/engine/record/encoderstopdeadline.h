// StopDeadline: when an encoder's stop stops waiting for a sink that takes no data.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>

namespace zengine {

// The moment a stop gives up on a sink that does not take data; "never" until a stop
// sets it. Set on the interface thread, read by the writer thread while it waits.
class StopDeadline {
 public:
  using Clock = std::chrono::steady_clock;
  void Set(Clock::time_point when) { ticks_.store(when.time_since_epoch().count()); }
  bool IsSet() const { return ticks_.load() != kNever; }
  Clock::time_point Get() const { return Clock::time_point(Clock::duration(ticks_.load())); }
  bool Passed() const { return IsSet() && Clock::now() >= Get(); }

 private:
  static constexpr int64_t kNever = INT64_MAX;
  std::atomic<int64_t> ticks_{kNever};
};

}  // namespace zengine
