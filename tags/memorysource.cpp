#include "tags/memorysource.h"

#include <algorithm>
#include <cstring>

int64_t TMemorySource::ReadAt(int64_t offset, void* dest, int64_t length) const {
  if (offset < 0 || length <= 0 || offset >= Size()) return 0;
  const int64_t n = std::min(length, Size() - offset);
  std::memcpy(dest, bytes_.data() + offset, static_cast<size_t>(n));
  return n;
}
