// libFuzzer target: the texts the engine makes from tag bytes itself: the ID3v1 tag of
// the last 128 bytes, and the title of a block of Ogg comments (the input taken as a tag
// block, as the decoder gives it).
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzzcheck.h"
#include "playback/engine/decode/tagtexts.h"
#include "playback/engine/textutil.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const std::string_view last = size >= 128 ? bytes.substr(size - 128) : bytes;
  for (const std::string& text : zengine::Id3v1Texts(last)) {
    FUZZ_CHECK(zengine::IsValidUtf8(text));
    FUZZ_CHECK(text.find('=') != std::string::npos && text.find('\0') == std::string::npos);
  }
  const std::string meta = zengine::StreamTitleFromComments(bytes);
  if (!meta.empty()) {
    FUZZ_CHECK(meta.rfind("StreamTitle='", 0) == 0 && meta.size() >= 15);
    FUZZ_CHECK(meta.compare(meta.size() - 2, 2, "';") == 0);
    FUZZ_CHECK(meta.find('\0') == std::string::npos);
  }
  return 0;
}
