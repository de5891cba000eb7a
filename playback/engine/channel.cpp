#include "playback/engine/channel.h"

#include <algorithm>
#include <array>
#include <chrono>

#include "playback/engine/enginemix.h"
#include "playback/engine/lasterror.h"
#include "playback/engine/spectrum.h"

namespace zengine {

namespace {
// About a quarter of a second of sound waits between decoder and output: enough to
// ride over a slow read, short enough that a seek or a pause is heard at once.
constexpr int kQueueMs = 250;
// Frames decoded per step: 2048, or 50 ms at low rates so a step always fits the queue.
size_t ChunkFrames(int rate) { return std::clamp<size_t>(static_cast<size_t>(rate) / 20, 64, 2048); }
constexpr auto kIdleWait = std::chrono::milliseconds(20);
constexpr auto kShortWait = std::chrono::milliseconds(10);
}  // namespace

Channel::Channel(std::unique_ptr<PcmSource> source, bool isFile, int outRate)
    : source_(std::move(source)),
      isFile_(isFile),
      srcRate_(source_->Rate()),
      srcChannels_(source_->Channels()),
      outRate_(outRate),
      resampler_(srcRate_, srcChannels_, outRate),
      queue_(static_cast<size_t>(outRate) * kQueueMs / 1000, 2) {}

Channel::~Channel() { Shutdown(); }

void Channel::Start(Handle handle) {
  handle_ = handle;
  std::weak_ptr<Channel> weak = shared_from_this();
  // Download or decoding thread: a new in-stream title.
  source_->SetMetaSink([weak](const std::string& text) {
    std::shared_ptr<Channel> self = weak.lock();
    if (!self) return;
    self->RaiseSync(kSyncMeta, text);
    // The sync may have freed the channel: then this is its last reference, and its
    // destructor joins the thread running here. Drop it on a thread of its own.
    std::thread([c = std::move(self)]() mutable { c.reset(); }).detach();
  });
}

void Channel::StartThread() {
  std::lock_guard<std::mutex> lock(threadMutex_);
  if (thread_.joinable() || quit_) return;
  {
    // The analyser's history is only needed once the channel can be heard.
    std::lock_guard<std::mutex> history(historyMutex_);
    history_.assign(kHistory, 0.0f);
  }
  thread_ = std::thread([self = shared_from_this()] { self->Run(); });
}

void Channel::Shutdown() {
  quit_ = true;
  if (source_) source_->Abort();
  wake_.notify_all();
  {
    std::lock_guard<std::mutex> lock(seekMutex_);
    seekCv_.notify_all();
  }
  if (attached_.exchange(false)) DetachSource(this);
  // Taken out under the lock (quit_ keeps it from starting again), joined outside it,
  // so a callback on that thread may still call into the channel.
  std::thread thread;
  {
    std::lock_guard<std::mutex> lock(threadMutex_);
    thread = std::move(thread_);
  }
  if (thread.joinable()) {
    if (OnOwnThread())
      thread.detach();  // a sync or hook freed its own channel: the thread ends by itself
    else
      thread.join();
  }
}

ChannelInfo Channel::Info() const {
  ChannelInfo info;
  info.freq = srcRate_;
  info.chans = srcChannels_;
  info.ctype = source_->TypeCode();
  return info;
}

bool Channel::Play(bool restart) {
  if (quit_) return Fail(kErrHandle);
  StartThread();
  if (isFile_ && (restart || state_.load() == State::Ended)) {
    if (!SetPositionBytes(0)) return false;
  }
  starved_ = true;
  state_ = State::Playing;
  if (!attached_.load()) {
    if (!AttachSource(shared_from_this())) {
      state_ = State::Stopped;
      return false;
    }
    attached_ = true;
  }
  wake_.notify_all();
  return Succeed();
}

bool Channel::Pause() {
  if (state_.load() != State::Playing) return Fail(kErrNoPlay);
  state_ = State::Paused;
  // The output drops what it still holds when the last source leaves: those frames
  // were never heard, so the position goes back by them.
  const auto queued = static_cast<int64_t>(OutputQueuedFrames());
  if (attached_.exchange(false)) DetachSource(this);
  int64_t mixed = mixedOut_.load();
  mixedOut_ = std::max<int64_t>(0, mixed - queued);
  return Succeed();
}

bool Channel::Stop() {
  const State s = state_.load();
  if (s == State::Playing) Pause();
  if (s != State::Ended) state_ = State::Stopped;
  return Succeed();
}

int64_t Channel::HeardOutFrames() const {
  const int64_t mixed = mixedOut_.load();
  if (!attached_.load()) return mixed;
  return std::max<int64_t>(0, mixed - static_cast<int64_t>(OutputQueuedFrames()));
}

int64_t Channel::PositionBytes() const {
  const int64_t length = source_->LengthFrames();
  int64_t frame;
  if (state_.load() == State::Ended && length >= 0) {
    frame = length;
  } else {
    frame = baseFrame_.load() + HeardOutFrames() * srcRate_ / outRate_;
    if (length >= 0) frame = std::min(frame, length);
  }
  return frame * srcChannels_ * 2;
}

int64_t Channel::LengthBytes() const {
  const int64_t length = source_->LengthFrames();
  return length < 0 ? -1 : length * srcChannels_ * 2;
}

double Channel::BytesToSeconds(int64_t bytes) const {
  return static_cast<double>(bytes) / (static_cast<double>(srcRate_) * srcChannels_ * 2);
}

bool Channel::SetPositionBytes(int64_t bytes) {
  if (!isFile_) return Fail(kErrNotFile);
  const int64_t length = source_->LengthFrames();
  const int64_t frame = bytes / (srcChannels_ * 2);
  if (bytes < 0 || (length >= 0 && frame > length)) return Fail(kErrPosition);
  StartThread();
  if (OnOwnThread()) {
    seekFrame_ = frame;
    seekPending_ = true;
    DoSeek();
  } else {
    std::unique_lock<std::mutex> lock(seekMutex_);
    seekFrame_ = frame;
    seekPending_ = true;
    wake_.notify_all();
    seekCv_.wait(lock, [this] { return !seekPending_.load() || quit_.load(); });
    if (seekPending_) return Fail(kErrHandle);
  }
  return seekOk_ ? Succeed() : Fail(seekError_ ? seekError_ : kErrPosition);
}

uint32_t Channel::AddSync(SyncType type, SyncProc proc) {
  if ((type != kSyncEnd && type != kSyncMeta) || !proc) return FailHandle(kErrIllType);
  std::lock_guard<std::mutex> lock(syncMutex_);
  const uint32_t id = nextSync_++;
  syncs_.push_back({id, type, std::move(proc)});
  SetLastError(kOk);
  return id;
}

bool Channel::RemoveSync(uint32_t id) {
  std::lock_guard<std::mutex> lock(syncMutex_);
  auto it = std::find_if(syncs_.begin(), syncs_.end(), [id](const Sync& s) { return s.id == id; });
  if (it == syncs_.end()) return Fail(kErrHandle);
  syncs_.erase(it);
  return Succeed();
}

void Channel::RaiseSync(SyncType type, const std::string& data) {
  if (quit_) return;
  std::vector<SyncProc> procs;
  {
    std::lock_guard<std::mutex> lock(syncMutex_);
    for (const Sync& s : syncs_)
      if (s.type == type) procs.push_back(s.proc);
  }
  // Called without the lock, so a callback may add, remove or free freely.
  for (auto& proc : procs) proc(handle_, data);
}

uint32_t Channel::AddDsp(DspProc proc) {
  if (!proc) return FailHandle(kErrIllParam);
  const uint32_t id = nextDsp_++;
  auto shared = std::make_shared<DspProc>(std::move(proc));
  if (OnOwnThread() && inDsp_) {
    dsps_.push_back({id, std::move(shared), false, nullptr});  // the hook loop holds the lock
  } else {
    std::lock_guard<std::mutex> lock(dspMutex_);
    dsps_.push_back({id, std::move(shared), false, nullptr});
  }
  SetLastError(kOk);
  return id;
}

uint32_t Channel::AddTitleHook(std::function<void(const std::string&)> hook) {
  if (!hook) return FailHandle(kErrIllParam);
  const uint32_t id = nextDsp_++;
  auto shared = std::make_shared<std::function<void(const std::string&)>>(std::move(hook));
  if (OnOwnThread() && inDsp_) {
    dsps_.push_back({id, nullptr, false, std::move(shared)});
  } else {
    std::lock_guard<std::mutex> lock(dspMutex_);
    dsps_.push_back({id, nullptr, false, std::move(shared)});
  }
  SetLastError(kOk);
  return id;
}

bool Channel::RemoveDsp(uint32_t id) {
  auto mark = [this, id] {
    for (Dsp& d : dsps_)
      if (d.id == id && !d.removed) {
        d.removed = true;
        return true;
      }
    return false;
  };
  if (OnOwnThread() && inDsp_) return mark() ? Succeed() : Fail(kErrHandle);
  // Taking the lock waits for a hook call in progress to end.
  std::lock_guard<std::mutex> lock(dspMutex_);
  const bool found = mark();
  dsps_.erase(std::remove_if(dsps_.begin(), dsps_.end(), [](const Dsp& d) { return d.removed; }),
              dsps_.end());
  return found ? Succeed() : Fail(kErrHandle);
}

// Decoding thread.
void Channel::RunDsp(const float* samples, size_t frames) {
  std::lock_guard<std::mutex> lock(dspMutex_);
  if (dsps_.empty()) return;
  inDsp_ = true;
  for (size_t i = 0; i < dsps_.size(); ++i) {
    if (dsps_[i].removed || !dsps_[i].proc) continue;
    std::shared_ptr<DspProc> proc = dsps_[i].proc;  // the vector may grow during the call
    (*proc)(samples, frames, srcChannels_, srcRate_);
  }
  inDsp_ = false;
  dsps_.erase(std::remove_if(dsps_.begin(), dsps_.end(), [](const Dsp& d) { return d.removed; }),
              dsps_.end());
}

// Decoding thread.
void Channel::RunTitleHooks(const std::string& text) {
  std::lock_guard<std::mutex> lock(dspMutex_);
  inDsp_ = true;
  for (size_t i = 0; i < dsps_.size(); ++i) {
    if (dsps_[i].removed || !dsps_[i].title) continue;
    std::shared_ptr<std::function<void(const std::string&)>> hook = dsps_[i].title;
    (*hook)(text);
  }
  inDsp_ = false;
  dsps_.erase(std::remove_if(dsps_.begin(), dsps_.end(), [](const Dsp& d) { return d.removed; }),
              dsps_.end());
}

// Decoding thread: raises the metadata sync of each title whose place has been heard.
void Channel::RaiseHeardTitles() {
  while (!heardTitles_.empty() && !quit_) {
    const int64_t heard = attached_.load() ? HeardOutFrames() : mixedOut_.load();
    if (heard < heardTitles_.front().first) return;
    const std::string text = std::move(heardTitles_.front().second);
    heardTitles_.pop_front();
    RaiseSync(kSyncMeta, text);
  }
}

bool Channel::Fft1024(float* out) const {
  if (state_.load() != State::Playing) return false;
  // The output still holds the newest frames: what is heard now lies that far back.
  const auto queued = static_cast<uint64_t>(OutputQueuedFrames());
  std::array<float, Spectrum::kSize> window{};
  {
    std::lock_guard<std::mutex> lock(historyMutex_);
    const uint64_t end = historyWritten_ > queued ? historyWritten_ - queued : 0;
    for (size_t i = 0; i < Spectrum::kSize; ++i) {
      const uint64_t k = end + i;
      if (k < Spectrum::kSize) continue;  // before the first frame: silence
      const uint64_t index = k - Spectrum::kSize;
      if (index + kHistory < historyWritten_) continue;  // already overwritten
      window[i] = history_[index % kHistory];
    }
  }
  Spectrum::Compute(window.data(), out);
  return true;
}

// Output thread.
size_t Channel::MixInto(float* dst, size_t frames, int channels) {
  if (channels != queue_.Channels()) return 0;
  if (monoScratch_.size() < frames) monoScratch_.resize(frames);
  const size_t n = queue_.PopAdd(dst, frames, monoScratch_.data());
  if (n > 0) {
    std::lock_guard<std::mutex> lock(historyMutex_);
    if (!history_.empty())
      for (size_t i = 0; i < n; ++i) history_[(historyWritten_ + i) % kHistory] = monoScratch_[i];
    historyWritten_ += n;
  }
  mixedOut_ += static_cast<int64_t>(n);
  const bool starved = n < frames && state_.load() == State::Playing && !sourceEnded_.load();
  if (starved && !starved_.load()) ++underruns_;
  starved_ = starved;
  // An output faster than real time (tests, benchmarks) must not wait for the
  // decoder's idle timer: wake it once there is room. notify_one does not block.
  if (decoderWaiting_.load() && queue_.Free() >= wakeRoom_.load()) wake_.notify_one();
  return n;
}

// Decoding thread.
void Channel::Run() {
  threadId_ = std::this_thread::get_id();
  chunkFrames_ = ChunkFrames(srcRate_);
  decodeBuf_.resize(chunkFrames_ * static_cast<size_t>(srcChannels_));
  // Room the queue needs for one chunk once resampled, with margin for the filter.
  const size_t need = std::min(chunkFrames_ * static_cast<size_t>(outRate_) / srcRate_ + 64,
                               queue_.Free());
  wakeRoom_ = need;
  while (!quit_) {
    if (seekPending_) {
      DoSeek();
      continue;
    }
    RaiseHeardTitles();
    if (quit_) break;
    if (sourceEnded_) {
      if (state_.load() == State::Playing) {
        FinishEnd();
      } else {
        std::unique_lock<std::mutex> lock(wakeMutex_);
        wake_.wait_for(lock, kIdleWait);
      }
      continue;
    }
    if (queue_.Free() < need) {
      std::unique_lock<std::mutex> lock(wakeMutex_);
      decoderWaiting_ = true;
      wake_.wait_for(lock, kIdleWait, [this, need] {
        return queue_.Free() >= need || quit_.load() || seekPending_.load();
      });
      decoderWaiting_ = false;
      continue;
    }
    if (!DecodeSome()) sourceEnded_ = true;
  }
}

// Decoding thread.
bool Channel::DecodeSome() {
  const long n = source_->Read(decodeBuf_.data(), chunkFrames_);
  if (n <= 0 || quit_) return false;  // an error ends the channel as its end does
  const auto frames = static_cast<size_t>(n);
  // Titles placed in this block: the hooks see the sound before each place, the title,
  // then the rest; the sync waits until the place is heard.
  size_t at = 0;
  PcmSource::TitleMark mark;
  while (source_->TakeTitleMark(&mark)) {
    const size_t offset = std::min(mark.offset, frames);
    if (offset > at) RunDsp(decodeBuf_.data() + at * srcChannels_, offset - at);
    at = offset;
    RunTitleHooks(mark.text);
    heardTitles_.emplace_back(pushedOut_ + static_cast<int64_t>(offset) * outRate_ / srcRate_,
                              std::move(mark.text));
  }
  if (at < frames) RunDsp(decodeBuf_.data() + at * srcChannels_, frames - at);
  size_t outFrames = 0;
  const float* out = resampler_.Convert(decodeBuf_.data(), frames, &outFrames);
  size_t pushed = 0;
  while (pushed < outFrames && !quit_ && !seekPending_) {
    pushed += queue_.Push(out + pushed * 2, outFrames - pushed);
    if (pushed < outFrames) {
      RaiseHeardTitles();
      std::this_thread::sleep_for(kShortWait);
    }
  }
  pushedOut_ += static_cast<int64_t>(pushed);
  return true;
}

// Decoding thread.
void Channel::DoSeek() {
  const bool ok = source_->SeekFrame(seekFrame_);
  const int error = ok ? kOk : LastError();
  if (ok) {
    queue_.Clear();
    starved_ = true;
    resampler_.Reset();
    baseFrame_ = seekFrame_;
    mixedOut_ = 0;
    pushedOut_ = 0;
    heardTitles_.clear();
    sourceEnded_ = false;
    State ended = State::Ended;
    state_.compare_exchange_strong(ended, State::Stopped);
  }
  std::lock_guard<std::mutex> lock(seekMutex_);
  seekOk_ = ok;
  seekError_ = error;
  seekPending_ = false;
  seekCv_.notify_all();
}

// Decoding thread: the source has ended while playing. Stays in the mix until the
// queued tail has been heard, then leaves it and raises the end sync once.
void Channel::FinishEnd() {
  auto interrupted = [this] { return quit_.load() || seekPending_.load(); };
  while (!interrupted()) {
    if (state_.load() != State::Playing) return;  // paused at the end: wait in Run
    if (queue_.Size() == 0) break;
    std::this_thread::sleep_for(kShortWait);
  }
  if (interrupted()) return;
  const auto queued = static_cast<int64_t>(OutputQueuedFrames());
  const auto deadline = std::chrono::steady_clock::now() +
                        std::chrono::milliseconds(queued * 1000 / outRate_);
  while (!interrupted() && std::chrono::steady_clock::now() < deadline)
    std::this_thread::sleep_for(kShortWait);
  if (interrupted() || state_.load() != State::Playing) return;
  if (attached_.exchange(false)) DetachSource(this);
  state_ = State::Ended;
  RaiseSync(kSyncEnd, std::string());
}

}  // namespace zengine
