#include "playback/engine/net/httpdownload.h"

#include <curl/curl.h>

#include <algorithm>

#include "playback/engine/engine.h"
#include "playback/engine/net/httpheaders.h"

namespace zengine {

namespace {

int64_t NowMs() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

int MapCurlError(CURLcode code) {
  switch (code) {
    case CURLE_OK: return kOk;
    case CURLE_OPERATION_TIMEDOUT: return kErrTimeout;
    case CURLE_COULDNT_RESOLVE_HOST:
    case CURLE_COULDNT_RESOLVE_PROXY: return kErrNoNet;
    case CURLE_OUT_OF_MEMORY: return kErrMem;
    default: return kErrFileOpen;  // refused, HTTP error, TLS failure, redirect loop...
  }
}

void GlobalInit() {
  static std::once_flag once;
  std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

// Room allocated for any stream; the fill limit is set lower from the bit rate.
constexpr size_t kBufferBytes = 512 * 1024;

}  // namespace

size_t BufferBytesFor(int64_t bitsPerSecond) {
  if (bitsPerSecond <= 0 || bitsPerSecond > 2000000) return 128 * 1024;
  constexpr int64_t kSeconds = 4;
  return std::clamp<size_t>(static_cast<size_t>(bitsPerSecond / 8 * kSeconds), 16 * 1024,
                            kBufferBytes);
}

HttpDownload::HttpDownload(Options options) : options_(std::move(options)) {
  GlobalInit();
  lastDataMs_ = NowMs();
  thread_ = std::thread(&HttpDownload::Run, this);
}

HttpDownload::~HttpDownload() {
  Abort();
  if (thread_.joinable()) thread_.join();
}

void HttpDownload::Abort() {
  aborted_ = true;
  std::lock_guard<std::mutex> lock(mutex_);
  if (buffer_) buffer_->Abort();
  if (multi_) curl_multi_wakeup(multi_);
  changed_.notify_all();
}

int HttpDownload::WaitForHeaders() {
  std::unique_lock<std::mutex> lock(mutex_);
  changed_.wait(lock, [this] { return bodyStarted_ || finished_ || aborted_; });
  if (bodyStarted_) return kOk;
  if (aborted_) return kErrTimeout;
  return error_ != kOk ? error_ : kErrFileOpen;
}

std::vector<std::string> HttpDownload::HeaderLines() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return final_;
}

bool HttpDownload::IsIcy() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return !final_.empty() && final_[0].rfind("ICY", 0) == 0;
}

std::string HttpDownload::Header(const std::string& name) const {
  std::lock_guard<std::mutex> lock(mutex_);
  return HeaderValue(final_, name);
}

std::string HttpDownload::ContentType() const { return ContentTypeOf(Header("content-type")); }

void HttpDownload::SetMetaHandler(std::function<void(const std::string&)> handler) {
  std::lock_guard<std::mutex> lock(mutex_);
  metaHandler_ = std::move(handler);
}

std::string HttpDownload::LastMeta() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return lastMeta_;
}

// Download thread.
void HttpDownload::OnMeta(const std::string& text) {
  std::function<void(const std::string&)> handler;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    lastMeta_ = text;
    handler = metaHandler_;
  }
  if (handler) handler(text);
}

// Download thread.
size_t HttpDownload::OnHeader(char* data, size_t size, size_t count, void* self) {
  auto* d = static_cast<HttpDownload*>(self);
  std::lock_guard<std::mutex> lock(d->mutex_);
  AddHeaderLine(d->lines_, std::string_view(data, size * count));
  return size * count;
}

// Download thread.
void HttpDownload::StartBody() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    final_ = lines_;
  }
  auto buffer = std::make_unique<NetBuffer>(kBufferBytes);
  buffer->SetLimit(BufferBytesFor(IcyBitRateOf(Header("icy-br"))));
  NetBuffer* raw = buffer.get();
  parser_ = std::make_unique<IcyParser>(
      MetaIntervalOf(Header("icy-metaint")),
      [raw](const char* p, size_t n) { return raw->Write(p, n); },
      [this](const std::string& text) { OnMeta(text); });
  std::lock_guard<std::mutex> lock(mutex_);
  buffer_ = std::move(buffer);
  if (aborted_) buffer_->Abort();
  bodyStarted_ = true;
  changed_.notify_all();
}

// Download thread.
size_t HttpDownload::OnBody(char* data, size_t size, size_t count, void* self) {
  auto* d = static_cast<HttpDownload*>(self);
  if (d->aborted_) return 0;
  if (!d->parser_) d->StartBody();
  d->lastDataMs_ = NowMs();
  if (!d->parser_->Feed(data, size * count)) return 0;
  // Time spent waiting for room in the buffer is not a stall of the server.
  d->lastDataMs_ = NowMs();
  return size * count;
}

// Download thread: libcurl calls it often, also while no data flows.
int HttpDownload::OnProgress(void* self, long long, long long, long long, long long) {
  auto* d = static_cast<HttpDownload*>(self);
  if (d->aborted_) return 1;
  if (NowMs() - d->lastDataMs_.load() > d->options_.timeoutMs) {
    d->stalled_ = true;
    return 1;
  }
  return 0;
}

// Download thread: runs the transfer through a multi handle, whose wait Abort can
// cut short (curl_multi_wakeup), so a free never waits for a silent server.
CURLcode HttpDownload::Perform(CURL* curl) {
  CURLM* multi = curl_multi_init();
  if (!multi) return CURLE_OUT_OF_MEMORY;
  curl_multi_add_handle(multi, curl);
  {
    std::lock_guard<std::mutex> lock(mutex_);
    multi_ = multi;
  }
  CURLcode rc = CURLE_OK;
  int running = 1;
  while (running) {
    if (aborted_) {
      rc = CURLE_ABORTED_BY_CALLBACK;
      break;
    }
    if (curl_multi_perform(multi, &running) != CURLM_OK) {
      rc = CURLE_RECV_ERROR;
      break;
    }
    if (!running) break;
    if (NowMs() - lastDataMs_.load() > options_.timeoutMs) {
      stalled_ = true;
      rc = CURLE_ABORTED_BY_CALLBACK;
      break;
    }
    curl_multi_poll(multi, nullptr, 0, 250, nullptr);
  }
  if (!running) {
    int left = 0;
    while (CURLMsg* msg = curl_multi_info_read(multi, &left))
      if (msg->msg == CURLMSG_DONE) rc = msg->data.result;
  }
  {
    std::lock_guard<std::mutex> lock(mutex_);
    multi_ = nullptr;
  }
  curl_multi_remove_handle(multi, curl);
  curl_multi_cleanup(multi);
  return rc;
}

// Download thread.
void HttpDownload::Run() {
  CURL* curl = curl_easy_init();
  CURLcode rc = CURLE_OUT_OF_MEMORY;
  curl_slist* aliases = curl_slist_append(nullptr, "ICY 200 OK");
  curl_slist* headers = curl_slist_append(nullptr, "Icy-MetaData: 1");
  if (curl && aliases && headers) {
    curl_easy_setopt(curl, CURLOPT_URL, options_.url.c_str());
    curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(curl, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(curl, CURLOPT_HTTP200ALIASES, aliases);
    curl_easy_setopt(curl, CURLOPT_HTTPHEADER, headers);
    curl_easy_setopt(curl, CURLOPT_USERAGENT, "Zovalis/2.1");
    curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(curl, CURLOPT_MAXREDIRS, 5L);
    curl_easy_setopt(curl, CURLOPT_FAILONERROR, 1L);
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(options_.timeoutMs));
    curl_easy_setopt(curl, CURLOPT_HEADERFUNCTION, &HttpDownload::OnHeader);
    curl_easy_setopt(curl, CURLOPT_HEADERDATA, this);
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, &HttpDownload::OnBody);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, this);
    curl_easy_setopt(curl, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(curl, CURLOPT_XFERINFOFUNCTION, &HttpDownload::OnProgress);
    curl_easy_setopt(curl, CURLOPT_XFERINFODATA, this);
    if (const char* ca = std::getenv("CURL_CA_BUNDLE"); ca && *ca)
      curl_easy_setopt(curl, CURLOPT_CAINFO, ca);
    const ProxySetting& p = options_.proxy;
    if (!p.host.empty()) {
      curl_easy_setopt(curl, CURLOPT_PROXY, p.host.c_str());
      if (p.port > 0) curl_easy_setopt(curl, CURLOPT_PROXYPORT, static_cast<long>(p.port));
      curl_easy_setopt(curl, CURLOPT_PROXYTYPE, static_cast<long>(CURLPROXY_HTTP));
      if (!p.user.empty()) {
        curl_easy_setopt(curl, CURLOPT_PROXYUSERNAME, p.user.c_str());
        curl_easy_setopt(curl, CURLOPT_PROXYPASSWORD, p.password.c_str());
        curl_easy_setopt(curl, CURLOPT_PROXYAUTH, static_cast<long>(CURLAUTH_BASIC));
      }
    } else {
      curl_easy_setopt(curl, CURLOPT_PROXY, "");  // no proxy from the environment either
    }
    rc = Perform(curl);
  }
  int error = MapCurlError(rc);
  if (rc == CURLE_ABORTED_BY_CALLBACK && stalled_) error = kErrTimeout;
  curl_slist_free_all(aliases);
  curl_slist_free_all(headers);
  if (curl) curl_easy_cleanup(curl);
  std::lock_guard<std::mutex> lock(mutex_);
  finished_ = true;
  error_ = error;
  if (buffer_) buffer_->Finish(error);
  changed_.notify_all();
}

}  // namespace zengine
