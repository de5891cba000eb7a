// decode/: turning sound files and streams into float frames: the FFmpeg decoder, the
// quick header reader, local-file sources, the resampler and the codec report.
//
// FfDecoder: a PcmSource over FFmpeg: demuxes and decodes the best audio stream of a
// file or of a byte stream (network), and gives float frames at the stream's first
// rate and channel count (a chained stream that changes them is converted back).
//
// Threads: Open* on the caller's thread; Read and SeekFrame on the channel's decoding
// thread; Tags, FilePosition and the format getters on any thread.
#pragma once

#include <atomic>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "playback/engine/pcmsource.h"

struct AVFormatContext;
struct AVCodecContext;
struct AVIOContext;
struct AVPacket;
struct AVFrame;
struct SwrContext;
struct AVDictionary;

namespace zengine {

class FfDecoder : public PcmSource {
 public:
  // Opens a local file. `format` forces a demuxer ("libopenmpt" for module music), or
  // null to probe. `outRate` and `outChannels`, when not 0, set the format Read gives
  // (the decoded sound is converted to it). Null with *error set on failure.
  static std::unique_ptr<FfDecoder> OpenFile(const std::string& path, const char* format,
                                             int* error, int outRate = 0, int outChannels = 0);
  // Opens over a byte stream the caller reads (it stays owned by the caller and must
  // outlive the decoder). `abort` makes blocking FFmpeg calls give up. `format` names
  // the demuxer when the server's content type tells it (null: probe the bytes).
  static std::unique_ptr<FfDecoder> OpenStream(AVIOContext* io, const std::atomic<bool>* abort,
                                               const char* format, int* error);
  // Opens an address through FFmpeg's own protocols with demuxer `format` (an HLS
  // playlist: "hls") and its `options` (consumed). `prepare` is called with the format
  // context before it opens, to set its I/O callbacks. `abort` makes blocking FFmpeg
  // calls give up. The sound is live: no length, no seeking. Timed ID3 carried beside
  // the sound places its titles (see AddTimeMark).
  static std::unique_ptr<FfDecoder> OpenUrl(const std::string& url, const char* format,
                                            AVDictionary** options,
                                            const std::function<void(AVFormatContext*)>& prepare,
                                            const std::atomic<bool>* abort, int* error);
  ~FfDecoder() override;

  int Rate() const override { return rate_; }
  int Channels() const override { return channels_; }
  uint32_t TypeCode() const override { return type_; }
  long Read(float* dst, size_t frames) override;
  int64_t LengthFrames() const override { return length_; }
  bool SeekFrame(int64_t frame) override;
  std::string Tags(TagType type) const override;
  int64_t FilePosition(int mode) const override;
  void SetMetaSink(MetaSink sink) override;
  void Abort() override { aborted_ = true; }
  bool TakeTitleMark(TitleMark* mark) override;

  // Titles placed in the sound (decoding thread): the title `text` lies before the
  // first decoded frame whose packet starts at or after byte `pos` of the stream. With
  // PlaceTitles on, a chained stream's new title is placed where its first frame
  // begins, and no longer goes to the MetaSink.
  void AddByteMark(int64_t pos, std::string text);
  void PlaceTitles(bool on) { placeTitles_ = on; }
  // Titles placed by time (decoding thread): `text` lies before the first decoded frame
  // starting at or after `seconds` on the stream's clock (its timestamps); a negative
  // time places it before the next frame decoded. A mark whose time has passed goes
  // before the next frame too.
  void AddTimeMark(double seconds, std::string text);
  // The text of the first title waiting for its time (opening thread, before any Read:
  // what the first second of an address opened with OpenUrl named); empty when none.
  std::string FirstTimeMark() const;

  // Bit rate of the stream in bit/s as its headers tell it, 0 when unknown. An
  // address opened with OpenUrl measures it on its first second of sound.
  int64_t BitRate() const;

  // Name of the demuxer ("mp3", "ogg", "asf"...).
  std::string FormatName() const;

 private:
  FfDecoder() = default;
  int Setup(const std::string& path, bool live = false);  // after avformat_open_input
  void OnTimedId3(const AVPacket* pkt);  // decoding thread
  bool DecodeFrame();                  // decoding thread: one more frame into pending_
  bool ConvertFrame();                 // decoding thread
  void OnMetadataUpdate(AVDictionary* dict);  // decoding thread: a chained stream's tags
  void ReadContainerTags();  // Ogg, MP4 and ASF blocks, files and streams alike
  void ReadFileTags(const std::string& path);

  AVFormatContext* fmt_ = nullptr;
  AVCodecContext* dec_ = nullptr;
  AVPacket* pkt_ = nullptr;
  AVFrame* frame_ = nullptr;
  SwrContext* swr_ = nullptr;
  int swrInRate_ = 0, swrInChannels_ = 0, swrInFormat_ = -1;
  int stream_ = -1;
  int rate_ = 0;
  int channels_ = 0;
  uint32_t type_ = 0;
  int64_t length_ = -1;
  int64_t fileSize_ = -1;
  std::atomic<int64_t> filePos_{0};
  bool draining_ = false;
  int64_t skipTo_ = -1;  // after a seek: drop decoded frames before this one
  std::vector<float> pending_;
  size_t pendingPos_ = 0;  // in samples
  std::atomic<bool> aborted_{false};
  const std::atomic<bool>* externalAbort_ = nullptr;

  mutable std::mutex tagMutex_;
  std::vector<std::string> tags_[9];  // by TagType
  MetaSink metaSink_;
  bool started_ = false;  // a packet was decoded: later tag changes are new titles

  // Decoding thread only.
  struct ByteMark {
    int64_t pos;
    std::string text;
  };
  std::deque<ByteMark> byteMarks_;     // waiting for the frame that starts their place
  std::deque<TitleMark> placed_;       // reached during the last Read, by offset
  struct TimeMark {
    double seconds;
    std::string text;
  };
  std::deque<TimeMark> timeMarks_;     // waiting for the frame at their time
  double pendingTime_ = -1;            // start of the frame pending_ came from, s; -1 unknown
  int id3Stream_ = -1;                 // the timed ID3 stream beside the sound, if any
  std::deque<AVPacket*> ahead_;        // packets read ahead to measure the bit rate
  int64_t measuredBitRate_ = 0;
  void ReadAhead(double seconds);      // opening thread
  int64_t pendingPacketPos_ = -1;      // stream byte of the packet pending_ came from
  size_t readDone_ = 0;                // frames the Read in progress has given so far
  bool placeTitles_ = false;

  static int InterruptCb(void* opaque);
};

}  // namespace zengine
