// libFuzzer target: PLS/M3U detection and the stream addresses a playlist body lists.
#include <cctype>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzzcheck.h"
#include "playback/engine/net/playlistparse.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view body(reinterpret_cast<const char*>(data), size);
  (void)zengine::LooksLikePlaylist(body);
  const auto urls = zengine::ParsePlaylistUrls(body);
  FUZZ_CHECK(urls.size() <= zengine::kMaxPlaylistUrls);
  for (const std::string& url : urls) {
    std::string head = url.substr(0, 8);
    for (char& c : head) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    FUZZ_CHECK(head.rfind("http://", 0) == 0 || head.rfind("https://", 0) == 0 ||
               head.rfind("file:///", 0) == 0);
    FUZZ_CHECK(url.find_first_of("\r\n") == std::string::npos);
    FUZZ_CHECK(url.size() <= size + 1);  // icy:// becomes http://, one byte longer
  }
  return 0;
}
