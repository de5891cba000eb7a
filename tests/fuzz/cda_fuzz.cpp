// libFuzzer target: the ".cda" descriptor reader. What it accepts must come back the
// same through the writer.
#include <cstddef>
#include <cstdint>

#include "fuzzcheck.h"
#include "playback/engine/cd/cdafile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  zengine::CdaInfo info;
  if (!zengine::ParseCda(data, size, &info)) return 0;
  FUZZ_CHECK(size == zengine::kCdaSize && info.track >= 1 && info.track <= 99);
  const auto bytes = zengine::MakeCda(info);
  zengine::CdaInfo back;
  FUZZ_CHECK(zengine::ParseCda(bytes.data(), bytes.size(), &back));
  FUZZ_CHECK(back.track == info.track && back.discId == info.discId &&
             back.firstSector == info.firstSector && back.sectors == info.sectors);
  return 0;
}
