// libFuzzer target: TID3v2::ReadTag over arbitrary bytes.
#include <cstddef>
#include <cstdint>

#include "tags/id3v2.h"
#include "tags/memorysource.h"
#include "tags/mpeginfo.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const TMemorySource source(QByteArrayView(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size)));
  TID3v2 tag;
  tag.ReadTag(source, true);
  tag.ReadTag(source, false);
  (void)ReadMPEGInfo(source);
  return 0;
}
