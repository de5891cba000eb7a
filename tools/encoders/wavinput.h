// WavInput: reads a WAV stream (a file or standard input) as the recorder's encoder
// programs receive it: RIFF/WAVE with a "fmt " chunk and a "data" chunk whose sizes may
// be marked unknown (0 or 0xFFFFFFFF: the data then runs to the end of the stream).
//
// Accepted sample formats: integer PCM of 8, 16, 24 or 32 bits and IEEE float of 32 or
// 64 bits, plain or WAVE_FORMAT_EXTENSIBLE, 1 to 8 channels, 1000 to 384000 Hz.
// Everything read is checked against what the stream holds; anything else is refused
// with a message, never read past.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

class WavInput {
 public:
  enum class Sample { Int, Float };

  // Reads the header from `file` up to the first byte of the sound. `file` stays owned by
  // the caller. False with *error set when the stream is not a WAV stream we can read.
  bool Open(FILE* file, std::string* error);

  int Rate() const { return rate_; }
  int Channels() const { return channels_; }
  int BitsPerSample() const { return bits_; }
  Sample SampleKind() const { return kind_; }
  int BytesPerFrame() const { return channels_ * (bits_ / 8); }

  // Reads up to `frames` whole frames of interleaved samples as stored (little-endian).
  // Returns the frames read; 0 at the end of the sound (a trailing partial frame is
  // dropped). -1 on a read error.
  long ReadFrames(uint8_t* dst, size_t frames);

 private:
  bool ReadExact(void* dst, size_t size);
  bool Skip(uint64_t size);
  bool ParseFormat(const uint8_t* chunk, uint32_t size, std::string* error);

  FILE* file_ = nullptr;
  int rate_ = 0;
  int channels_ = 0;
  int bits_ = 0;
  Sample kind_ = Sample::Int;
  bool sizeKnown_ = false;
  uint64_t remaining_ = 0;  // bytes of sound left when sizeKnown_
};
