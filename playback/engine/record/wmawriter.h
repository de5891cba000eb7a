// WmaWriter: a WMA file (libavcodec's wmav2 in libavformat's asf muxer) fed with float
// blocks of any rate and channel count, converted to the file's format.
//
// Write only queues (the bounded EncoderQueue, 10 s of sound); the writer's own thread
// converts, encodes and writes, so the playback thread that feeds it from a sample hook
// never waits for the codec or the disk. The ASF header (with the tags) is written when
// the first block is encoded, so tags must be set before the first Write.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "playback/engine/record/encoderqueue.h"

struct AVCodecContext;
struct AVFormatContext;
struct AVFrame;
struct AVPacket;
struct AVAudioFifo;
struct SwrContext;

namespace zengine {

class WmaWriter {
 public:
  // The bit rates offered for a format, highest first; empty when wmav2 cannot encode it.
  static std::vector<int> Rates(int freq, int chans);

  // Creates `path`. nullptr with the engine's last error (kErrFormat, kErrCodec,
  // kErrCreate). Any thread.
  static std::unique_ptr<WmaWriter> Open(int freq, int chans, int bitrate, const std::string& path);
  ~WmaWriter();  // closes like Close
  WmaWriter(const WmaWriter&) = delete;
  WmaWriter& operator=(const WmaWriter&) = delete;

  // False (kErrNotAvail) once sound was written. Any thread.
  bool SetTag(const std::string& name, const std::string& text);

  // Queues a block; false when it was dropped (writer closed or 10 s behind). Any
  // thread (the playback thread in practice); never waits for the encoder.
  bool Write(const float* samples, size_t frames, int channels, int rate);

  // Encodes what is queued, writes the trailer, closes the file. False when something
  // could not be written. Safe to call twice. Interface thread.
  bool Close();

 private:
  WmaWriter(int freq, int chans);
  void WriterLoop();  // writer thread
  bool EncodeBlock(const std::vector<uint8_t>& block);
  bool EncodeFifo(bool flush);
  bool Send(AVFrame* frame);
  bool WriteHeaderOnce();

  const int freq_;
  const int chans_;
  AVFormatContext* format_ = nullptr;
  AVCodecContext* codec_ = nullptr;
  SwrContext* swr_ = nullptr;
  int swrChannels_ = 0;
  int swrRate_ = 0;
  AVAudioFifo* fifo_ = nullptr;
  AVFrame* frame_ = nullptr;
  AVPacket* packet_ = nullptr;
  int64_t pts_ = 0;

  EncoderQueue queue_;
  std::thread writer_;
  std::mutex headerMutex_;          // guards the tags against the header being written
  bool headerWritten_ = false;
  std::atomic<bool> written_{false};  // a block was queued: tags are frozen
  std::atomic<bool> failed_{false};
  std::atomic<bool> closed_{false};
};

}  // namespace zengine
