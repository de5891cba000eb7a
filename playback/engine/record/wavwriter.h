// WavWriter: the encoder that writes the sound itself into a WAV file (16-bit PCM).
// The header is written with unknown sizes first and with the real ones when the
// recording ends, so a file cut short by a crash still plays to its end.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>

#include "playback/engine/record/encodersink.h"

namespace zengine {

class WavWriter : public EncoderSink {
 public:
  // Creates (or truncates) `path`. nullptr with kErrCreate when it cannot. Any thread.
  static std::unique_ptr<WavWriter> Create(const std::string& path, int rate, int channels);
  ~WavWriter() override;

  // The first bytes written are expected to be the header (MakeWavHeader); the rest is
  // counted as sound.
  bool Write(const uint8_t* data, size_t size, const StopDeadline& stop) override;
  void Finish(Deadline deadline) override;
  bool Alive() override;

 private:
  WavWriter(int fd, int rate, int channels) : fd_(fd), rate_(rate), channels_(channels) {}

  int fd_;
  const int rate_;
  const int channels_;
  uint64_t written_ = 0;  // every byte written, header included
  size_t headerSize_ = 0;
  std::mutex mutex_;
  bool failed_ = false;
};

}  // namespace zengine
