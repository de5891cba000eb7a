// libFuzzer target: the response header lines (AddHeaderLine, one call per line ended
// by '\n' as libcurl hands them) and the values taken from them: icy-metaint, icy-br,
// the content type and the buffer size.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "fuzzcheck.h"
#include "playback/engine/net/httpdownload.h"
#include "playback/engine/net/httpheaders.h"
#include "playback/engine/textutil.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view rest(reinterpret_cast<const char*>(data), size);
  std::vector<std::string> lines;
  while (!rest.empty()) {
    const size_t end = rest.find('\n');
    const size_t n = end == std::string_view::npos ? rest.size() : end + 1;
    zengine::AddHeaderLine(lines, rest.substr(0, n));
    rest.remove_prefix(n);
  }
  FUZZ_CHECK(lines.size() <= 200);
  for (const std::string& line : lines) {
    FUZZ_CHECK(!line.empty() && line.size() <= 3 * 4096);
    FUZZ_CHECK(zengine::IsValidUtf8(line));
  }
  for (const char* name : {"icy-metaint", "icy-br", "content-type", "icy-name", "ICY-GENRE"}) {
    const std::string value = zengine::HeaderValue(lines, name);
    const size_t interval = zengine::MetaIntervalOf(value);
    FUZZ_CHECK(interval <= 1024 * 1024);
    const int64_t rate = zengine::IcyBitRateOf(value);
    FUZZ_CHECK(rate >= 0 && rate <= int64_t{100000} * 1000 && rate % 1000 == 0);
    const size_t bytes = zengine::BufferBytesFor(rate);
    FUZZ_CHECK(bytes >= 16 * 1024 && bytes <= 512 * 1024);
    const std::string type = zengine::ContentTypeOf(value);
    FUZZ_CHECK(type.find(';') == std::string::npos);
  }
  // The raw bytes as one value too: numbers of any length.
  const std::string_view whole(reinterpret_cast<const char*>(data), size);
  FUZZ_CHECK(zengine::MetaIntervalOf(whole) <= 1024 * 1024);
  FUZZ_CHECK(zengine::IcyBitRateOf(whole) >= 0);
  return 0;
}
