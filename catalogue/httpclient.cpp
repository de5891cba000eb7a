#include "catalogue/httpclient.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <curl/curl.h>

#include <chrono>
#include <cstdio>
#include <mutex>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;

void GlobalInit() {
  static std::once_flag once;
  std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

// Activity seen by the callbacks of one transfer (all on the calling thread).
struct TTransfer {
  std::FILE* Out = nullptr;
  QByteArray* Buffer = nullptr;
  qint64 MaxBody = 0;  // 0: no limit
  qint64 Received = 0;
  Clock::time_point LastActivity = Clock::now();
  bool WriteFailed = false;
  bool TooLarge = false;
};

size_t WriteBody(char* data, size_t size, size_t count, void* user) {
  auto* t = static_cast<TTransfer*>(user);
  const size_t bytes = size * count;
  t->LastActivity = Clock::now();
  t->Received += qint64(bytes);
  if (t->MaxBody > 0 && t->Received > t->MaxBody) {
    t->TooLarge = true;
    return 0;  // makes curl fail the transfer
  }
  if (t->Buffer) {
    t->Buffer->append(data, qsizetype(bytes));
    return bytes;
  }
  if (!t->Out) return bytes;
  if (std::fwrite(data, 1, bytes, t->Out) != bytes) {
    t->WriteFailed = true;
    return 0;  // makes curl fail the transfer
  }
  return bytes;
}

size_t HeaderLine(char*, size_t size, size_t count, void* user) {
  static_cast<TTransfer*>(user)->LastActivity = Clock::now();
  return size * count;
}

}  // namespace

struct THttpClient::CurlHandles {
  CURL* Easy = nullptr;
  CURLM* Multi = nullptr;
  curl_slist* Headers = nullptr;
  ~CurlHandles() {
    if (Multi) curl_multi_cleanup(Multi);
    if (Easy) curl_easy_cleanup(Easy);
    curl_slist_free_all(Headers);
  }
};

THttpClient::THttpClient() : curl_(std::make_unique<CurlHandles>()) {
  GlobalInit();
  curl_->Easy = curl_easy_init();
  curl_->Multi = curl_multi_init();
  curl_->Headers = curl_slist_append(nullptr, "Accept: text/html, */*");
  // One easy handle for every request keeps the cookies (and connections) between them.
  curl_easy_setopt(curl_->Easy, CURLOPT_COOKIEFILE, "");
}

THttpClient::~THttpClient() = default;

THttpResult THttpClient::Perform(const QString& url, bool head, std::FILE* out, QByteArray* buffer) {
  THttpResult result;
  CURL* easy = curl_->Easy;
  if (!easy || !curl_->Multi) {
    result.Error = QStringLiteral("client HTTP indisponible");
    return result;
  }
  const QByteArray urlBytes = url.toUtf8();
  const QByteArray agent = userAgent_.toUtf8();
  TTransfer transfer;
  transfer.Out = out;
  transfer.Buffer = buffer;
  transfer.MaxBody = maxBodyBytes_;

  curl_easy_setopt(easy, CURLOPT_URL, urlBytes.constData());
  curl_easy_setopt(easy, CURLOPT_PROTOCOLS_STR, "http,https,file");
  // A server may redirect to another web address, never into the user's own files.
  curl_easy_setopt(easy, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(easy, CURLOPT_FOLLOWLOCATION, 1L);
  curl_easy_setopt(easy, CURLOPT_MAXREDIRS, 5L);
  curl_easy_setopt(easy, CURLOPT_USERAGENT, agent.constData());
  curl_easy_setopt(easy, CURLOPT_HTTPHEADER, curl_->Headers);
  curl_easy_setopt(easy, CURLOPT_FILETIME, 1L);
  curl_easy_setopt(easy, CURLOPT_CONNECTTIMEOUT_MS, long(connectTimeoutMs_));
  curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L);
  // The one handle serves every request: each sets its own encoding.
  curl_easy_setopt(easy, CURLOPT_ACCEPT_ENCODING, acceptGzip_ ? "gzip" : nullptr);
  if (head) {
    curl_easy_setopt(easy, CURLOPT_NOBODY, 1L);
  } else {
    curl_easy_setopt(easy, CURLOPT_HTTPGET, 1L);
  }
  curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, WriteBody);
  curl_easy_setopt(easy, CURLOPT_WRITEDATA, &transfer);
  curl_easy_setopt(easy, CURLOPT_HEADERFUNCTION, HeaderLine);
  curl_easy_setopt(easy, CURLOPT_HEADERDATA, &transfer);

  // An empty proxy text also keeps libcurl from taking one from the environment: the
  // connection settings alone decide.
  QByteArray proxy, user, password;
  if (!proxy_.Host.trimmed().isEmpty()) {
    proxy = QStringLiteral("http://%1:%2").arg(proxy_.Host.trimmed()).arg(proxy_.Port).toUtf8();
    user = proxy_.User.toUtf8();
    password = proxy_.Password.toUtf8();
  }
  curl_easy_setopt(easy, CURLOPT_PROXY, proxy.constData());
  if (!proxy.isEmpty() && !user.isEmpty()) {
    curl_easy_setopt(easy, CURLOPT_PROXYAUTH, long(CURLAUTH_BASIC));
    curl_easy_setopt(easy, CURLOPT_PROXYUSERNAME, user.constData());
    curl_easy_setopt(easy, CURLOPT_PROXYPASSWORD, password.constData());
  } else {
    curl_easy_setopt(easy, CURLOPT_PROXYUSERNAME, "");
    curl_easy_setopt(easy, CURLOPT_PROXYPASSWORD, "");
  }

  curl_multi_add_handle(curl_->Multi, easy);
  bool started = false;
  qint64 lastReported = -1;
  CURLcode code = CURLE_OK;
  bool stalled = false;
  bool aborted = false;
  for (;;) {
    int running = 0;
    curl_multi_perform(curl_->Multi, &running);
    if (!head && (out || buffer)) {
      curl_off_t now = 0;
      curl_easy_getinfo(easy, CURLINFO_SIZE_DOWNLOAD_T, &now);
      curl_off_t expected = -1;
      curl_easy_getinfo(easy, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &expected);
      if (!started && (now > 0 || expected >= 0)) {
        started = true;
        if (progress_.Start) progress_.Start(expected > 0 ? qint64(expected) : 0);
      }
      if (started && now != lastReported) {
        lastReported = now;
        if (progress_.Received) progress_.Received(qint64(now));
      }
    }
    if (running == 0) break;
    if (abort_ && abort_->load()) {
      aborted = true;
      break;
    }
    // A server silent for longer than the stall time-out (no header, no body byte) ends the
    // request; curl's own low-speed limit counts whole seconds only. The connect time-out
    // is shorter, so it still decides for servers that never accept.
    if (Clock::now() - transfer.LastActivity > std::chrono::milliseconds(stallTimeoutMs_)) {
      stalled = true;
      break;
    }
    curl_multi_poll(curl_->Multi, nullptr, 0, 50, nullptr);
    if (processEvents_) processEvents_();
  }
  int pending = 0;
  while (CURLMsg* msg = curl_multi_info_read(curl_->Multi, &pending)) {
    if (msg->msg == CURLMSG_DONE && msg->easy_handle == easy) code = msg->data.result;
  }
  curl_multi_remove_handle(curl_->Multi, easy);

  long status = 0;
  curl_easy_getinfo(easy, CURLINFO_RESPONSE_CODE, &status);
  curl_off_t filetime = -1;
  curl_easy_getinfo(easy, CURLINFO_FILETIME_T, &filetime);
  result.Status = int(status);
  result.FileTime = filetime > 0 ? qint64(filetime) : 0;
  if (aborted) {
    result.Error = QStringLiteral("requête abandonnée");
  } else if (transfer.TooLarge) {
    result.Error = QStringLiteral("réponse trop volumineuse (plus de %1 octets)").arg(maxBodyBytes_);
  } else if (stalled) {
    result.Error = QStringLiteral("le serveur ne répond plus (%1 ms sans données)").arg(stallTimeoutMs_);
  } else if (transfer.WriteFailed) {
    result.Error = QStringLiteral("écriture impossible du fichier reçu");
  } else if (code != CURLE_OK) {
    result.Error = QString::fromUtf8(curl_easy_strerror(code));
  } else if (status >= 400) {
    result.Error = QStringLiteral("HTTP %1").arg(status);
  } else {
    result.Ok = true;
  }
  return result;
}

THttpResult THttpClient::Head(const QString& url) {
  return Perform(url, true, nullptr);
}

THttpResult THttpClient::GetToFile(const QString& url, const QString& path) {
  std::FILE* out = std::fopen(QFile::encodeName(path).constData(), "wb");
  if (!out) {
    THttpResult r;
    r.Error = QStringLiteral("impossible de créer %1").arg(path);
    return r;
  }
  THttpResult r = Perform(url, false, out);
  if (std::fclose(out) != 0 && r.Ok) {
    r.Ok = false;
    r.Error = QStringLiteral("écriture impossible de %1").arg(path);
  }
  return r;
}

THttpResult THttpClient::Get(const QString& url, QByteArray& body) {
  body.clear();
  return Perform(url, false, nullptr, &body);
}

bool THttpClient::ServerReachable(const QString& url) {
  return Head(url).Ok;
}

bool THttpClient::DownloadIfNewer(const QString& url, const QString& target) {
  const THttpResult head = Head(url);
  if (!head.Ok) return false;
  const QFileInfo info(target);
  const qint64 fileTime = info.exists() ? info.lastModified().toSecsSinceEpoch() : 0;
  if (head.FileTime <= fileTime) return false;

  // A unique temporary name beside the target: two downloads never share it, and the
  // rename over the target stays on one file system.
  QByteArray templ = QFile::encodeName(info.absolutePath() + QStringLiteral("/.") + info.fileName() +
                                       QStringLiteral(".XXXXXX"));
  const int fd = mkstemp(templ.data());
  if (fd < 0) return false;
  fchmod(fd, 0644);
  std::FILE* out = fdopen(fd, "wb");
  if (!out) {
    ::close(fd);
    std::remove(templ.constData());
    return false;
  }
  THttpResult get = Perform(url, false, out);
  const bool flushed = std::fflush(out) == 0 && fsync(fileno(out)) == 0;
  std::fclose(out);
  // A body shorter than the length the server announced is an interrupted download.
  if (get.Ok && flushed) {
    curl_off_t expected = -1, received = 0;
    curl_easy_getinfo(curl_->Easy, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &expected);
    curl_easy_getinfo(curl_->Easy, CURLINFO_SIZE_DOWNLOAD_T, &received);
    if (expected >= 0 && received != expected) get.Ok = false;
  }
  if (!get.Ok || !flushed || std::rename(templ.constData(), QFile::encodeName(target).constData()) != 0) {
    std::remove(templ.constData());
    return false;
  }
  return true;
}
