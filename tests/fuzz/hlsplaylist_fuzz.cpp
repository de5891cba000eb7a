// libFuzzer target: telling HLS from plain M3U, and the variant a master playlist leads to.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzzcheck.h"
#include "playback/engine/net/hlsplaylist.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view body(reinterpret_cast<const char*>(data), size);
  (void)zengine::IsHlsPlaylist(body);
  int64_t bandwidth = -1;
  const std::string url = zengine::ChooseHlsVariant(body, "http://radio.example/live/master.m3u8", &bandwidth);
  FUZZ_CHECK(bandwidth >= 0);
  FUZZ_CHECK(url.size() <= size + 64);
  return 0;
}
