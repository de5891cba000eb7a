#include "playback/engine/net/netbuffer.h"

#include <algorithm>

namespace zengine {

NetBuffer::NetBuffer(size_t capacity) : capacity_(capacity), data_(capacity), limit_(capacity) {}

void NetBuffer::SetLimit(size_t limit) {
  std::lock_guard<std::mutex> lock(mutex_);
  limit_ = std::clamp<size_t>(limit, 1, capacity_);
  changed_.notify_all();
}

size_t NetBuffer::Capacity() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return limit_;
}

bool NetBuffer::Write(const char* data, size_t size) {
  std::unique_lock<std::mutex> lock(mutex_);
  while (size > 0) {
    changed_.wait(lock, [this] { return aborted_ || size_ < limit_; });
    if (aborted_) return false;
    size_t tail = (head_ + size_) % capacity_;
    const size_t n = std::min({size, limit_ - size_, capacity_ - tail});
    std::copy_n(data, n, data_.data() + tail);
    size_ += n;
    written_ += static_cast<int64_t>(n);
    data += n;
    size -= n;
    changed_.notify_all();
  }
  return true;
}

void NetBuffer::Finish(int error) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (!ended_) error_ = error;
  ended_ = true;
  changed_.notify_all();
}

size_t NetBuffer::Read(char* dst, size_t size) {
  std::unique_lock<std::mutex> lock(mutex_);
  changed_.wait(lock, [this] { return aborted_ || ended_ || size_ > 0; });
  if (aborted_) return 0;
  size_t done = 0;
  while (done < size && size_ > 0) {
    const size_t n = std::min({size - done, size_, capacity_ - head_});
    std::copy_n(data_.data() + head_, n, dst + done);
    head_ = (head_ + n) % capacity_;
    size_ -= n;
    done += n;
  }
  read_ += static_cast<int64_t>(done);
  changed_.notify_all();
  return done;
}

std::string NetBuffer::Peek(size_t size) {
  std::unique_lock<std::mutex> lock(mutex_);
  size = std::min(size, capacity_);
  changed_.wait(lock, [this, size] { return aborted_ || ended_ || size_ >= size; });
  std::string out;
  const size_t n = std::min(size, size_);
  out.reserve(n);
  for (size_t i = 0; i < n; ++i) out += data_[(head_ + i) % capacity_];
  return out;
}

void NetBuffer::Abort() {
  std::lock_guard<std::mutex> lock(mutex_);
  aborted_ = true;
  ended_ = true;
  changed_.notify_all();
}

bool NetBuffer::Aborted() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return aborted_;
}

int64_t NetBuffer::Written() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return written_;
}

int64_t NetBuffer::ReadPos() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return read_;
}

bool NetBuffer::Ended() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return ended_;
}

int NetBuffer::EndError() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return error_;
}

}  // namespace zengine
