// The RIFF/WAVE header the encoders receive and the WAV writer writes: 16-bit integer
// PCM, WAVE_FORMAT_EXTENSIBLE (with the usual speaker mask) above 2 channels.
#pragma once

#include <cstdint>
#include <vector>

namespace zengine {

// Marks a data size that is not known yet (the header of a stream): both RIFF sizes are
// written as 0xFFFFFFFF, which encoders read as "to the end of the input".
constexpr uint64_t kWavSizeUnknown = UINT64_MAX;

// The header for `dataBytes` bytes of sound. Sizes that do not fit the 32-bit fields
// (recordings past 4 GiB) are written as unknown, so readers play to the end of the file.
std::vector<uint8_t> MakeWavHeader(int rate, int channels, uint64_t dataBytes);

}  // namespace zengine
