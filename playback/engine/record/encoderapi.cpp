// The encoder calls of engine_record.h: a table of running encoders keyed by handle,
// each fed from its channel through a Feed (one DSP hook and one title hook), and the
// feeds left holding sound after a title cut until the next encoder takes them over.
#include <limits.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <deque>
#include <iterator>
#include <map>
#include <memory>
#include <mutex>
#include <utility>
#include <vector>

#include "playback/engine/channelregistry.h"
#include "playback/engine/engine.h"
#include "playback/engine/lasterror.h"
#include "playback/engine/record/encoder.h"
#include "playback/engine/record/encodercommand.h"
#include "playback/engine/record/titlehold.h"

namespace zengine {

namespace {

using Clock = std::chrono::steady_clock;

// Encoder handles live in their own range, apart from channel and writer handles.
constexpr Handle kEncoderHandleBase = 0x10000000u;
// How long sound after a title's place is held for the next encoder, and how long the
// encoder that stopped taking it waits for its stop before taking it back.
constexpr int kHoldSeconds = 30;
constexpr auto kCutGrace = std::chrono::seconds(5);
// An encoder started later than this after the place is a new recording, not a cut.
constexpr auto kTakeOverLimit = std::chrono::seconds(10);

// The sound of one channel on its way to one encoder. The hooks run on the channel's
// decoding thread; the interface thread takes the feed over or apart under `mutex`.
struct Feed {
  std::mutex mutex;
  std::shared_ptr<Encoder> encoder;  // null once its encoder stopped (only holds then)
  bool cutAtTitle = false;
  std::string lastTitle;  // the metadata text of the song being written
  bool holding = false;  // a title's place passed: the sound goes to `held`
  Clock::time_point heldSince;
  std::vector<float> held;
  int heldRate = 0, heldChannels = 0;
  uint64_t dropped = 0;  // frames of held sound dropped (hold full)

  // Decoding thread.
  void Sound(const float* samples, size_t frames, int channels, int rate) {
    std::lock_guard<std::mutex> lock(mutex);
    if (!holding) {
      if (encoder) encoder->Push(samples, frames, channels, rate);
      return;
    }
    if (encoder && Clock::now() - heldSince > kCutGrace) {
      // Nobody cut here (the same song went on): the file continues without a gap.
      Release();
      encoder->Push(samples, frames, channels, rate);
      return;
    }
    if (held.empty()) {
      heldRate = rate;
      heldChannels = channels;
    }
    const size_t limit = static_cast<size_t>(kHoldSeconds) * rate * channels;
    if (rate != heldRate || channels != heldChannels || held.size() + frames * channels > limit) {
      dropped += frames;
      return;
    }
    held.insert(held.end(), samples, samples + frames * channels);
  }

  // Decoding thread: a title's place in the sound. Only a text that differs from the
  // last one can start a new song.
  void Title(const std::string& text) {
    std::lock_guard<std::mutex> lock(mutex);
    if (text == lastTitle) return;
    lastTitle = text;
    if (!cutAtTitle || !encoder) return;
    // A second title before anyone cut at the first: the sound up to here stays in
    // this file, and the hold starts again at the new place.
    if (holding) Release();
    holding = true;
    heldSince = Clock::now();
    held.clear();
  }

  // Hands the held sound to `encoder` (under the lock).
  void Release() {
    if (encoder && !held.empty())
      encoder->Push(held.data(), held.size() / static_cast<size_t>(heldChannels), heldChannels, heldRate);
    held.clear();
    held.shrink_to_fit();
    holding = false;
  }
};

struct Hooks {
  std::shared_ptr<Feed> feed;
  Handle channel = 0;
  uint32_t sound = 0;
  uint32_t title = 0;
  // Instead of its own hooks, a feed that began with the held song follows the hold
  // (which goes with its channel, whatever follows it).
  std::weak_ptr<TitleHold> hold;
  uint32_t follow = 0;
};

struct Running {
  std::shared_ptr<Encoder> encoder;
  Hooks hooks;
  // The channel the writer thread checks is alive; EncodeSetChannel moves it.
  std::shared_ptr<std::atomic<Handle>> alive;
};

struct EncoderTable {
  std::mutex mutex;
  std::map<Handle, Running> running;
  // By channel, in the order their encoders stopped: feeds holding the sound after a
  // title for the next encoders started on that channel (one each, first stopped first).
  std::map<Handle, std::deque<Hooks>> holding;
  Handle next = kEncoderHandleBase + 1;
  std::string programFolder;
  bool programFolderSet = false;
};

EncoderTable& Table() {
  static EncoderTable table;
  return table;
}

std::string ExecutableFolder() {
  char path[PATH_MAX];
  const ssize_t n = readlink("/proc/self/exe", path, sizeof path - 1);
  if (n <= 0) return ".";
  const std::string exe(path, static_cast<size_t>(n));
  const size_t slash = exe.rfind('/');
  return slash == std::string::npos ? "." : (slash == 0 ? "/" : exe.substr(0, slash));
}

void RemoveHooks(const Hooks& h) {
  if (std::shared_ptr<TitleHold> hold = h.hold.lock()) hold->Unfollow(h.follow);
  // Each fails harmlessly when the channel is gone.
  if (h.sound) ChannelRemoveDSP(h.channel, h.sound);
  if (h.title) ChannelRemoveDSP(h.channel, h.title);
}

// Hooks `feed` to `channel`; false with the last error set.
bool AddHooks(Handle channel, const std::shared_ptr<Feed>& feed, Hooks* out) {
  Hooks h;
  h.feed = feed;
  h.channel = channel;
  // Decoding thread of the channel.
  h.sound = ChannelSetDSP(channel, [feed](const float* samples, size_t frames, int channels, int rate) {
    feed->Sound(samples, frames, channels, rate);
  });
  if (!h.sound) return false;
  std::shared_ptr<Channel> c = FindChannel(channel);
  h.title = c ? c->AddTitleHook([feed](const std::string& text) { feed->Title(text); }) : 0;
  if (!h.title) {
    ChannelRemoveDSP(channel, h.sound);
    return Fail(kErrHandle);
  }
  *out = std::move(h);
  return true;
}

// Feeds `feed` from the hold of `channel`: the held song first, then the live sound.
// False when the channel has no hold.
bool FollowHold(Handle channel, const std::shared_ptr<Feed>& feed, const std::shared_ptr<Encoder>& encoder,
                Hooks* out) {
  std::shared_ptr<TitleHold> hold = FindTitleHold(channel);
  if (!hold) return false;
  Hooks h;
  h.feed = feed;
  h.channel = channel;
  h.hold = hold;
  std::weak_ptr<Encoder> weak = encoder;
  h.follow = hold->Follow(
      [feed](const float* samples, size_t frames, int channels, int rate) {
        feed->Sound(samples, frames, channels, rate);
      },
      [feed](const std::string& text) { feed->Title(text); },
      [weak] {
        std::shared_ptr<Encoder> e = weak.lock();
        return !e || e->HasRoom() || e->HasEnded();
      },
      // The song's text: the feed cuts at the next one only.
      [feed](const std::string& text) {
        std::lock_guard<std::mutex> lock(feed->mutex);
        feed->lastTitle = text;
      });
  *out = std::move(h);
  return true;
}

// Frees the encoders that ended by themselves (program gone, channel freed) and were
// never stopped: the recorder forgets an encoder that is no longer active without
// stopping it. Their threads have finished writing, so this does not wait long. Also
// lets go of held sound nobody took in time, and of feeds whose channel is gone.
void ReapEndedEncoders() {
  std::vector<Running> ended;
  std::vector<Hooks> stale;
  {
    EncoderTable& t = Table();
    std::lock_guard<std::mutex> lock(t.mutex);
    for (auto it = t.running.begin(); it != t.running.end();) {
      if (it->second.encoder->HasEnded()) {
        ended.push_back(std::move(it->second));
        it = t.running.erase(it);
      } else {
        ++it;
      }
    }
    for (auto it = t.holding.begin(); it != t.holding.end();) {
      ChannelInfo probe;
      const bool gone = !ChannelGetInfo(it->first, &probe);
      std::deque<Hooks>& feeds = it->second;
      for (auto f = feeds.begin(); f != feeds.end();) {
        bool old;
        {
          std::lock_guard<std::mutex> feedLock(f->feed->mutex);
          old = Clock::now() - f->feed->heldSince > std::chrono::seconds(kHoldSeconds);
        }
        if (old || gone) {
          stale.push_back(std::move(*f));
          f = feeds.erase(f);
        } else {
          ++f;
        }
      }
      it = feeds.empty() ? t.holding.erase(it) : std::next(it);
    }
  }
  for (Running& r : ended) {
    RemoveHooks(r.hooks);
    r.encoder->Stop();
  }
  for (Hooks& h : stale) RemoveHooks(h);
}

}  // namespace

void EncodeSetProgramFolder(const std::string& folder) {
  EncoderTable& t = Table();
  std::lock_guard<std::mutex> lock(t.mutex);
  t.programFolder = folder;
  t.programFolderSet = true;
}

std::string EncodeGetProgramFolder() {
  EncoderTable& t = Table();
  std::lock_guard<std::mutex> lock(t.mutex);
  if (!t.programFolderSet) {
    t.programFolder = ExecutableFolder();
    t.programFolderSet = true;
  }
  return t.programFolder;
}

std::string EncodeEscape(const std::string& text) { return EscapeForDoubleQuotes(text); }

Handle EncodeStart(Handle channel, const std::string& commandLine, uint32_t flags) {
  ReapEndedEncoders();
  ChannelInfo info;
  if (!ChannelGetInfo(channel, &info)) return FailHandle(kErrHandle);
  if (info.freq <= 0 || info.chans <= 0) return FailHandle(kErrFormat);
  std::unique_ptr<EncoderSink> sink =
      Encoder::OpenSink(commandLine, flags, info.freq, info.chans, EncodeGetProgramFolder());
  if (!sink) return 0;  // the reason is set
  auto alive = std::make_shared<std::atomic<Handle>>(channel);
  auto encoder = std::make_shared<Encoder>(std::move(sink), info.freq, info.chans, [alive] {
    ChannelInfo probe;
    return ChannelGetInfo(alive->load(), &probe);
  });
  encoder->Start();

  // A feed left holding the sound after a title's place on this channel: this encoder
  // takes it over, held sound first, so its file begins on the first sample after it.
  Hooks hooks;
  bool takenOver = false;
  {
    EncoderTable& t = Table();
    std::lock_guard<std::mutex> lock(t.mutex);
    auto it = t.holding.find(channel);
    if (it != t.holding.end()) {
      hooks = std::move(it->second.front());
      it->second.pop_front();
      if (it->second.empty()) t.holding.erase(it);
      takenOver = true;
    }
  }
  if (takenOver) {
    std::lock_guard<std::mutex> lock(hooks.feed->mutex);
    // lastTitle stays: it is the title whose place the held sound begins at.
    hooks.feed->encoder = encoder;
    hooks.feed->cutAtTitle = (flags & kEncodeCutAtTitle) != 0;
    if (Clock::now() - hooks.feed->heldSince > kTakeOverLimit) hooks.feed->held.clear();
    hooks.feed->Release();
  } else {
    auto feed = std::make_shared<Feed>();
    feed->encoder = encoder;
    // The title playing now: the first block of the tag holds it.
    const std::string meta = ChannelGetTags(channel, kTagMeta);
    feed->lastTitle = meta.substr(0, meta.find('\0'));
    feed->cutAtTitle = (flags & kEncodeCutAtTitle) != 0;
    const bool followed = (flags & kEncodeFromTitle) && FollowHold(channel, feed, encoder, &hooks);
    if (!followed && !AddHooks(channel, feed, &hooks)) {
      const int reason = ErrorGetCode();
      encoder->Stop();
      return FailHandle(reason ? reason : kErrHandle);
    }
  }
  EncoderTable& t = Table();
  std::lock_guard<std::mutex> lock(t.mutex);
  const Handle handle = t.next++;
  t.running[handle] = Running{std::move(encoder), std::move(hooks), std::move(alive)};
  Succeed();
  return handle;
}

int EncodeIsActive(Handle handle) {
  std::shared_ptr<Encoder> encoder;
  {
    EncoderTable& t = Table();
    std::lock_guard<std::mutex> lock(t.mutex);
    auto it = t.running.find(handle);
    if (it == t.running.end()) {
      SetLastError(kErrHandle);
      return 0;
    }
    encoder = it->second.encoder;
  }
  Succeed();
  return encoder->IsActive() ? 1 : 0;
}

bool EncodeStop(Handle handle) {
  Running running;
  {
    EncoderTable& t = Table();
    std::lock_guard<std::mutex> lock(t.mutex);
    auto it = t.running.find(handle);
    if (it == t.running.end()) return Fail(kErrHandle);
    running = std::move(it->second);
    t.running.erase(it);
  }
  // A feed holding the sound after a title stays hooked, holding it for the next
  // encoder on the channel; any other is unhooked (which waits for a running hook call).
  bool holding = false;
  {
    std::lock_guard<std::mutex> lock(running.hooks.feed->mutex);
    running.hooks.feed->encoder.reset();
    holding = running.hooks.feed->holding;
  }
  if (holding) {
    EncoderTable& t = Table();
    std::lock_guard<std::mutex> lock(t.mutex);
    t.holding[running.hooks.channel].push_back(running.hooks);
  } else {
    RemoveHooks(running.hooks);
  }
  // Then drain and finish the output.
  running.encoder->Stop();
  return Succeed();
}

bool EncodeSetChannel(Handle handle, Handle channel) {
  ChannelInfo info;
  if (!ChannelGetInfo(channel, &info)) return Fail(kErrHandle);
  std::shared_ptr<Encoder> encoder;
  std::shared_ptr<Feed> feed;
  {
    EncoderTable& t = Table();
    std::lock_guard<std::mutex> lock(t.mutex);
    auto it = t.running.find(handle);
    if (it == t.running.end()) return Fail(kErrHandle);
    encoder = it->second.encoder;
    feed = it->second.hooks.feed;
  }
  if (info.freq != encoder->Rate() || info.chans != encoder->Channels()) return Fail(kErrFormat);
  if (encoder->HasEnded()) return Fail(kErrNotAvail);
  Hooks hooks;
  if (!AddHooks(channel, feed, &hooks)) return false;  // the reason is set
  Hooks old;
  {
    EncoderTable& t = Table();
    std::lock_guard<std::mutex> lock(t.mutex);
    auto it = t.running.find(handle);
    if (it == t.running.end()) {
      RemoveHooks(hooks);
      return Fail(kErrHandle);
    }
    // The writer checks the new channel from now on, so freeing the old one does not
    // end the file.
    it->second.alive->store(channel);
    old = std::exchange(it->second.hooks, hooks);
  }
  RemoveHooks(old);
  return Succeed();
}

int64_t EncodeGetDropped(Handle handle) {
  EncoderTable& t = Table();
  std::lock_guard<std::mutex> lock(t.mutex);
  auto it = t.running.find(handle);
  if (it == t.running.end()) {
    SetLastError(kErrHandle);
    return -1;
  }
  Succeed();
  uint64_t held;
  {
    std::lock_guard<std::mutex> feedLock(it->second.hooks.feed->mutex);
    held = it->second.hooks.feed->dropped;
  }
  return static_cast<int64_t>(it->second.encoder->DroppedFrames() + held);
}

}  // namespace zengine
