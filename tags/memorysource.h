// Bytes in memory seen as a TByteSource. The bytes are not copied: they must outlive
// the source.
#pragma once

#include <QByteArrayView>

#include "tags/bytesource.h"

class TMemorySource final : public TByteSource {
 public:
  explicit TMemorySource(QByteArrayView bytes) : bytes_(bytes) {}
  int64_t Size() const override { return bytes_.size(); }
  int64_t ReadAt(int64_t offset, void* dest, int64_t length) const override;

 private:
  QByteArrayView bytes_;
};
