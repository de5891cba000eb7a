// Random access to the bytes of a file (or of a buffer standing for one) for the format
// readers: a plain function, so the engine and the tag readers pass their own sources.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>

namespace zengine {

// Copies up to n bytes from `offset` into dst and returns how many it copied: fewer at
// the end of the bytes, 0 for an offset outside them or a read error.
using ReadAtFn = std::function<size_t(int64_t offset, char* dst, size_t n)>;

}  // namespace zengine
