// libFuzzer target: the filter parser and evaluation on the station and country tables.
#include <cstddef>
#include <cstdint>

#include "tests/catalogue/fuzzbodies.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  catfuzz::FilterInput(QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)));
  return 0;
}
