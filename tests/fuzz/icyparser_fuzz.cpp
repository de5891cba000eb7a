// libFuzzer target: IcyParser::Feed. Bytes 0-1 give the metadata interval (0 to 2048),
// byte 2 the seed of the piece sizes; the rest is the body. The body fed whole and fed
// in pieces of 1 to 64 bytes must give the same audio and the same texts, and every
// text must be UTF-8 that starts as metadata does.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "fuzzcheck.h"
#include "playback/engine/net/icyparser.h"
#include "playback/engine/textutil.h"

namespace {

struct Out {
  std::string audio;
  std::vector<std::string> texts;
};

Out Run(size_t metaInt, const char* body, size_t size, uint32_t seed) {
  Out out;
  zengine::IcyParser parser(
      metaInt, [&out](const char* p, size_t n) { out.audio.append(p, n); return true; },
      [&out](const std::string& t) { out.texts.push_back(t); });
  size_t at = 0;
  while (at < size) {
    size_t piece = size - at;
    if (seed != 0) {
      seed = seed * 1103515245u + 12345u;
      piece = std::min<size_t>(piece, 1 + (seed >> 16) % 64);
    }
    FUZZ_CHECK(parser.Feed(body + at, piece));
    at += piece;
  }
  return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 3) return 0;
  const size_t metaInt = (data[0] | (data[1] << 8)) % 2049;
  const uint32_t seed = data[2] | 0x100u;
  const char* body = reinterpret_cast<const char*>(data + 3);
  const Out whole = Run(metaInt, body, size - 3, 0);
  const Out pieces = Run(metaInt, body, size - 3, seed);
  FUZZ_CHECK(whole.audio == pieces.audio);
  FUZZ_CHECK(whole.texts == pieces.texts);
  FUZZ_CHECK(whole.audio.size() <= size - 3);
  if (metaInt == 0) FUZZ_CHECK(whole.audio.size() == size - 3);
  for (const std::string& t : whole.texts) {
    FUZZ_CHECK(zengine::IsValidUtf8(t));
    FUZZ_CHECK(t.find('\0') == std::string::npos);
    FUZZ_CHECK(t.find("='") != std::string::npos);
  }
  return 0;
}
