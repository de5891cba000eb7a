// Eventually: polls a condition until it holds or a generous limit passes, for
// results that arrive from another thread or process.
#pragma once

#include <chrono>
#include <functional>
#include <thread>

namespace ztest {

inline bool Eventually(const std::function<bool()>& condition,
                       std::chrono::milliseconds limit = std::chrono::seconds(10)) {
  const auto deadline = std::chrono::steady_clock::now() + limit;
  for (;;) {
    if (condition()) return true;
    if (std::chrono::steady_clock::now() >= deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
}

}  // namespace ztest
