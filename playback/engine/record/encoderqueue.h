// EncoderQueue: the bounded hand-over between the playback thread, which pushes each
// block of sound, and an encoder's writer thread, which pops them.
//
// Overflow policy: Push never waits. When a block would take the queue past its
// capacity, the whole block is dropped (the file gets a gap, the sound keeps playing)
// and counted; blocks keep being accepted again as soon as the writer catches up.
// A closed queue refuses every push; the writer still pops what it holds.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <optional>
#include <vector>

namespace zengine {

class EncoderQueue {
 public:
  explicit EncoderQueue(size_t capacityBytes) : capacity_(capacityBytes) {}

  // False when the block was dropped (queue full or closed). Any thread; never waits
  // for the writer.
  bool Push(std::vector<uint8_t> block);

  // The next block; nullopt when the queue is closed and empty, or when `wait` passed
  // with nothing to pop (then Closed() tells which). Writer thread.
  std::optional<std::vector<uint8_t>> Pop(std::chrono::milliseconds wait);

  // Everything queued, joined into one block, once at least `minBytes` are queued (or
  // the queue is closed, or `wait` passed with something queued): fewer, larger writes
  // and fewer wake-ups of the writer. nullopt like Pop. Writer thread.
  std::optional<std::vector<uint8_t>> PopBatch(size_t minBytes, std::chrono::milliseconds wait);

  // No more pushes; Pop drains what is left. Any thread.
  void Close();
  bool Closed() const;

  uint64_t DroppedBytes() const;
  size_t QueuedBytes() const;

 private:
  const size_t capacity_;
  mutable std::mutex mutex_;
  std::condition_variable ready_;
  std::deque<std::vector<uint8_t>> blocks_;
  size_t queued_ = 0;
  uint64_t dropped_ = 0;
  bool closed_ = false;
  size_t wakeAt_ = 1;  // queued bytes at which a push wakes the waiting writer
};

}  // namespace zengine
