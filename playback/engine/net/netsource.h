// net/: the engine's network input: HTTP/ICY downloads, the network buffer, ICY
// metadata, stream playlists, the proxy setting and the channels of URL streams.
//
// NetSource: the PcmSource of a URL stream: an HttpDownload feeding an FfDecoder
// through a custom FFmpeg reader, plus the stream's header and metadata tags.
//
// Positions (StreamGetFilePosition): 0 = the byte of the stream the decoder has
// reached, 1 = bytes downloaded, 2 = the buffer's capacity, so that (1 - 0) x 100 / 2
// is the buffer's fill level; 2 answers -1 once the download has ended (the server
// closed, stalled past the time-out or failed), which tells the program the station
// is gone. 1000 answers -1 (no WMA-buffered streams here).
#pragma once

#include <atomic>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "playback/engine/decode/ffdecoder.h"
#include "playback/engine/formats/oggchaintitles.h"
#include "playback/engine/net/httpdownload.h"
#include "playback/engine/pcmsource.h"

struct AVIOContext;

namespace zengine {

class NetSource : public PcmSource {
 public:
  // Probes the body of a download whose headers arrived; null with *error on failure.
  // Blocks until the format is known (bounded by the download's time-out). Takes the
  // download on success only: on failure *download still holds it.
  static std::unique_ptr<NetSource> Open(std::unique_ptr<HttpDownload>* download, int* error);
  ~NetSource() override;

  int Rate() const override { return decoder_->Rate(); }
  int Channels() const override { return decoder_->Channels(); }
  uint32_t TypeCode() const override { return decoder_->TypeCode(); }
  long Read(float* dst, size_t frames) override;
  int64_t LengthFrames() const override { return -1; }
  bool SeekFrame(int64_t frame) override;
  void Abort() override;
  std::string Tags(TagType type) const override;
  int64_t FilePosition(int mode) const override;
  void SetMetaSink(MetaSink sink) override;
  // ICY titles are placed at their byte in the stream, chained Ogg titles where the new
  // chain's sound begins: the channel raises each when its place is heard.
  bool TakeTitleMark(TitleMark* mark) override;

 private:
  NetSource() = default;
  static int ReadPacket(void* opaque, uint8_t* buf, int size);  // decoding thread
  void OnMeta(const std::string& text);                          // download thread

  std::unique_ptr<HttpDownload> download_;
  AVIOContext* io_ = nullptr;
  std::unique_ptr<FfDecoder> decoder_;
  std::atomic<bool> abort_{false};

  mutable std::mutex mutex_;
  std::string meta_;  // the last metadata text
  MetaSink sink_;
  // ICY titles with the stream byte they precede, for the decoding thread. Titles that
  // arrive before the first Read are the connection's title (read through the tags).
  struct PendingTitle {
    int64_t pos;
    std::string text;
  };
  std::vector<PendingTitle> pendingTitles_;
  bool reading_ = false;
  // Chained Opus and FLAC titles, read from the bytes as the decoder takes them
  // (decoding thread; FFmpeg reports new comments for Vorbis only).
  std::unique_ptr<OggChainTitles> chainTitles_;
};

}  // namespace zengine
