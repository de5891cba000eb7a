// ".cda" descriptors: the 44-byte RIFF "CDDA" files that name an audio-CD track (the
// layout is written down in engine_record.h).
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "playback/engine/engine_record.h"

namespace zengine {

constexpr size_t kCdaSize = 44;

// The descriptor's bytes.
std::array<uint8_t, kCdaSize> MakeCda(const CdaInfo& info);

// Checks and reads a descriptor held in memory; false when the bytes are not one.
bool ParseCda(const uint8_t* data, size_t size, CdaInfo* info);

}  // namespace zengine
