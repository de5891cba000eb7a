// libFuzzer target: TID3v1::ReadTag over arbitrary bytes.
#include <cstddef>
#include <cstdint>

#include "tags/id3v1.h"
#include "tags/memorysource.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const TMemorySource source(QByteArrayView(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size)));
  TID3v1 tag;
  tag.ReadTag(source);
  return 0;
}
