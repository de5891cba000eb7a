// libFuzzer target: the engine's proxy text "user:password@host:port".
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzzcheck.h"
#include "playback/engine/net/proxytext.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  const zengine::ProxySetting p = zengine::ParseProxyText(text);
  FUZZ_CHECK(p.port >= 0 && p.port <= 65535);
  if (!p.portValid) FUZZ_CHECK(p.port == 0);
  FUZZ_CHECK(p.host.size() + p.user.size() + p.password.size() <= size);
  return 0;
}
