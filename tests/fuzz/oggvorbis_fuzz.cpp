// libFuzzer target: TOggVorbis::ReadTag over arbitrary bytes.
#include <cstddef>
#include <cstdint>

#include "tags/oggvorbis.h"
#include "tags/memorysource.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const TMemorySource source(QByteArrayView(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size)));
  TOggVorbis ogg;
  ogg.ReadTag(source);
  (void)ogg.ValidFile();
  return 0;
}
