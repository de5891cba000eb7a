#include "playback/engine/record/titlehold.h"

#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>

namespace zengine {

namespace {

// Room in the ring beyond what is kept, so that a reader catching up from the oldest
// kept sound is never overtaken by the writer.
constexpr int kMarginSeconds = 30;
// A catch-up reads at most this much sound at a time.
constexpr int kChunkMs = 500;
// A follower with no readiness check gets its chunks this far apart (several times
// faster than the sound plays, well within a writer's 10 s queue).
constexpr auto kPacing = std::chrono::milliseconds(50);

// The same rounding as the encoders' conversion, so a sample read back converts to
// the same 16-bit value it was written as.
int16_t ToS16(float v) {
  if (!(v > -1.0f)) return -32768;
  if (v >= 1.0f) return 32767;
  const float scaled = v * 32767.0f;
  return static_cast<int16_t>(scaled >= 0 ? scaled + 0.5f : scaled - 0.5f);
}

// An unlinked file in `folder`: it disappears with its descriptor.
int OpenTempFile(const std::string& folder) {
  int fd = -1;
#ifdef O_TMPFILE
  fd = ::open(folder.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
  if (fd >= 0) return fd;
#endif
  std::string path = folder + "/zovalis-held-XXXXXX";
  fd = ::mkostemp(path.data(), O_CLOEXEC);
  if (fd >= 0) ::unlink(path.c_str());
  return fd;
}

bool WriteAll(int fd, const void* data, size_t bytes, int64_t offset) {
  const auto* p = static_cast<const uint8_t*>(data);
  while (bytes > 0) {
    const ssize_t n = ::pwrite(fd, p, bytes, offset);
    if (n <= 0) return false;
    p += n;
    bytes -= static_cast<size_t>(n);
    offset += n;
  }
  return true;
}

bool ReadAll(int fd, void* data, size_t bytes, int64_t offset) {
  auto* p = static_cast<uint8_t*>(data);
  while (bytes > 0) {
    const ssize_t n = ::pread(fd, p, bytes, offset);
    if (n <= 0) return false;
    p += n;
    bytes -= static_cast<size_t>(n);
    offset += n;
  }
  return true;
}

}  // namespace

TitleHold::TitleHold(int maxSeconds, std::string title, std::string tempFolder)
    : maxSeconds_(std::max(1, maxSeconds)), tempFolder_(std::move(tempFolder)), lastTitle_(std::move(title)) {
  if (tempFolder_.empty()) {
    const char* tmp = ::getenv("TMPDIR");
    tempFolder_ = tmp && *tmp ? tmp : "/tmp";
  }
}

TitleHold::~TitleHold() {
  std::map<uint32_t, std::shared_ptr<Follower>> left;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    left.swap(followers_);
    for (auto& f : left) f.second->stop = true;
  }
  for (auto& f : left)
    if (f.second->thread.joinable()) f.second->thread.join();
  if (fd_ >= 0) ::close(fd_);
}

void TitleHold::WriteRing(const int16_t* data, size_t frames) {
  const size_t frameBytes = static_cast<size_t>(channels_) * 2;
  int64_t at = written_ % capacityFrames_;
  size_t left = frames;
  while (left > 0 && !failed_) {
    const size_t n = static_cast<size_t>(std::min<int64_t>(static_cast<int64_t>(left), capacityFrames_ - at));
    if (!WriteAll(fd_, data, n * frameBytes, at * static_cast<int64_t>(frameBytes))) failed_ = true;
    data += n * static_cast<size_t>(channels_);
    left -= n;
    at = 0;
  }
}

bool TitleHold::ReadRing(int64_t from, size_t frames, std::vector<int16_t>* out) {
  // rate_, channels_, capacityFrames_ and fd_ do not change once set while followers
  // read (a format change moves them on; see Sound).
  const size_t frameBytes = static_cast<size_t>(channels_) * 2;
  out->resize(frames * static_cast<size_t>(channels_));
  int16_t* p = out->data();
  int64_t at = from % capacityFrames_;
  size_t left = frames;
  while (left > 0) {
    const size_t n = static_cast<size_t>(std::min<int64_t>(static_cast<int64_t>(left), capacityFrames_ - at));
    if (!ReadAll(fd_, p, n * frameBytes, at * static_cast<int64_t>(frameBytes))) return false;
    p += n * static_cast<size_t>(channels_);
    left -= n;
    at = 0;
  }
  return true;
}

void TitleHold::Sound(const float* samples, size_t frames, int channels, int rate) {
  if (frames == 0 || channels <= 0 || rate <= 0) return;
  std::lock_guard<std::mutex> lock(mutex_);
  if (rate != rate_ || channels != channels_) {
    // First sound, or the stream changed its format: what was kept no longer fits.
    if (fd_ < 0 && !failed_) {
      fd_ = OpenTempFile(tempFolder_);
      if (fd_ < 0) failed_ = true;
    }
    rate_ = rate;
    channels_ = channels;
    capacityFrames_ = static_cast<int64_t>(maxSeconds_ + kMarginSeconds) * rate;
    if (written_ > 0) fromStart_ = false;
    songStart_ = written_;
    places_.clear();
    for (auto& f : followers_)
      if (!f.second->live) f.second->next = written_;
  }
  if (!failed_) {
    block_.resize(frames * static_cast<size_t>(channels));
    for (size_t i = 0; i < block_.size(); ++i) block_[i] = ToS16(samples[i]);
    WriteRing(block_.data(), frames);
  }
  written_ += static_cast<int64_t>(frames);
  for (auto& f : followers_)
    if (f.second->live && f.second->sound) f.second->sound(samples, frames, channels, rate);
}

void TitleHold::Title(const std::string& text) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (text == lastTitle_) return;
  lastTitle_ = text;
  songStart_ = written_;
  fromStart_ = true;
  places_.emplace_back(written_, text);
  // Places older than anything a reader may still need go.
  const int64_t oldest = written_ - capacityFrames_;
  while (!places_.empty() && places_.front().first < oldest) places_.pop_front();
  for (auto& f : followers_)
    if (f.second->live && f.second->title) f.second->title(text);
}

TitleHold::State TitleHold::Get() {
  std::lock_guard<std::mutex> lock(mutex_);
  State s;
  s.title = lastTitle_;
  s.fromStart = fromStart_;
  if (rate_ > 0 && !failed_) {
    const int64_t song = written_ - songStart_;
    const int64_t kept = static_cast<int64_t>(maxSeconds_) * rate_;
    s.seconds = static_cast<double>(std::min(song, kept)) / rate_;
    s.truncated = song > kept;
    s.fileBytes = std::min(written_, capacityFrames_) * channels_ * 2;
  }
  return s;
}

uint32_t TitleHold::Follow(SoundFn sound, TitleFn title, ReadyFn ready, const TitleFn& begin) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (begin) begin(lastTitle_);
  const uint32_t id = nextId_++;
  auto f = std::make_shared<Follower>();
  f->sound = std::move(sound);
  f->title = std::move(title);
  f->ready = std::move(ready);
  if (failed_ || rate_ == 0) {
    f->live = true;  // nothing kept: the live sound only
  } else {
    f->next = std::max(songStart_, written_ - static_cast<int64_t>(maxSeconds_) * rate_);
    f->thread = std::thread([this, id] { CatchUp(id); });
  }
  followers_[id] = std::move(f);
  return id;
}

void TitleHold::Unfollow(uint32_t id) {
  std::shared_ptr<Follower> f;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    auto it = followers_.find(id);
    if (it == followers_.end()) return;
    f = it->second;
    f->stop = true;
    followers_.erase(it);
  }
  if (f->thread.joinable()) {
    if (f->thread.get_id() == std::this_thread::get_id())
      f->thread.detach();
    else
      f->thread.join();
  }
}

void TitleHold::CatchUp(uint32_t id) {
  std::shared_ptr<Follower> f;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    auto it = followers_.find(id);
    if (it == followers_.end()) return;
    f = it->second;
  }
  std::vector<int16_t> pcm;
  std::vector<float> samples;
  int64_t replayedAt = -1;
  while (true) {
    std::string place;
    bool hasPlace = false;
    int64_t from = 0;
    size_t frames = 0;
    int rate = 0, channels = 0;
    {
      std::lock_guard<std::mutex> lock(mutex_);
      if (f->stop) return;
      const int64_t oldest = std::max<int64_t>(0, written_ - capacityFrames_ + rate_);
      if (f->next < oldest) f->next = std::max(songStart_, written_ - static_cast<int64_t>(maxSeconds_) * rate_);
      // A title's place here: told before the sound after it.
      int64_t until = written_;
      for (const auto& p : places_) {
        if (p.first == f->next && replayedAt != f->next) {
          place = p.second;
          hasPlace = true;
          break;
        }
        if (p.first > f->next) {
          until = std::min(until, p.first);
          break;
        }
      }
      if (!hasPlace) {
        if (f->next >= written_ || failed_) {
          f->live = true;  // from now on the decoding thread feeds it
          return;
        }
        from = f->next;
        frames = static_cast<size_t>(std::min<int64_t>(until - f->next, static_cast<int64_t>(rate_) * kChunkMs / 1000));
        rate = rate_;
        channels = channels_;
      }
    }
    if (hasPlace) {
      replayedAt = f->next;
      if (f->title) f->title(place);
      continue;
    }
    // Wait for room at the follower.
    if (f->ready) {
      while (!f->ready()) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        std::lock_guard<std::mutex> lock(mutex_);
        if (f->stop) return;
      }
    }
    const bool read = ReadRing(from, frames, &pcm);
    {
      std::lock_guard<std::mutex> lock(mutex_);
      if (f->stop) return;
      // Overtaken by the writer while reading (a reader far too slow): read again from
      // the oldest sound kept.
      if (rate != rate_ || channels != channels_ || from < written_ - capacityFrames_ + rate_ || f->next != from)
        continue;
      if (!read) {
        failed_ = true;
        continue;
      }
      f->next = from + static_cast<int64_t>(frames);
    }
    samples.resize(pcm.size());
    for (size_t i = 0; i < pcm.size(); ++i) samples[i] = static_cast<float>(pcm[i]) / 32767.0f;
    if (f->sound) f->sound(samples.data(), frames, channels, rate);
    if (!f->ready) std::this_thread::sleep_for(kPacing);
  }
}

}  // namespace zengine
