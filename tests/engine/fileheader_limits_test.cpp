// The header reader at the limits of its arithmetic: sizes and durations read from a
// file never overflow into a nonsense or negative length. The bytes are made in memory
// (or are a tiny fixture), so huge files cost nothing.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>

#include <gtest/gtest.h>

#include "playback/engine/decode/fileheader.h"

namespace {

using namespace zengine;

std::optional<FileHeader> Parse(const std::string& bytes) {
  const ReadAtFn readAt = [&bytes](int64_t offset, char* dst, size_t n) -> size_t {
    if (offset < 0 || static_cast<size_t>(offset) >= bytes.size()) return 0;
    const size_t got = std::min(n, bytes.size() - static_cast<size_t>(offset));
    std::copy_n(bytes.data() + offset, got, dst);
    return got;
  };
  return ParseFileHeader(readAt, static_cast<int64_t>(bytes.size()));
}

std::string Fixture(const char* name) {
  std::ifstream in(std::string(ZOVALIS_FIXTURES "/engine/") + name, std::ios::binary);
  EXPECT_TRUE(in) << name;
  return std::string(std::istreambuf_iterator<char>(in), {});
}

void PutLe64(std::string* bytes, size_t at, uint64_t v) {
  for (int i = 0; i < 8; ++i) (*bytes)[at + i] = static_cast<char>((v >> (8 * i)) & 0xFF);
}

// Play duration (100 ns units) of the fixture's file properties object (at 30).
constexpr size_t kPlayDuration = 30 + 64;

// A play duration far beyond what the file's bytes can hold is a forged header: the
// length is left to the decoder, never computed from it.
TEST(FileHeaderLimits, AsfPlayDurationBeyondTheBytesIsRefused) {
  const std::string original = Fixture("asf-play-time-overflow.wma");
  ASSERT_EQ(original.size(), 230u);
  struct Case {
    const char* what;
    uint64_t duration;  // 100 ns units
    int64_t frames;     // expected length, -1: no header
  };
  const Case cases[] = {
      {"2^64 - 16 (the fixture as is)", 0xFFFFFFFFFFFFFFF0ull, -1},
      {"a million hours", 36000000000000000ull, -1},
      {"ten seconds in 230 bytes", 100000000ull, -1},
      {"one second: a plausible 1.8 kbit/s", 10000000ull, 44100},
      {"half a second", 5000000ull, 22050},
  };
  for (const Case& c : cases) {
    std::string bytes = original;
    PutLe64(&bytes, kPlayDuration, c.duration);
    PutLe64(&bytes, kPlayDuration + 8, c.duration);  // send duration alike
    const auto h = Parse(bytes);
    if (c.frames < 0) {
      EXPECT_FALSE(h.has_value()) << c.what << ": length " << (h ? h->lengthFrames : 0);
    } else {
      ASSERT_TRUE(h.has_value()) << c.what;
      EXPECT_EQ(h->lengthFrames, c.frames) << c.what;
      EXPECT_EQ(h->rate, 44100) << c.what;
    }
  }
}

// A constant-bit-rate MP3 of any size the reader accepts (up to 2^50 bytes) gets its
// true length: bytes x 8 x rate overflows 64 bits from about 22 TB.
TEST(FileHeaderLimits, HugeConstantBitRateMp3KeepsItsLength) {
  // MPEG 1 layer 3, 128 kbit/s, 48 kHz, stereo, no padding: 384-byte frames, then zeros.
  constexpr int64_t kFrame = 384;
  const ReadAtFn endless = [](int64_t offset, char* dst, size_t n) -> size_t {
    static constexpr unsigned char kHeader[4] = {0xFF, 0xFB, 0x94, 0x00};
    for (size_t i = 0; i < n; ++i) {
      const int64_t inFrame = (offset + static_cast<int64_t>(i)) % kFrame;
      dst[i] = inFrame < 4 ? static_cast<char>(kHeader[inFrame]) : '\0';
    }
    return n;
  };
  for (const int64_t frames : {int64_t{1000}, int64_t{78125000000}, int64_t{2932031007402}}) {
    const int64_t size = frames * kFrame;  // 384 KB, 30 TB, about 2^50 bytes
    const auto h = ParseFileHeader(endless, size);
    ASSERT_TRUE(h.has_value()) << size;
    EXPECT_EQ(h->rate, 48000);
    EXPECT_EQ(h->lengthFrames, frames * 1152) << size << " bytes";
  }
}

}  // namespace
