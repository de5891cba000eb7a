// libFuzzer target: TWMAfile::ReadTag over arbitrary bytes.
#include <cstddef>
#include <cstdint>

#include "tags/wmafile.h"
#include "tags/memorysource.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const TMemorySource source(QByteArrayView(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size)));
  TWMAfile tag;
  tag.ReadTag(source);
  return 0;
}
