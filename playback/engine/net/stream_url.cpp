// StreamCreateURL: connects, follows playlists, probes the format and makes a live
// channel of the stream.
#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <set>
#include <thread>
#include <string>

#include "playback/engine/channelfactory.h"
#include "playback/engine/channelregistry.h"
#include "playback/engine/engine.h"
#include "playback/engine/enginemix.h"
#include "playback/engine/lasterror.h"
#include "playback/engine/net/hlsplaylist.h"
#include "playback/engine/net/hlssource.h"
#include "playback/engine/net/httpdownload.h"
#include "playback/engine/net/netsource.h"
#include "playback/engine/net/playlistparse.h"
#include "playback/engine/net/proxytext.h"

namespace zengine {

namespace {

// A playlist that points at a playlist is followed this many times at most.
constexpr int kMaxPlaylistDepth = 5;
constexpr size_t kMaxPlaylistBytes = 32 * 1024;
// One connection attempt (headers, playlist, format probing) gets this many time-outs.
constexpr int kOpenTimeouts = 3;

// Downloads of StreamCreateURL calls still connecting, for AbortConnectingStreams.
std::mutex g_connectingMutex;
std::set<HttpDownload*> g_connecting;
std::atomic<uint64_t> g_abortGeneration{0};

// Registers a connecting download for the scope of a StreamCreateURL call.
class Connecting {
 public:
  explicit Connecting(HttpDownload* d) : d_(d) {
    std::lock_guard<std::mutex> lock(g_connectingMutex);
    g_connecting.insert(d_);
  }
  ~Connecting() { Release(); }
  void Release() {
    if (!d_) return;
    std::lock_guard<std::mutex> lock(g_connectingMutex);
    g_connecting.erase(d_);
    d_ = nullptr;
  }

 private:
  HttpDownload* d_;
};

// Bounds a whole connection attempt: a server that trickles bytes never stalls, yet
// must not keep the caller waiting. Aborts the download (if still connecting) when
// the deadline passes first.
class Watchdog {
 public:
  Watchdog(HttpDownload* download, int ms) {
    thread_ = std::thread([this, download, ms] {  // the watchdog's own thread
      std::unique_lock<std::mutex> lock(mutex_);
      if (done_.wait_for(lock, std::chrono::milliseconds(ms), [this] { return finished_; }))
        return;
      fired_ = true;
      std::lock_guard<std::mutex> connecting(g_connectingMutex);
      if (g_connecting.count(download)) download->Abort();
    });
  }
  ~Watchdog() {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      finished_ = true;
    }
    done_.notify_all();
    thread_.join();
  }
  bool Fired() {
    std::lock_guard<std::mutex> lock(mutex_);
    return fired_;
  }

 private:
  std::mutex mutex_;
  std::condition_variable done_;
  bool finished_ = false;
  bool fired_ = false;
  std::thread thread_;
};

bool IsHlsType(const std::string& type) {
  return type == "application/vnd.apple.mpegurl" || type == "application/x-mpegurl" ||
         type == "audio/x-mpegurl" || type == "audio/mpegurl";
}

bool IsPlaylistType(const std::string& type) {
  return type == "audio/x-scpls" || type == "audio/scpls" || type == "application/pls+xml" ||
         IsHlsType(type);
}

// Types that are audio as such: no need to look for a playlist in them.
bool IsAudioType(const std::string& type) {
  return (type.rfind("audio/", 0) == 0 && !IsPlaylistType(type)) || type == "application/ogg";
}

}  // namespace

void AbortConnectingStreams() {
  std::lock_guard<std::mutex> lock(g_connectingMutex);
  ++g_abortGeneration;
  for (HttpDownload* d : g_connecting) d->Abort();
}

Handle StreamCreateURL(const std::string& url) {
  if (OutputRate() <= 0) return FailHandle(kErrInit);
  const uint64_t generation = g_abortGeneration.load();
  if (url.empty()) return FailHandle(kErrFileOpen);
  std::string current = url;
  for (int depth = 0; depth <= kMaxPlaylistDepth; ++depth) {
    HttpDownload::Options options;
    options.url = current;
    options.proxy = ParseProxyText(GetProxy());
    // A proxy whose port is out of range is not replaced by some other port.
    if (!options.proxy.portValid) return FailHandle(kErrIllParam);
    options.timeoutMs = GetConfig(Option::NetTimeout);
    auto download = std::make_unique<HttpDownload>(options);
    Connecting connecting(download.get());
    Watchdog watchdog(download.get(), options.timeoutMs * kOpenTimeouts);
    // The engine was stopped while this call was on its way: give up at once.
    if (g_abortGeneration.load() != generation) download->Abort();
    const int error = download->WaitForHeaders();
    if (g_abortGeneration.load() != generation) return FailHandle(kErrInit);
    if (watchdog.Fired()) return FailHandle(kErrTimeout);
    if (error != kOk) return FailHandle(error);
    const std::string type = download->ContentType();
    if (type == "text/html" || type == "application/xhtml+xml") return FailHandle(kErrFileForm);
    if (!IsAudioType(type) || IsHlsType(type)) {
      // An HLS playlist: FFmpeg's HLS demuxer plays the variant chosen here.
      const std::string head = download->Buffer().Peek(512);
      if (IsHlsType(type) || LooksLikePlaylist(head)) {
        const std::string body = download->Buffer().Peek(kMaxPlaylistBytes);
        if (IsHlsPlaylist(body)) {
          HlsSource::Settings settings;
          settings.url = ChooseHlsVariant(body, current, &settings.bandwidth);
          if (settings.url.empty()) return FailHandle(kErrFileForm);
          settings.proxy = options.proxy;
          settings.timeoutMs = options.timeoutMs;
          settings.headerLines = download->HeaderLines();
          HttpDownload* d = download.get();
          int openError = kOk;
          auto source = HlsSource::Open(
              settings,
              [&] { return d->Aborted() || watchdog.Fired() || g_abortGeneration.load() != generation; },
              &openError);
          connecting.Release();
          if (g_abortGeneration.load() != generation) return FailHandle(kErrInit);
          if (!source && watchdog.Fired()) return FailHandle(kErrTimeout);
          if (!source) return FailHandle(openError);
          return CreateSourceChannel(std::move(source), false);
        }
      }
    }
    if (!IsAudioType(type) && GetConfig(Option::NetPlaylist) == 1) {
      const std::string head = download->Buffer().Peek(512);
      if (IsPlaylistType(type) || LooksLikePlaylist(head)) {
        // A playlist served over the network leads only to network addresses: its
        // file:// entries name files of the server's machine, not of this one.
        const auto urls = ParsePlaylistUrls(download->Buffer().Peek(kMaxPlaylistBytes));
        const auto next = std::find_if(urls.begin(), urls.end(),
                                       [](const std::string& u) { return IsNetworkUrl(u); });
        if (next == urls.end()) return FailHandle(kErrFileForm);
        current = *next;
        continue;
      }
    }
    int openError = kOk;
    auto source = NetSource::Open(&download, &openError);
    // From here on, the channel's free or the engine's end stops the download.
    connecting.Release();
    if (g_abortGeneration.load() != generation) return FailHandle(kErrInit);
    if (!source && watchdog.Fired()) return FailHandle(kErrTimeout);
    if (!source) return FailHandle(openError);
    return CreateSourceChannel(std::move(source), false);
  }
  return FailHandle(kErrFileOpen);  // playlists pointing at playlists without end
}

}  // namespace zengine
