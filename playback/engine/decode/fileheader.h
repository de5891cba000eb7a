// FileHeader: what the headers of a common sound file tell (rate, channels, type,
// length) read straight from its first and last bytes, without a demuxer or a decoder.
//
// Opening a file to measure it (the song information of a playlist, a folder of
// songs) must cost microseconds, not the milliseconds of a full demuxer probe and
// stream analysis. The file channel takes these values and opens its decoder only
// when it is first played, sought or asked for tags.
//
// Only plainly sound headers are accepted: WAV with integer or float PCM, MPEG audio
// layers 1-3 (Xing/Info/VBRI frame counts, or the constant bit rate), Ogg Vorbis with a
// single logical stream, ASF with one WMA stream, and ADTS AAC at 32 kHz and above
// (below that, SBR or parametric stereo may change the rate or channel count the
// decoder gives). Anything else, or anything doubtful, gives no header: the caller
// then opens the file with the full decoder as before.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "playback/engine/formats/readat.h"

namespace zengine {

struct FileHeader {
  int rate = 0;
  int channels = 0;
  uint32_t type = 0;  // StreamType code (engine.h)
  int64_t lengthFrames = -1;
  int64_t fileSize = 0;
};

// Reads the header of the file at `path`; nullopt when it is not one of the kinds
// above or its header is damaged or doubtful.
std::optional<FileHeader> ReadFileHeader(const std::string& path);

// The same over any bytes: `readAt(offset, dst, n)` copies up to n bytes from
// `offset` and returns how many it copied; `fileSize` is the size of the whole.
// Exposed for tests and fuzzing.
std::optional<FileHeader> ParseFileHeader(const ReadAtFn& readAt, int64_t fileSize);

}  // namespace zengine
