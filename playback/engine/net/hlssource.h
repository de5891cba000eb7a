// HlsSource: the PcmSource of an HLS live stream. FFmpeg's HLS demuxer reads the media
// playlist (refreshed as its target duration says) and its segments (MPEG-TS, packed
// AAC or MP3, fragmented MP4) through FFmpeg's own HTTP and TLS, with the engine's
// proxy, user agent and time-out. Every address it opens passes through this source,
// which counts the bytes, retries a connection that fails, and reads the ID3 tag in
// front of a packed-audio segment.
//
// Titles: timed ID3 (beside the sound in MPEG-TS, before each packed-audio segment,
// with the segment's timestamp) is placed at its time in the sound, so the channel
// raises each title when it is heard and the recorder cuts on it. A title repeated in
// every segment is one title. The first title known before the sound starts is the
// connection's title (the metadata tags), as for ICY.
//
// The end: a connection that fails again after kHlsOpenTries tries, or a playlist that
// stops moving (no new segment for about three target durations), ends the sound; the
// source then reports its download as ended (FilePosition(2) = -1), which is how the
// program learns that a station dropped. The next source of the same playlist (the
// reconnection) passes over the segments already heard (or lost): it goes on where the
// sound stopped, and a playlist that has not moved since gives it nothing to play, so
// the reconnection fails.
#pragma once

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "playback/engine/decode/ffdecoder.h"
#include "playback/engine/net/proxytext.h"
#include "playback/engine/pcmsource.h"

struct AVFormatContext;
struct AVIOContext;
struct AVDictionary;

namespace zengine {

constexpr int kHlsOpenTries = 3;

class HlsSource : public PcmSource {
 public:
  struct Settings {
    std::string url;       // the media playlist
    ProxySetting proxy;
    int timeoutMs = 5000;  // a connection silent this long fails
    int64_t bandwidth = 0;  // the variant's announced bandwidth, bit/s; 0 unknown
    std::vector<std::string> headerLines;  // the playlist's HTTP answer, for the tags
  };
  // Opens the playlist and probes the sound; blocks until the format is known.
  // `cancelled` (polled; may be empty) makes it give up. Null with *error on failure.
  static std::unique_ptr<HlsSource> Open(const Settings& settings,
                                         const std::function<bool()>& cancelled, int* error);
  ~HlsSource() override;

  int Rate() const override { return decoder_->Rate(); }
  int Channels() const override { return decoder_->Channels(); }
  uint32_t TypeCode() const override { return decoder_->TypeCode(); }
  long Read(float* dst, size_t frames) override;
  int64_t LengthFrames() const override { return -1; }
  bool SeekFrame(int64_t frame) override;
  void Abort() override;
  std::string Tags(TagType type) const override;
  int64_t FilePosition(int mode) const override;
  bool TakeTitleMark(TitleMark* mark) override;

 private:
  struct Piece;
  HlsSource() = default;
  static int IoOpen(AVFormatContext* s, AVIOContext** pb, const char* url, int flags,
                    AVDictionary** options);
  static int IoClose(AVFormatContext* s, AVIOContext* pb);
  static int PieceRead(void* opaque, uint8_t* buf, int size);
  static int64_t PieceSeek(void* opaque, int64_t offset, int whence);
  void OnSegmentId3(const std::string& tag);  // decoding thread (inside the demuxer)
  bool Aborted() const;
  bool WaitBeforeRetry();  // false when aborted meanwhile

  Settings settings_;
  std::string proxyUrl_;
  std::atomic<bool> abort_{false};  // makes every FFmpeg call give up
  std::atomic<bool> ended_{false};  // the sound ended or a connection failed for good
  std::atomic<int64_t> downloaded_{0};
  int (*defaultOpen_)(AVFormatContext*, AVIOContext**, const char*, int, AVDictionary**) = nullptr;
  int (*defaultClose_)(AVFormatContext*, AVIOContext*) = nullptr;
  std::unique_ptr<FfDecoder> decoder_;

  mutable std::mutex mutex_;
  std::string meta_;       // the title now heard (or the connection's title)
  std::string lastTitle_;  // the last title placed or taken, for repeats
  bool reading_ = false;   // the first Read has begun
  struct SegmentTitle {
    double seconds;
    std::string text;
  };
  std::vector<SegmentTitle> segmentTitles_;  // decoding thread
  // Segment addresses opened (the last kHeardSegments), and those to pass over because
  // the source this one replaces heard them (see RememberHeard). Demuxer thread.
  std::vector<std::string> segments_;
  std::vector<std::string> skip_;
};

}  // namespace zengine
