// The title-hold calls of engine_record.h: one TitleHold per channel, owned by the
// channel's two hooks (so it goes with the channel), found here through a weak link.
#include <map>
#include <memory>
#include <mutex>

#include "playback/engine/channel.h"
#include "playback/engine/channelregistry.h"
#include "playback/engine/engine.h"
#include "playback/engine/lasterror.h"
#include "playback/engine/record/titlehold.h"

namespace zengine {

namespace {

struct HoldEntry {
  std::weak_ptr<TitleHold> hold;
  uint32_t sound = 0, title = 0;
};

struct HoldTable {
  std::mutex mutex;
  std::map<Handle, HoldEntry> holds;
};

HoldTable& Table() {
  static HoldTable table;
  return table;
}

}  // namespace

std::shared_ptr<TitleHold> FindTitleHold(Handle channel) {
  HoldTable& t = Table();
  std::lock_guard<std::mutex> lock(t.mutex);
  auto it = t.holds.find(channel);
  if (it == t.holds.end()) return nullptr;
  std::shared_ptr<TitleHold> hold = it->second.hold.lock();
  if (!hold) t.holds.erase(it);  // its channel went
  return hold;
}

bool ChannelHoldTitle(Handle channel, int maxSeconds, const std::string& folder) {
  std::shared_ptr<Channel> c = FindChannel(channel);
  if (!c) return Fail(kErrHandle);
  HoldTable& t = Table();
  std::unique_lock<std::mutex> lock(t.mutex);
  // Entries of channels that went.
  for (auto it = t.holds.begin(); it != t.holds.end();)
    it = it->second.hold.expired() ? t.holds.erase(it) : std::next(it);
  auto it = t.holds.find(channel);
  if (maxSeconds <= 0) {
    if (it == t.holds.end()) return Succeed();
    const HoldEntry entry = it->second;
    t.holds.erase(it);
    lock.unlock();
    c->RemoveDsp(entry.sound);
    c->RemoveDsp(entry.title);
    return Succeed();
  }
  if (it != t.holds.end()) return Succeed();
  // The title playing now (the first block of the tag): a song whose place was not heard.
  const std::string meta = ChannelGetTags(channel, kTagMeta);
  auto hold = std::make_shared<TitleHold>(maxSeconds, meta.substr(0, meta.find('\0')), folder);
  HoldEntry entry;
  entry.hold = hold;
  entry.sound = c->AddDsp([hold](const float* s, size_t frames, int chans, int rate) {
    hold->Sound(s, frames, chans, rate);
  });
  entry.title = c->AddTitleHook([hold](const std::string& text) { hold->Title(text); });
  if (!entry.sound || !entry.title) {
    if (entry.sound) c->RemoveDsp(entry.sound);
    if (entry.title) c->RemoveDsp(entry.title);
    return Fail(kErrHandle);
  }
  t.holds[channel] = entry;
  return Succeed();
}

bool ChannelGetHeldTitle(Handle channel, HeldTitle* out) {
  std::shared_ptr<TitleHold> hold = FindTitleHold(channel);
  if (!hold) return Fail(kErrNotAvail);
  const TitleHold::State s = hold->Get();
  out->seconds = s.seconds;
  out->fromStart = s.fromStart;
  out->truncated = s.truncated;
  out->title = s.title;
  out->fileBytes = s.fileBytes;
  return Succeed();
}

namespace {

// Hook ids of ChannelSetDSPFromTitle that follow a hold, apart from the channel's own.
constexpr uint32_t kFollowBase = 0x40000000u;

struct Following {
  std::mutex mutex;
  // The hold goes with its channel even while a hook follows it.
  std::map<uint32_t, std::pair<std::weak_ptr<TitleHold>, uint32_t>> hooks;
  uint32_t next = kFollowBase;
};

Following& Follows() {
  static Following f;
  return f;
}

}  // namespace

uint32_t ChannelSetDSPFromTitle(Handle channel, DspProc proc) {
  std::shared_ptr<TitleHold> hold = FindTitleHold(channel);
  if (!hold) return ChannelSetDSP(channel, std::move(proc));
  const uint32_t follow = hold->Follow(std::move(proc), nullptr, nullptr);
  Following& f = Follows();
  std::lock_guard<std::mutex> lock(f.mutex);
  const uint32_t id = f.next++;
  f.hooks[id] = {hold, follow};
  Succeed();
  return id;
}

bool ChannelRemoveDSPFromTitle(Handle channel, uint32_t hook) {
  if (hook < kFollowBase) return ChannelRemoveDSP(channel, hook);
  std::pair<std::weak_ptr<TitleHold>, uint32_t> entry;
  {
    Following& f = Follows();
    std::lock_guard<std::mutex> lock(f.mutex);
    auto it = f.hooks.find(hook);
    if (it == f.hooks.end()) return Fail(kErrHandle);
    entry = std::move(it->second);
    f.hooks.erase(it);
  }
  if (std::shared_ptr<TitleHold> hold = entry.first.lock()) hold->Unfollow(entry.second);
  return Succeed();
}

}  // namespace zengine
