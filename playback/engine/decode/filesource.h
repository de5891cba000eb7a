// FileSource: the PcmSource of a local file whose header was read without a decoder
// (fileheader.h). Rate, channels, type, length and size come from the header at once;
// the FFmpeg decoder is opened on first need (a read, a seek, tags), so a file opened
// only to be measured costs no demuxer probe, no stream analysis and no codec.
//
// The decoder is told to give the header's rate and channel count, so what the
// channel was built for never changes under it.
//
// Threads: Read and SeekFrame on the channel's decoding thread; Tags, FilePosition,
// Abort and SetMetaSink on any thread. The decoder is opened under a lock, once.
#pragma once

#include <atomic>
#include <memory>
#include <mutex>
#include <string>

#include "playback/engine/decode/fileheader.h"
#include "playback/engine/pcmsource.h"

namespace zengine {

class FfDecoder;

class FileSource : public PcmSource {
 public:
  FileSource(std::string path, const FileHeader& header);
  ~FileSource() override;

  int Rate() const override { return header_.rate; }
  int Channels() const override { return header_.channels; }
  uint32_t TypeCode() const override { return header_.type; }
  int64_t LengthFrames() const override { return header_.lengthFrames; }
  long Read(float* dst, size_t frames) override;
  bool SeekFrame(int64_t frame) override;
  void Abort() override;
  std::string Tags(TagType type) const override;
  int64_t FilePosition(int mode) const override;
  void SetMetaSink(MetaSink sink) override;

 private:
  // The decoder, opened on the first call; null (with the last error set) when it
  // cannot be opened or the source was aborted.
  FfDecoder* Decoder() const;

  const std::string path_;
  const FileHeader header_;
  mutable std::mutex openMutex_;
  mutable std::unique_ptr<FfDecoder> decoder_;
  mutable std::atomic<FfDecoder*> ready_{nullptr};
  mutable int openError_ = 0;  // non-zero once an open failed: not tried again
  std::atomic<bool> aborted_{false};
  MetaSink sink_;  // under openMutex_
};

}  // namespace zengine
