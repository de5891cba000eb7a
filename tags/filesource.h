// A local file seen as a TByteSource, read with positioned reads (no shared file
// position, so one source may serve several readers in turn).
#pragma once

#include <QString>

#include "tags/bytesource.h"

class TFileSource final : public TByteSource {
 public:
  explicit TFileSource(const QString& path);
  ~TFileSource() override;
  TFileSource(const TFileSource&) = delete;
  TFileSource& operator=(const TFileSource&) = delete;

  // False when the file could not be opened (missing, unreadable, a folder).
  bool IsOpen() const { return fd_ >= 0; }
  int64_t Size() const override { return size_; }
  int64_t ReadAt(int64_t offset, void* dest, int64_t length) const override;

 private:
  int fd_ = -1;
  int64_t size_ = 0;
};
