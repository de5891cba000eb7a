// AvFileEncoder: encodes interleaved PCM into a file with a libavcodec encoder and a
// libavformat muxer (for the adapters: "aac" into "adts", "ac3" into "ac3").
// The input's sample format, rate and channel count are converted to what the encoder
// takes (libswresample); a rate the encoder does not offer becomes the nearest one above
// it, or its highest.
#pragma once

#include <cstdint>
#include <string>

extern "C" {
#include <libavutil/samplefmt.h>
}

struct AVCodecContext;
struct AVFormatContext;
struct AVFrame;
struct AVPacket;
struct AVAudioFifo;
struct SwrContext;

class AvFileEncoder {
 public:
  struct Settings {
    std::string codec;       // libavcodec encoder name
    std::string muxer;       // libavformat muxer name
    int64_t bitRate = 0;     // bits per second; 0 = the codec's default
    std::string comment;     // the file's comment tag (ADTS: an ID3v2 tag first), if any
  };

  AvFileEncoder() = default;
  ~AvFileEncoder();
  AvFileEncoder(const AvFileEncoder&) = delete;
  AvFileEncoder& operator=(const AvFileEncoder&) = delete;

  // Creates `path` and prepares the encoder for input of `rate` Hz, `channels`
  // channels, interleaved samples of `format` (a packed AVSampleFormat). False with
  // *error set on failure; nothing is left open then (the file may exist, empty).
  bool Open(const std::string& path, const Settings& settings, int rate, int channels,
            AVSampleFormat format, std::string* error);

  // Encodes `frames` interleaved frames. False with *error on an encoding or write error.
  bool Write(const uint8_t* samples, int frames, std::string* error);

  // Encodes what is left, writes the trailer and closes the file.
  bool Finish(std::string* error);

 private:
  bool EncodeFrames(bool flush, std::string* error);
  bool Drain(AVFrame* frame, std::string* error);
  void Release();

  AVFormatContext* format_ = nullptr;
  AVCodecContext* codec_ = nullptr;
  SwrContext* swr_ = nullptr;
  AVAudioFifo* fifo_ = nullptr;
  AVFrame* frame_ = nullptr;
  AVPacket* packet_ = nullptr;
  int64_t pts_ = 0;
  bool headerWritten_ = false;
};
