// Memory at length: a live stream decoded for 40 minutes holds no more memory than
// after 5. The stream is a 10 s MP3 sent again and again through a byte stream that
// cannot seek, as a station's is; the decoder runs on the test's own thread, so the
// allocator's figures are its own.
#include <malloc.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <gtest/gtest.h>

extern "C" {
#include <libavformat/avio.h>
#include <libavutil/mem.h>
}

#include "playback/engine/decode/ffdecoder.h"
#include "tempfolder.h"

namespace {

using namespace zengine;

// The same bytes over and over, read forward only.
struct Looped {
  std::string bytes;
  size_t at = 0;
  static int Read(void* self, uint8_t* dst, int size) {
    auto* l = static_cast<Looped*>(self);
    const size_t n = std::min(static_cast<size_t>(size), l->bytes.size() - l->at);
    std::memcpy(dst, l->bytes.data() + l->at, n);
    l->at = (l->at + n) % l->bytes.size();
    return static_cast<int>(n);
  }
};

size_t HeapInUse() {
  const struct mallinfo2 m = mallinfo2();
  return m.uordblks + m.hblkhd;  // small blocks, and large ones mapped on their own
}

TEST(LiveStreamMemory, StaysFlatOverFortyMinutes) {
  ztest::TempFolder dir;
  const std::string mp3 = dir.File("loop.mp3");
  ASSERT_EQ(ztest::Run({"ffmpeg", "-nostdin", "-v", "error", "-y", "-f", "lavfi", "-i",
                        "sine=frequency=440:sample_rate=44100:duration=10", "-ac", "2", "-c:a",
                        "libmp3lame", "-b:a", "128k", "-write_xing", "0", "-id3v2_version", "0",
                        mp3}),
            0);
  Looped source;
  {
    std::ifstream in(mp3, std::ios::binary);
    source.bytes.assign(std::istreambuf_iterator<char>(in), {});
  }
  ASSERT_GT(source.bytes.size(), 100000u);

  constexpr int kBufferSize = 16384;
  auto* buffer = static_cast<unsigned char*>(av_malloc(kBufferSize));
  AVIOContext* io = avio_alloc_context(buffer, kBufferSize, 0, &source, &Looped::Read, nullptr, nullptr);
  ASSERT_NE(io, nullptr);
  io->seekable = 0;
  std::atomic<bool> abort{false};
  int error = 0;
  {
    std::unique_ptr<FfDecoder> decoder = FfDecoder::OpenStream(io, &abort, "mp3", &error);
    ASSERT_TRUE(decoder) << error;
    const int rate = decoder->Rate();
    std::vector<float> block(4096 * static_cast<size_t>(decoder->Channels()));
    int64_t frames = 0;
    auto decodeUntil = [&](int minutes) {
      while (frames < static_cast<int64_t>(minutes) * 60 * rate) {
        const long n = decoder->Read(block.data(), 4096);
        if (n <= 0) return false;
        frames += n;
      }
      return true;
    };
    ASSERT_TRUE(decodeUntil(5));
    const size_t at5 = HeapInUse();
    ASSERT_TRUE(decodeUntil(40));
    const size_t at40 = HeapInUse();
    // A seek index kept for every packet alone would be about 1 MiB by the 20th minute.
    EXPECT_LT(static_cast<double>(at40), static_cast<double>(at5) + 64 * 1024)
        << "in use after 5 minutes: " << at5 << " bytes, after 40: " << at40;
  }
  av_freep(&io->buffer);
  avio_context_free(&io);
}

}  // namespace
