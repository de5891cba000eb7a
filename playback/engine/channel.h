// Channel: one playing stream. A decoding thread pulls sound from the channel's
// PcmSource, runs the DSP hooks, resamples it to the output's rate in stereo and
// queues it; the output thread takes it from that queue through MixInto.
//
// Threads: the public methods may be called from any thread, including the channel's
// own callbacks (syncs and DSP hooks run on the decoding thread or on the source's
// download thread). MixInto runs on the output thread only.
//
// Positions: the channel counts the output frames it handed to the mix since the last
// seek and subtracts what the output still holds, so the position is what is heard.
//
// Titles placed in the sound (PcmSource::TakeTitleMark): the decoding thread calls the
// DSP hooks with the sound before the title's place, then the title hooks, then the
// hooks with the sound after it, so a recording can end on the exact sample; and it
// raises the metadata sync once the output has played the sound up to that place
// (checked at least every 20 ms while the channel plays), so a title shows when heard.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "playback/engine/decode/resampler.h"
#include "playback/engine/engine.h"
#include "playback/engine/output/mixersource.h"
#include "playback/engine/pcmsource.h"
#include "playback/engine/samplequeue.h"

namespace zengine {

class Channel : public MixerSource, public std::enable_shared_from_this<Channel> {
 public:
  Channel(std::unique_ptr<PcmSource> source, bool isFile, int outRate);
  ~Channel() override;

  // Takes the channel's handle and hooks the source's titles to the metadata sync; call
  // once, after making the shared_ptr. The decoding thread starts with the first play
  // or seek, so a channel opened only to be measured never starts one.
  void Start(Handle handle);
  // Stops the decoding thread and leaves the mix; the source is aborted. A call from
  // the channel's own thread does not wait for that thread (it ends by itself).
  void Shutdown();

  ChannelInfo Info() const;
  PcmSource& Source() { return *source_; }
  bool IsFile() const { return isFile_; }

  bool Play(bool restart);
  bool Pause();
  bool Stop();
  // True while the channel is in the mix (playing, not paused, not ended).
  bool Playing() const { return state_.load() == State::Playing; }

  int64_t PositionBytes() const;
  int64_t LengthBytes() const;
  double BytesToSeconds(int64_t bytes) const;
  bool SetPositionBytes(int64_t bytes);  // with the last error set on failure

  uint32_t AddSync(SyncType type, SyncProc proc);
  bool RemoveSync(uint32_t id);
  // Calls every sync of `type` with `data`; on the calling (engine) thread.
  void RaiseSync(SyncType type, const std::string& data);

  uint32_t AddDsp(DspProc proc);
  bool RemoveDsp(uint32_t id);
  // A hook called (on the decoding thread, between DSP calls) at each title's place in
  // the sound; removed with RemoveDsp. Removing waits for a call in progress.
  uint32_t AddTitleHook(std::function<void(const std::string& text)> hook);

  // Times the output found this channel short of sound while it played and its source
  // had not ended (a gap heard as a stutter); a stall counts once however long.
  int64_t Underruns() const { return underruns_.load(); }

  // 512 magnitudes of the last 1024 output frames heard (see channel_fft.cpp).
  bool Fft1024(float* out) const;

  // Output thread.
  size_t MixInto(float* dst, size_t frames, int channels) override;

 private:
  enum class State { Stopped, Playing, Paused, Ended };
  struct Sync {
    uint32_t id;
    SyncType type;
    SyncProc proc;
  };
  struct Dsp {
    uint32_t id;
    std::shared_ptr<DspProc> proc;  // null for a title hook
    bool removed;
    std::shared_ptr<std::function<void(const std::string&)>> title;
  };

  void StartThread();          // once: starts the decoding thread unless shut down
  void Run();                  // decoding thread
  bool DecodeSome();           // decoding thread; false at the end of the source
  void RunDsp(const float* s, size_t frames);  // decoding thread
  void RunTitleHooks(const std::string& text);  // decoding thread
  void RaiseHeardTitles();                     // decoding thread
  void DoSeek();               // decoding thread
  void FinishEnd();            // decoding thread: waits for the tail to be heard
  bool OnOwnThread() const { return std::this_thread::get_id() == threadId_.load(); }
  int64_t HeardOutFrames() const;

  std::unique_ptr<PcmSource> source_;
  const bool isFile_;
  const int srcRate_;
  const int srcChannels_;
  const int outRate_;
  Handle handle_ = 0;
  Resampler resampler_;  // decoding thread only
  SampleQueue queue_;    // decoding thread writes, output thread reads

  size_t chunkFrames_ = 0;        // decoding thread only
  std::vector<float> decodeBuf_;  // decoding thread only
  std::vector<float> monoScratch_;  // output thread only
  std::atomic<State> state_{State::Stopped};
  std::atomic<bool> quit_{false};
  std::atomic<bool> sourceEnded_{false};
  std::atomic<bool> attached_{false};
  std::atomic<std::thread::id> threadId_{};
  std::mutex threadMutex_;  // guards the start of thread_ against Shutdown
  std::thread thread_;
  std::mutex wakeMutex_;
  std::condition_variable wake_;
  std::atomic<bool> decoderWaiting_{false};  // the decoder waits for room in the queue
  std::atomic<size_t> wakeRoom_{0};          // room it waits for, in output frames

  // Seek hand-over to the decoding thread: the caller waits for seekDone_.
  std::mutex seekMutex_;
  std::condition_variable seekCv_;
  std::atomic<bool> seekPending_{false};
  int64_t seekFrame_ = 0;
  bool seekOk_ = false;
  int seekError_ = 0;

  // Position: source frame of the last seek, plus output frames mixed since then.
  std::atomic<int64_t> baseFrame_{0};
  std::atomic<int64_t> mixedOut_{0};
  // Underrun count. `starved_`: the last mix was short, or the sound has not come yet
  // since Play or a seek (the wait for the first sound is not a gap); set by Play and
  // seeks, cleared by the output's first full mix.
  std::atomic<int64_t> underruns_{0};
  std::atomic<bool> starved_{true};
  // Output frames pushed to the queue since the last seek, and the titles waiting to be
  // heard with the output frame they precede. Decoding thread only.
  int64_t pushedOut_ = 0;
  std::deque<std::pair<int64_t, std::string>> heardTitles_;

  mutable std::mutex syncMutex_;
  std::vector<Sync> syncs_;
  uint32_t nextSync_ = 1;

  std::mutex dspMutex_;  // held while the hooks run
  std::vector<Dsp> dsps_;
  std::atomic<uint32_t> nextDsp_{1};
  bool inDsp_ = false;  // decoding thread only: true while it holds dspMutex_

  // The last frames handed to the mix, mono, for the analyser; written on the output
  // thread, read by Fft1024 under historyMutex_.
  static constexpr size_t kHistory = 1u << 16;
  mutable std::mutex historyMutex_;
  std::vector<float> history_;
  uint64_t historyWritten_ = 0;
};

}  // namespace zengine
