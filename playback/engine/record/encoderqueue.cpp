#include "playback/engine/record/encoderqueue.h"

#include <algorithm>

namespace zengine {

bool EncoderQueue::Push(std::vector<uint8_t> block) {
  bool wake = false;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (closed_ || queued_ + block.size() > capacity_) {
      dropped_ += block.size();
      return false;
    }
    const size_t before = queued_;
    queued_ += block.size();
    blocks_.push_back(std::move(block));
    wake = before < wakeAt_ && queued_ >= wakeAt_;
  }
  if (wake) ready_.notify_one();
  return true;
}

std::optional<std::vector<uint8_t>> EncoderQueue::Pop(std::chrono::milliseconds wait) {
  std::unique_lock<std::mutex> lock(mutex_);
  ready_.wait_for(lock, wait, [this] { return !blocks_.empty() || closed_; });
  if (blocks_.empty()) return std::nullopt;
  std::vector<uint8_t> block = std::move(blocks_.front());
  blocks_.pop_front();
  queued_ -= block.size();
  return block;
}

std::optional<std::vector<uint8_t>> EncoderQueue::PopBatch(size_t minBytes,
                                                           std::chrono::milliseconds wait) {
  std::unique_lock<std::mutex> lock(mutex_);
  wakeAt_ = std::max<size_t>(1, std::min(minBytes, capacity_));
  ready_.wait_for(lock, wait, [this] { return queued_ >= wakeAt_ || closed_; });
  wakeAt_ = 1;
  if (blocks_.empty()) return std::nullopt;
  std::vector<uint8_t> batch;
  batch.reserve(queued_);
  for (const std::vector<uint8_t>& b : blocks_) batch.insert(batch.end(), b.begin(), b.end());
  blocks_.clear();
  queued_ = 0;
  return batch;
}

void EncoderQueue::Close() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    closed_ = true;
  }
  ready_.notify_all();
}

bool EncoderQueue::Closed() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return closed_;
}

uint64_t EncoderQueue::DroppedBytes() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return dropped_;
}

size_t EncoderQueue::QueuedBytes() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return queued_;
}

}  // namespace zengine
