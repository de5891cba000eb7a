#include "wavinput.h"

#include <cstring>
#include <vector>

namespace {

uint16_t Le16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
uint32_t Le32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
         (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

constexpr uint16_t kFormatPcm = 1;
constexpr uint16_t kFormatFloat = 3;
constexpr uint16_t kFormatExtensible = 0xFFFE;
constexpr uint32_t kMaxFormatChunk = 1024;    // real ones are 16 to 40 bytes
constexpr int kMaxChunksBeforeData = 64;       // LIST, fact, ... then data

}  // namespace

bool WavInput::ReadExact(void* dst, size_t size) {
  return fread(dst, 1, size, file_) == size;
}

bool WavInput::Skip(uint64_t size) {
  uint8_t buffer[4096];
  while (size > 0) {
    const size_t n = size < sizeof buffer ? static_cast<size_t>(size) : sizeof buffer;
    if (!ReadExact(buffer, n)) return false;
    size -= n;
  }
  return true;
}

bool WavInput::ParseFormat(const uint8_t* chunk, uint32_t size, std::string* error) {
  if (size < 16) {
    *error = "the format chunk is too short";
    return false;
  }
  uint16_t tag = Le16(chunk);
  channels_ = Le16(chunk + 2);
  const uint32_t rate = Le32(chunk + 4);
  const uint16_t blockAlign = Le16(chunk + 12);
  bits_ = Le16(chunk + 14);
  if (tag == kFormatExtensible) {
    // cbSize(2) validBits(2) channelMask(4) then the sub-format GUID, whose first two
    // bytes are the plain format tag.
    if (size < 40) {
      *error = "the extensible format chunk is too short";
      return false;
    }
    tag = Le16(chunk + 24);
  }
  if (tag == kFormatPcm && (bits_ == 8 || bits_ == 16 || bits_ == 24 || bits_ == 32)) {
    kind_ = Sample::Int;
  } else if (tag == kFormatFloat && (bits_ == 32 || bits_ == 64)) {
    kind_ = Sample::Float;
  } else {
    *error = "unsupported sample format (tag " + std::to_string(tag) + ", " +
             std::to_string(bits_) + " bits)";
    return false;
  }
  if (channels_ < 1 || channels_ > 8) {
    *error = "unsupported channel count " + std::to_string(channels_);
    return false;
  }
  if (rate < 1000 || rate > 384000) {
    *error = "unsupported sample rate " + std::to_string(rate);
    return false;
  }
  rate_ = static_cast<int>(rate);
  if (blockAlign != BytesPerFrame()) {
    *error = "inconsistent block alignment";
    return false;
  }
  return true;
}

bool WavInput::Open(FILE* file, std::string* error) {
  file_ = file;
  uint8_t riff[12];
  if (!ReadExact(riff, sizeof riff)) {
    *error = "the input is empty or shorter than a WAV header";
    return false;
  }
  if (memcmp(riff, "RIFF", 4) != 0 || memcmp(riff + 8, "WAVE", 4) != 0) {
    *error = "the input is not a WAV stream (no RIFF/WAVE header)";
    return false;
  }
  bool haveFormat = false;
  for (int i = 0; i < kMaxChunksBeforeData; ++i) {
    uint8_t header[8];
    if (!ReadExact(header, sizeof header)) {
      *error = "the WAV header ends before its data chunk";
      return false;
    }
    const uint32_t size = Le32(header + 4);
    if (memcmp(header, "fmt ", 4) == 0) {
      if (size > kMaxFormatChunk) {
        *error = "the format chunk is too large";
        return false;
      }
      std::vector<uint8_t> chunk(size + (size & 1));
      if (!ReadExact(chunk.data(), chunk.size())) {
        *error = "the format chunk is truncated";
        return false;
      }
      if (!ParseFormat(chunk.data(), size, error)) return false;
      haveFormat = true;
    } else if (memcmp(header, "data", 4) == 0) {
      if (!haveFormat) {
        *error = "the data chunk comes before the format chunk";
        return false;
      }
      // Streams whose length is not known when the header is written mark it 0 or
      // 0xFFFFFFFF; the sound then runs to the end of the input.
      sizeKnown_ = size != 0 && size != 0xFFFFFFFFu;
      remaining_ = size;
      return true;
    } else {
      // Unknown chunks are skipped, padded to an even size; a size running past the
      // end of the input is caught by the short read.
      if (!Skip(static_cast<uint64_t>(size) + (size & 1))) {
        *error = "a chunk runs past the end of the input";
        return false;
      }
    }
  }
  *error = "no data chunk among the first chunks";
  return false;
}

long WavInput::ReadFrames(uint8_t* dst, size_t frames) {
  const size_t frameBytes = static_cast<size_t>(BytesPerFrame());
  size_t want = frames * frameBytes;
  if (sizeKnown_ && want > remaining_) want = static_cast<size_t>(remaining_ / frameBytes) * frameBytes;
  size_t got = 0;
  while (got < want) {
    const size_t n = fread(dst + got, 1, want - got, file_);
    if (n == 0) {
      if (ferror(file_)) return -1;
      break;  // end of input; a partial frame left at the end is dropped
    }
    got += n;
  }
  const size_t whole = got / frameBytes;
  if (sizeKnown_) remaining_ -= whole * frameBytes;
  return static_cast<long>(whole);
}
