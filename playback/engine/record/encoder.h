// record/: recording a channel's sound: encoder programs, their queue and command lines,
// the WAV header and writer, and the WMA writer.
//
// Encoder: one recording of a channel's sound. The playback thread hands each block of
// decoded sound to Push, which converts it to 16-bit PCM and queues it without waiting;
// the encoder's own writer thread sends the WAV header and then the queued blocks to the
// sink (an encoder program or a WAV file). A slow sink never holds the playback thread:
// see EncoderQueue for what happens when it falls too far behind.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <thread>

#include "playback/engine/record/encoderqueue.h"
#include "playback/engine/record/encodersink.h"

namespace zengine {

class Encoder {
 public:
  // How long Stop lets the writer drain the queue, then lets the program finish its file
  // before it is killed.
  static constexpr std::chrono::milliseconds kDrainLimit{3000};
  static constexpr std::chrono::milliseconds kExitLimit{5000};
  // Queue capacity, in seconds of sound.
  static constexpr int kQueueSeconds = 10;

  // `channelAlive` is asked by the writer thread while it has nothing to write; when it
  // answers false (the channel was freed) the recording ends by itself.
  Encoder(std::unique_ptr<EncoderSink> sink, int rate, int channels,
          std::function<bool()> channelAlive);
  ~Encoder();  // stops like Stop
  Encoder(const Encoder&) = delete;
  Encoder& operator=(const Encoder&) = delete;

  // The sink a command line asks for (see EncodeStart): a WAV file for kEncodePcm, else
  // the program, a relative path taken from `programFolder`. nullptr with the engine's
  // last error set. Any thread.
  static std::unique_ptr<EncoderSink> OpenSink(const std::string& commandLine, uint32_t flags,
                                               int rate, int channels,
                                               const std::string& programFolder);

  // Queues the header and starts the writer thread.
  void Start();

  // Converts and queues a block; blocks of another format than the encoder's are refused.
  // Playback thread; never waits for the sink.
  void Push(const float* samples, size_t frames, int channels, int rate);

  // True while the sink takes data and the recording has not ended. Any thread.
  bool IsActive();

  // Ends the recording: the queue is drained (bounded), the sink finished (bounded),
  // the writer thread joined. Safe to call more than once. Interface thread.
  void Stop();

  // True once nothing more will be written (the sink failed, the channel went, or Stop).
  bool HasEnded() const { return ended_.load(); }

  // Whether the queue has room for a few more seconds of sound (a producer that can
  // wait, such as the replay of held sound, waits while it has not).
  bool HasRoom() const;

  uint64_t DroppedFrames() const;
  int Rate() const { return rate_; }
  int Channels() const { return channels_; }

 private:
  void WriterLoop();  // writer thread

  std::unique_ptr<EncoderSink> sink_;
  const int rate_;
  const int channels_;
  std::function<bool()> channelAlive_;
  EncoderQueue queue_;
  std::thread writer_;
  StopDeadline drainDeadline_;  // set by Stop
  std::atomic<bool> ended_{false};   // the writer loop has left: nothing more is written
  std::atomic<bool> failed_{false};  // a write failed
  std::atomic<bool> stopped_{false};
};

}  // namespace zengine
