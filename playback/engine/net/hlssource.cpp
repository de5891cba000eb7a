#include "playback/engine/net/hlssource.h"

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <condition_variable>
#include <thread>

extern "C" {
#include <libavformat/avformat.h>
#include <libavformat/avio.h>
#include <libavutil/dict.h>
#include <libavutil/mem.h>
}

#include "playback/engine/decode/id3frames.h"
#include "playback/engine/lasterror.h"
#include "playback/engine/textutil.h"

namespace zengine {

namespace {
constexpr int kPieceBufferSize = 32 * 1024;
// An ID3 tag in front of a segment larger than this is passed on unread.
constexpr size_t kMaxSegmentTag = 256 * 1024;
constexpr auto kRetryWait = std::chrono::milliseconds(500);
constexpr char kUserAgent[] = "Zovalis/2.1";
// Reloads of a live playlist that bring no new segment before the stream counts as
// stopped: the demuxer reloads every half target duration, so about three target
// durations.
constexpr int kHoldReloads = 6;

// Segments that sources of a playlist had heard (or found missing for good) when they
// ended, for the next source of the same playlist: a reconnection goes on after them
// instead of playing them again, so a playlist that stopped moving gives no sound at
// all and its reconnection fails, as it does for an Icecast mount that is gone.
struct Heard {
  std::string playlist;
  std::vector<std::string> segments;
  std::chrono::steady_clock::time_point when;
};
constexpr size_t kHeardPlaylists = 8;
constexpr size_t kHeardSegments = 64;
constexpr auto kHeardFor = std::chrono::minutes(2);
std::mutex g_heardMutex;
std::vector<Heard> g_heard;

std::vector<std::string> HeardSegments(const std::string& playlist) {
  std::lock_guard<std::mutex> lock(g_heardMutex);
  for (const Heard& h : g_heard)
    if (h.playlist == playlist && std::chrono::steady_clock::now() - h.when < kHeardFor) return h.segments;
  return {};
}

void RememberHeard(const std::string& playlist, std::vector<std::string> segments) {
  std::lock_guard<std::mutex> lock(g_heardMutex);
  g_heard.erase(std::remove_if(g_heard.begin(), g_heard.end(),
                               [&](const Heard& h) {
                                 return h.playlist == playlist ||
                                        std::chrono::steady_clock::now() - h.when >= kHeardFor;
                               }),
                g_heard.end());
  if (g_heard.size() >= kHeardPlaylists) g_heard.erase(g_heard.begin());
  g_heard.push_back({playlist, std::move(segments), std::chrono::steady_clock::now()});
}

std::string ProxyUrl(const ProxySetting& p) {
  if (p.host.empty()) return {};
  std::string url = "http://";
  if (!p.user.empty() || !p.password.empty()) url += p.user + ":" + p.password + "@";
  url += p.host;
  if (p.port > 0) url += ":" + std::to_string(p.port);
  return url;
}
}  // namespace

// One address the demuxer opened: FFmpeg's own connection, read through this source.
struct HlsSource::Piece {
  HlsSource* owner = nullptr;
  AVIOContext* inner = nullptr;
  std::string head;  // bytes read ahead (the ID3 tag at the start), handed out first
  size_t headPos = 0;
  bool started = false;
};

bool HlsSource::Aborted() const { return abort_.load(); }

bool HlsSource::WaitBeforeRetry() {
  const auto until = std::chrono::steady_clock::now() + kRetryWait;
  while (std::chrono::steady_clock::now() < until) {
    if (Aborted()) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return !Aborted();
}

// Inside the demuxer (opening or decoding thread).
int HlsSource::IoOpen(AVFormatContext* s, AVIOContext** pb, const char* url, int flags,
                      AVDictionary** options) {
  auto* self = static_cast<HlsSource*>(s->opaque);
  const bool segment = url && self->settings_.url != url;
  if (segment) {
    const std::string u(url);
    // Heard by the source this one replaces: the demuxer goes on to the next segment.
    if (std::find(self->skip_.begin(), self->skip_.end(), u) != self->skip_.end()) return AVERROR(ENOENT);
    if (self->segments_.size() >= kHeardSegments) self->segments_.erase(self->segments_.begin());
    self->segments_.push_back(u);
  }
  AVIOContext* inner = nullptr;
  int rc = AVERROR(EIO);
  for (int attempt = 0; attempt < kHlsOpenTries; ++attempt) {
    if (attempt > 0 && !self->WaitBeforeRetry()) return AVERROR_EXIT;
    AVDictionary* opts = nullptr;
    if (options && *options) av_dict_copy(&opts, *options, 0);
    av_dict_set(&opts, "user_agent", kUserAgent, 0);
    if (!self->proxyUrl_.empty()) av_dict_set(&opts, "http_proxy", self->proxyUrl_.c_str(), 0);
    av_dict_set_int(&opts, "rw_timeout", static_cast<int64_t>(self->settings_.timeoutMs) * 1000, 0);
    // A new connection for every address: the wrapped connections cannot be reused.
    av_dict_set(&opts, "multiple_requests", "0", 0);
    // HTTPS as the engine's own downloads do it: certificates verified, against
    // CURL_CA_BUNDLE when it names the authorities to trust.
    av_dict_set(&opts, "tls_verify", "1", 0);
    if (const char* ca = std::getenv("CURL_CA_BUNDLE"); ca && *ca) av_dict_set(&opts, "ca_file", ca, 0);
    rc = self->defaultOpen_(s, &inner, url, flags, &opts);
    av_dict_free(&opts);
    if (rc >= 0) break;
    inner = nullptr;
    if (self->Aborted() || rc == AVERROR_EXIT) return AVERROR_EXIT;
  }
  if (rc < 0) {
    // Lost for good: the sound ends here rather than skip what is missing.
    self->ended_ = true;
    self->abort_ = true;
    return rc;
  }
  // The playlist the demuxer starts from is closed by FFmpeg itself (avio_close), not
  // through IoClose: it stays FFmpeg's own connection.
  if (pb == &s->pb) {
    *pb = inner;
    return 0;
  }
  auto* piece = new Piece();
  piece->owner = self;
  piece->inner = inner;
  auto* buffer = static_cast<unsigned char*>(av_malloc(kPieceBufferSize));
  AVIOContext* wrapped = buffer ? avio_alloc_context(buffer, kPieceBufferSize, 0, piece, &HlsSource::PieceRead,
                                                     nullptr, &HlsSource::PieceSeek)
                                : nullptr;
  if (!wrapped) {
    av_free(buffer);
    self->defaultClose_(s, inner);
    delete piece;
    return AVERROR(ENOMEM);
  }
  wrapped->seekable = inner->seekable;
  *pb = wrapped;
  return 0;
}

int HlsSource::IoClose(AVFormatContext* s, AVIOContext* pb) {
  auto* self = static_cast<HlsSource*>(s->opaque);
  if (!pb) return 0;
  auto* piece = static_cast<Piece*>(pb->opaque);
  int rc = 0;
  if (piece) {
    if (piece->inner) rc = self->defaultClose_(s, piece->inner);
    delete piece;
  }
  av_freep(&pb->buffer);
  avio_context_free(&pb);
  return rc;
}

// Inside the demuxer.
int HlsSource::PieceRead(void* opaque, uint8_t* buf, int size) {
  auto* piece = static_cast<Piece*>(opaque);
  HlsSource* self = piece->owner;
  if (self->Aborted()) return AVERROR_EXIT;
  if (!piece->started) {
    piece->started = true;
    // A packed-audio segment starts with an ID3 tag: read it whole, then hand it on.
    char head[10];
    const int n = avio_read(piece->inner, reinterpret_cast<unsigned char*>(head), sizeof head);
    if (n > 0) piece->head.assign(head, static_cast<size_t>(n));
    const size_t tag = Id3TagSize(piece->head);
    if (tag > piece->head.size() && tag <= kMaxSegmentTag) {
      std::string rest(tag - piece->head.size(), '\0');
      const int m = avio_read(piece->inner, reinterpret_cast<unsigned char*>(rest.data()),
                              static_cast<int>(rest.size()));
      if (m > 0) piece->head.append(rest.data(), static_cast<size_t>(m));
      if (piece->head.size() == tag) self->OnSegmentId3(piece->head);
    }
    self->downloaded_ += static_cast<int64_t>(piece->head.size());
  }
  if (piece->headPos < piece->head.size()) {
    const size_t n = std::min(piece->head.size() - piece->headPos, static_cast<size_t>(size));
    std::copy_n(piece->head.data() + piece->headPos, n, buf);
    piece->headPos += n;
    return static_cast<int>(n);
  }
  const int n = avio_read_partial(piece->inner, buf, size);
  if (n > 0) self->downloaded_ += n;
  if (n == 0) return AVERROR_EOF;
  return n;
}

int64_t HlsSource::PieceSeek(void* opaque, int64_t offset, int whence) {
  auto* piece = static_cast<Piece*>(opaque);
  if (whence & AVSEEK_SIZE) return avio_size(piece->inner);
  // What was read ahead is dropped: the position is the connection's own again.
  piece->started = true;
  piece->head.clear();
  piece->headPos = 0;
  return avio_seek(piece->inner, offset, whence & ~AVSEEK_FORCE);
}

// Inside the demuxer: the tag in front of a packed-audio segment; its title lies where
// the segment's sound begins (its timestamp), or before the next sound without one.
void HlsSource::OnSegmentId3(const std::string& tag) {
  Id3Info info;
  if (!ParseId3(tag, &info)) return;
  const std::string text = Id3StreamTitle(info);
  if (text.empty()) return;
  const double seconds = info.timestamp >= 0 ? static_cast<double>(info.timestamp) / 90000.0 : -1.0;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!reading_ && meta_.empty()) {
      meta_ = text;  // still connecting: the connection's title
      lastTitle_ = text;
      return;
    }
  }
  if (decoder_)
    decoder_->AddTimeMark(seconds, text);
  else
    segmentTitles_.push_back({seconds, text});
}

std::unique_ptr<HlsSource> HlsSource::Open(const Settings& settings,
                                           const std::function<bool()>& cancelled, int* error) {
  std::unique_ptr<HlsSource> s(new HlsSource());
  s->settings_ = settings;
  s->skip_ = HeardSegments(settings.url);
  s->proxyUrl_ = ProxyUrl(settings.proxy);
  HlsSource* raw = s.get();
  // The caller's cancel, watched while the demuxer blocks in its connections.
  std::mutex doneMutex;
  std::condition_variable doneCv;
  bool done = false;
  std::thread watcher([&] {
    std::unique_lock<std::mutex> lock(doneMutex);
    while (!done) {
      if (cancelled && cancelled()) raw->abort_ = true;
      doneCv.wait_for(lock, std::chrono::milliseconds(50));
    }
  });
  AVDictionary* options = nullptr;
  av_dict_set(&options, "http_persistent", "0", 0);
  av_dict_set(&options, "http_multiple", "0", 0);
  av_dict_set_int(&options, "m3u8_hold_counters", kHoldReloads, 0);
  av_dict_set(&options, "max_reload", "3", 0);
  s->decoder_ = FfDecoder::OpenUrl(
      settings.url, "hls", &options,
      [raw](AVFormatContext* fmt) {
        fmt->opaque = raw;
        raw->defaultOpen_ = fmt->io_open;
        raw->defaultClose_ = fmt->io_close2;
        fmt->io_open = &HlsSource::IoOpen;
        fmt->io_close2 = &HlsSource::IoClose;
        fmt->probesize = 64 * 1024;
      },
      &s->abort_, error);
  {
    std::lock_guard<std::mutex> lock(doneMutex);
    done = true;
  }
  doneCv.notify_all();
  watcher.join();
  if (!s->decoder_) {
    if (s->abort_ && !s->ended_) *error = kErrTimeout;
    else if (*error == kOk) *error = kErrFileOpen;
    return nullptr;
  }
  for (SegmentTitle& t : s->segmentTitles_) s->decoder_->AddTimeMark(t.seconds, std::move(t.text));
  s->segmentTitles_.clear();
  // The title the first second of sound carries is the connection's title, as for ICY
  // (known before the channel plays); the same title placed at its time is then no
  // change.
  if (s->meta_.empty()) {
    s->meta_ = s->decoder_->FirstTimeMark();
    s->lastTitle_ = s->meta_;
  }
  *error = kOk;
  return s;
}

HlsSource::~HlsSource() {
  Abort();
  decoder_.reset();  // closes every connection through IoClose while this still lives
  // A stream that dropped: its successor starts after what was heard. What this source
  // skipped stays skipped: it was heard before.
  if (ended_ && !segments_.empty()) {
    std::vector<std::string> heard = skip_;
    heard.insert(heard.end(), segments_.begin(), segments_.end());
    if (heard.size() > kHeardSegments) heard.erase(heard.begin(), heard.end() - kHeardSegments);
    RememberHeard(settings_.url, std::move(heard));
  }
}

// Decoding thread.
long HlsSource::Read(float* dst, size_t frames) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    reading_ = true;
  }
  const long n = decoder_->Read(dst, frames);
  if (n <= 0) ended_ = true;
  return n;
}

// Decoding thread.
bool HlsSource::TakeTitleMark(TitleMark* mark) {
  while (decoder_->TakeTitleMark(mark)) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (mark->text == lastTitle_) continue;  // the same title again, segment after segment
    lastTitle_ = mark->text;
    meta_ = mark->text;
    return true;
  }
  return false;
}

bool HlsSource::SeekFrame(int64_t) { return Fail(kErrNotFile); }

void HlsSource::Abort() {
  abort_ = true;
  if (decoder_) decoder_->Abort();
}

std::string HlsSource::Tags(TagType type) const {
  switch (type) {
    case kTagHttp: {
      std::vector<std::string> lines = settings_.headerLines;
      // What the sound measured, else what the master playlist announced.
      const int64_t bps = decoder_->BitRate() > 0 ? decoder_->BitRate() : settings_.bandwidth;
      if (bps > 0) lines.push_back("icy-br:" + std::to_string((bps + 500) / 1000));
      return MakeTagBlock(lines);
    }
    case kTagMeta: {
      std::lock_guard<std::mutex> lock(mutex_);
      return MakeTagBlock(meta_.empty() ? std::vector<std::string>{} : std::vector<std::string>{meta_});
    }
    default: return decoder_->Tags(type);
  }
}

// The demuxer reads the live window as it needs it: there is no buffer of bytes to
// measure, so a stream that flows is reported full; 2 answers -1 once it has ended.
int64_t HlsSource::FilePosition(int mode) const {
  constexpr int64_t kWindow = 64 * 1024;
  const int64_t got = downloaded_.load();
  switch (mode) {
    case 0: return got;
    case 1: return got + kWindow;
    case 2: return ended_.load() ? -1 : kWindow;
    default: return -1;
  }
}

}  // namespace zengine
