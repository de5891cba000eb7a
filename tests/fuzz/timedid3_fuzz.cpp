// libFuzzer target: the ID3 tags of HLS streams (timed ID3, packed-audio segments) and the
// Ogg comment scanner of chained Opus and FLAC streams, fed the same bytes in pieces.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzzcheck.h"
#include "playback/engine/decode/id3frames.h"
#include "playback/engine/formats/oggchaintitles.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  zengine::Id3Info info;
  const size_t tag = zengine::Id3TagSize(bytes);
  if (zengine::ParseId3(bytes.substr(0, tag), &info)) {
    FUZZ_CHECK(info.timestamp < (int64_t(1) << 33));
    (void)zengine::Id3StreamTitle(info);
  }
  for (const bool flac : {false, true}) {
    zengine::OggChainTitles titles(flac);
    const size_t half = size / 2;
    titles.Feed(0, bytes.substr(0, half));
    titles.Feed(static_cast<int64_t>(half), bytes.substr(half));
    int64_t pos = 0;
    std::string text;
    while (titles.Take(&pos, &text)) FUZZ_CHECK(pos >= 0 && pos < static_cast<int64_t>(size));
  }
  return 0;
}
