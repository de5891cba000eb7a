// Random-access bytes that a tag reader reads: a file, or bytes in memory (tests, fuzzing).
//
// Every read names its offset and length and gets back at most what the source holds;
// a reader never needs to know how far the source goes beyond checking Size(). Lengths
// taken from the bytes themselves are clamped to what remains before anything is
// allocated, so a forged size cannot make a reader allocate more than the source holds.
#pragma once

#include <QByteArray>
#include <algorithm>
#include <cstdint>

#include "playback/engine/formats/readat.h"

class TByteSource {
 public:
  virtual ~TByteSource() = default;

  // Size in bytes; 0 for a source that could not be opened.
  virtual int64_t Size() const = 0;

  // Copies up to `length` bytes from `offset` into `dest`. Returns how many were copied:
  // fewer than asked at the end, 0 for an offset outside the source or a read error.
  virtual int64_t ReadAt(int64_t offset, void* dest, int64_t length) const = 0;

  // True when all `length` bytes from `offset` exist and were copied.
  bool ReadExact(int64_t offset, void* dest, int64_t length) const {
    if (offset < 0 || length < 0 || offset > Size() || length > Size() - offset) return false;
    return ReadAt(offset, dest, length) == length;
  }

  // Up to `length` bytes from `offset`: fewer (possibly none) past the end.
  QByteArray Read(int64_t offset, int64_t length) const {
    if (offset < 0 || length <= 0 || offset >= Size()) return {};
    const int64_t n = std::min(length, Size() - offset);
    QByteArray bytes(static_cast<qsizetype>(n), Qt::Uninitialized);
    const int64_t got = ReadAt(offset, bytes.data(), n);
    bytes.truncate(static_cast<qsizetype>(std::max<int64_t>(got, 0)));
    return bytes;
  }
};

// The source as the shared format readers (playback/engine/formats/) read bytes. The
// source must outlive the function.
inline zengine::ReadAtFn ReadAtOf(const TByteSource& source) {
  return [&source](int64_t offset, char* dst, size_t n) -> size_t {
    const int64_t got = source.ReadAt(offset, dst, static_cast<int64_t>(n));
    return got > 0 ? static_cast<size_t>(got) : 0;
  };
}
