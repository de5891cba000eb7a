// The program's one HTTP client: HEAD and GET for http://, https:// and file:// addresses
// through libcurl, with the proxy of the connection settings, cookies kept between
// requests, and receive progress. Core code: no widgets.
//
// Requests run on the calling thread (the interface thread) but never freeze it: the
// transfer is driven in slices of at most 50 ms and the ProcessEvents hook runs between
// slices, so windows repaint while a server is slow. Time-outs bound every request: a
// server that does not accept the connection within ConnectTimeoutMs, or that sends no
// byte for StallTimeoutMs, fails the request.
#pragma once

#include <QDateTime>
#include <QString>

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>

struct THttpProxy {
  QString Host;  // empty: direct connection
  int Port = 0;
  QString User;  // basic authentication toward the proxy when not empty
  QString Password;
};

// Receive progress of a response body: Start once with the expected length in bytes (0 when
// unknown), then Received after each block with the bytes received so far.
struct THttpProgress {
  std::function<void(qint64 expected)> Start;
  std::function<void(qint64 received)> Received;
};

struct THttpResult {
  bool Ok = false;
  int Status = 0;        // HTTP status; 0 for file:// and for failures before a response
  QString Error;         // technical text of a failure, for error messages and tests
  qint64 FileTime = 0;   // last-modification date, seconds since the epoch; 0 when absent
};

class THttpClient {
 public:
  THttpClient();
  ~THttpClient();
  THttpClient(const THttpClient&) = delete;
  THttpClient& operator=(const THttpClient&) = delete;

  static constexpr const char* kDefaultUserAgent = "Mozilla/3.0 (compatible; Indy Library)";
  // The agent of playlist fetches; once set it stays for later requests.
  static constexpr const char* kPlaylistUserAgent = "Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.1)";

  void SetUserAgent(const QString& agent) { userAgent_ = agent; }
  const QString& UserAgent() const { return userAgent_; }
  void SetProxy(const THttpProxy& proxy) { proxy_ = proxy; }
  const THttpProxy& Proxy() const { return proxy_; }
  void SetTimeouts(int connectMs, int stallMs) {
    connectTimeoutMs_ = connectMs;
    stallTimeoutMs_ = stallMs;
  }
  // Runs between slices of every transfer (the interface processes its pending events).
  void SetProcessEvents(std::function<void()> hook) { processEvents_ = std::move(hook); }
  void SetProgress(THttpProgress progress) { progress_ = std::move(progress); }
  // Asks for a gzip-compressed body (decoded here, so callers and limits see the decoded
  // bytes). Off by default: catalogue files are compared by their stored length.
  void SetAcceptGzip(bool on) { acceptGzip_ = on; }
  // A body (decoded) longer than this fails the request as too large; 0: no limit.
  void SetMaxBodyBytes(qint64 bytes) { maxBodyBytes_ = bytes; }
  // A flag another thread may set to end the running request at once (it fails).
  void SetAbortFlag(const std::atomic<bool>* flag) { abort_ = flag; }

  // HEAD request. Fails on any transport error and on an error status (>= 400).
  THttpResult Head(const QString& url);
  // GET into `path`, written directly (the caller decides about temporary names). Fails on
  // transport errors and error statuses; what was received stays in the file.
  THttpResult GetToFile(const QString& url, const QString& path);
  // GET into memory (small answers: server lists; bound them with SetMaxBodyBytes).
  THttpResult Get(const QString& url, QByteArray& body);

  // True when a HEAD of the address succeeds.
  bool ServerReachable(const QString& url);

  // Stores the resource at `url` as `target` when the server's last-modification date is
  // later than the target's last write (a missing date or a missing file counts as zero, so
  // a server without dates never replaces anything). The body goes to a temporary file in
  // the target's folder, renamed over the target only once whole: an interrupted download
  // leaves the old target untouched. True when a new file was stored.
  bool DownloadIfNewer(const QString& url, const QString& target);

 private:
  THttpResult Perform(const QString& url, bool head, std::FILE* out, QByteArray* buffer = nullptr);

  struct CurlHandles;
  std::unique_ptr<CurlHandles> curl_;
  QString userAgent_ = QString::fromLatin1(kDefaultUserAgent);
  THttpProxy proxy_;
  int connectTimeoutMs_ = 10000;
  int stallTimeoutMs_ = 15000;
  std::function<void()> processEvents_;
  THttpProgress progress_;
  bool acceptGzip_ = false;
  qint64 maxBodyBytes_ = 0;
  const std::atomic<bool>* abort_ = nullptr;
};
