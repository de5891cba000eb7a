// The encoder calls of engine_record.h: a table of running encoders keyed by handle.
#include <limits.h>
#include <unistd.h>

#include <atomic>
#include <map>
#include <utility>
#include <vector>
#include <memory>
#include <mutex>

#include "playback/engine/engine.h"
#include "playback/engine/lasterror.h"
#include "playback/engine/record/encoder.h"
#include "playback/engine/record/encodercommand.h"

namespace zengine {

namespace {

// Encoder handles live in their own range, apart from channel and writer handles.
constexpr Handle kEncoderHandleBase = 0x10000000u;

struct Running {
  std::shared_ptr<Encoder> encoder;
  Handle channel = 0;
  uint32_t hook = 0;
  // The channel the writer thread checks is alive; EncodeSetChannel moves it.
  std::shared_ptr<std::atomic<Handle>> alive;
};

// The hook feeding `encoder` from a channel. Playback thread of the channel.
DspProc FeedHook(const std::shared_ptr<Encoder>& encoder) {
  std::weak_ptr<Encoder> weak = encoder;
  return [weak](const float* samples, size_t frames, int channels, int rate) {
    if (std::shared_ptr<Encoder> e = weak.lock()) e->Push(samples, frames, channels, rate);
  };
}

struct EncoderTable {
  std::mutex mutex;
  std::map<Handle, Running> running;
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

// Frees the encoders that ended by themselves (program gone, channel freed) and were
// never stopped: the recorder forgets an encoder that is no longer active without
// stopping it. Their threads have finished writing, so this does not wait long.
void ReapEndedEncoders() {
  std::vector<Running> ended;
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
  }
  for (Running& r : ended) {
    ChannelRemoveDSP(r.channel, r.hook);
    r.encoder->Stop();
  }
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
  const uint32_t hook = ChannelSetDSP(channel, FeedHook(encoder));
  if (!hook) {
    const int reason = ErrorGetCode();
    encoder->Stop();
    return FailHandle(reason ? reason : kErrHandle);
  }
  EncoderTable& t = Table();
  std::lock_guard<std::mutex> lock(t.mutex);
  const Handle handle = t.next++;
  t.running[handle] = Running{std::move(encoder), channel, hook, std::move(alive)};
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
  // Unhook first (waits for a running hook call), then drain and finish the output.
  ChannelRemoveDSP(running.channel, running.hook);  // fails harmlessly when the channel is gone
  running.encoder->Stop();
  return Succeed();
}

bool EncodeSetChannel(Handle handle, Handle channel) {
  ChannelInfo info;
  if (!ChannelGetInfo(channel, &info)) return Fail(kErrHandle);
  std::shared_ptr<Encoder> encoder;
  {
    EncoderTable& t = Table();
    std::lock_guard<std::mutex> lock(t.mutex);
    auto it = t.running.find(handle);
    if (it == t.running.end()) return Fail(kErrHandle);
    encoder = it->second.encoder;
  }
  if (info.freq != encoder->Rate() || info.chans != encoder->Channels()) return Fail(kErrFormat);
  if (encoder->HasEnded()) return Fail(kErrNotAvail);
  const uint32_t hook = ChannelSetDSP(channel, FeedHook(encoder));
  if (!hook) return false;  // the reason is set
  Handle oldChannel = 0;
  uint32_t oldHook = 0;
  {
    EncoderTable& t = Table();
    std::lock_guard<std::mutex> lock(t.mutex);
    auto it = t.running.find(handle);
    if (it == t.running.end()) {
      ChannelRemoveDSP(channel, hook);
      return Fail(kErrHandle);
    }
    // The writer checks the new channel from now on, so freeing the old one does not
    // end the file.
    it->second.alive->store(channel);
    oldChannel = std::exchange(it->second.channel, channel);
    oldHook = std::exchange(it->second.hook, hook);
  }
  ChannelRemoveDSP(oldChannel, oldHook);  // fails harmlessly when that channel is gone
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
  return static_cast<int64_t>(it->second.encoder->DroppedFrames());
}

}  // namespace zengine
