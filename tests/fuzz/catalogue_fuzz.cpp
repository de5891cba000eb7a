// libFuzzer target: the catalogue file reader, the writer's round trip and the copy of
// rows into a station table.
#include <cstddef>
#include <cstdint>

#include "tests/catalogue/fuzzbodies.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  catfuzz::CatalogueInput(QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)));
  return 0;
}
