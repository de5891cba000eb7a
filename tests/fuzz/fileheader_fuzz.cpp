// libFuzzer target: the engine's header reader over arbitrary bytes, as if they were a
// file of that size.
#include <algorithm>
#include <cstddef>
#include <cstdint>

#include "playback/engine/decode/fileheader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const zengine::ReadAtFn readAt = [data, size](int64_t offset, char* dst, size_t n) -> size_t {
    if (offset < 0 || static_cast<uint64_t>(offset) >= size) return 0;
    const size_t got = std::min(n, size - static_cast<size_t>(offset));
    std::copy_n(data + offset, got, dst);
    return got;
  };
  if (auto h = zengine::ParseFileHeader(readAt, static_cast<int64_t>(size))) {
    // What a channel is built from must be usable.
    if (h->rate <= 0 || h->channels <= 0 || h->channels > 16) __builtin_trap();
  }
  return 0;
}
