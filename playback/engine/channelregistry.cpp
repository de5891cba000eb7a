#include "playback/engine/channelregistry.h"

#include <map>
#include <mutex>
#include <vector>

#include "playback/engine/channelfactory.h"
#include "playback/engine/enginemix.h"
#include "playback/engine/lasterror.h"

namespace zengine {

namespace {
std::mutex g_mutex;
std::map<Handle, std::shared_ptr<Channel>> g_channels;
Handle g_next = 1;
}  // namespace

Handle RegisterChannel(std::shared_ptr<Channel> channel) {
  Handle handle;
  {
    std::lock_guard<std::mutex> lock(g_mutex);
    handle = g_next++;
    if (g_next == 0) g_next = 1;
    g_channels[handle] = channel;
  }
  channel->Start(handle);
  return handle;
}

std::shared_ptr<Channel> FindChannel(Handle handle) {
  std::lock_guard<std::mutex> lock(g_mutex);
  auto it = g_channels.find(handle);
  if (it == g_channels.end()) {
    SetLastError(kErrHandle);
    return nullptr;
  }
  return it->second;
}

std::shared_ptr<Channel> UnregisterChannel(Handle handle) {
  std::lock_guard<std::mutex> lock(g_mutex);
  auto it = g_channels.find(handle);
  if (it == g_channels.end()) return nullptr;
  auto channel = it->second;
  g_channels.erase(it);
  return channel;
}

void FreeAllChannels() {
  AbortConnectingStreams();
  std::map<Handle, std::shared_ptr<Channel>> all;
  {
    std::lock_guard<std::mutex> lock(g_mutex);
    all.swap(g_channels);
  }
  for (auto& [handle, channel] : all) channel->Shutdown();
}

// ---- channelfactory.h ----

Handle CreateSourceChannel(std::unique_ptr<PcmSource> source, bool isFile) {
  if (!source) return FailHandle(kErrHandle);
  const int rate = OutputRate();
  if (rate <= 0) return FailHandle(kErrInit);
  if (source->Rate() <= 0 || source->Channels() <= 0) return FailHandle(kErrFormat);
  auto channel = std::make_shared<Channel>(std::move(source), isFile, rate);
  const Handle handle = RegisterChannel(std::move(channel));
  SetLastError(kOk);
  return handle;
}

}  // namespace zengine
