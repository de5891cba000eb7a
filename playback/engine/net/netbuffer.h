// NetBuffer: the bounded byte buffer between a URL stream's download thread (Write)
// and its decoding thread (Read). The download blocks while the buffer is full, so a
// channel that does not play does not download without end; the decoder blocks while
// it is empty. Abort() wakes both for good.
//
// Counters (bytes of audio, metadata blocks left out): Written() since the start,
// ReadPos() where the decoder is; Written() - ReadPos() is what waits in the buffer.
// Until the decoder has started, the first bytes can be peeked (format probing).
#pragma once

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

namespace zengine {

class NetBuffer {
 public:
  // `capacity` bytes are allocated; writes stop at the limit (initially all of it).
  explicit NetBuffer(size_t capacity);

  // Lowers or raises the fill limit (at most the allocated capacity); any thread.
  void SetLimit(size_t limit);

  // Download thread. Blocks while full; false when aborted (drop the transfer).
  bool Write(const char* data, size_t size);
  // Download thread: no more data will come. `error` is an engine error code, kOk
  // for a clean end of the body.
  void Finish(int error);

  // Decoding thread. Blocks until data, the end or an abort; returns the bytes read,
  // 0 at the end (or abort).
  size_t Read(char* dst, size_t size);

  // Any thread: up to `size` unread bytes, waiting until that many arrived or the
  // download ended. Does not consume them.
  std::string Peek(size_t size);

  void Abort();  // any thread
  bool Aborted() const;

  int64_t Written() const;
  int64_t ReadPos() const;
  size_t Capacity() const;  // the fill limit
  bool Ended() const;   // Finish was called (or aborted)
  int EndError() const;

 private:
  const size_t capacity_;
  mutable std::mutex mutex_;
  std::condition_variable changed_;
  std::vector<char> data_;
  size_t head_ = 0;  // index of the next byte to read
  size_t size_ = 0;
  size_t limit_;
  int64_t written_ = 0;
  int64_t read_ = 0;
  bool ended_ = false;
  bool aborted_ = false;
  int error_ = 0;
};

}  // namespace zengine
