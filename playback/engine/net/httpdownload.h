// HttpDownload: one HTTP, HTTPS or ICY transfer run by libcurl on its own thread (the
// download thread), its body split by an IcyParser into a NetBuffer (audio) and
// metadata texts.
//
// Request: "Icy-MetaData: 1", a user agent, redirects followed (at most 5), old
// "ICY 200 OK" status lines accepted, certificates verified (CURL_CA_BUNDLE names
// another CA file, as for the curl tool), an optional HTTP proxy with basic
// authentication. Time-out: no byte for `timeoutMs` while the buffer had room (or
// no connection within it) ends the transfer with kErrTimeout.
//
// Threads: the constructor, WaitForHeaders and the getters run on any thread; the
// curl callbacks on the download thread. The destructor aborts and joins.
#pragma once

#include <curl/curl.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "playback/engine/net/icyparser.h"
#include "playback/engine/net/netbuffer.h"
#include "playback/engine/net/proxytext.h"

namespace zengine {

// Fill limit of a stream's buffer: about four seconds at `bitsPerSecond` (128 KB
// when unknown), so the buffering wait lasts seconds whatever the bit rate.
size_t BufferBytesFor(int64_t bitsPerSecond);

class HttpDownload {
 public:
  struct Options {
    std::string url;
    ProxySetting proxy;
    int timeoutMs = 5000;
  };
  explicit HttpDownload(Options options);
  ~HttpDownload();
  HttpDownload(const HttpDownload&) = delete;
  HttpDownload& operator=(const HttpDownload&) = delete;

  // Waits until the final response's body starts (kOk) or the transfer fails (its
  // engine error code). A body that is empty counts as a failure (kErrFileOpen).
  int WaitForHeaders();

  // After WaitForHeaders gave kOk:
  std::vector<std::string> HeaderLines() const;  // the final response's, status line first
  bool IsIcy() const;                            // status line "ICY ..."
  std::string ContentType() const;               // lower case, parameters dropped
  std::string Header(const std::string& name) const;  // value, "" when absent
  NetBuffer& Buffer() { return *buffer_; }
  const NetBuffer& Buffer() const { return *buffer_; }

  // Metadata texts: called on the download thread for each new text.
  void SetMetaHandler(std::function<void(const std::string&)> handler);
  std::string LastMeta() const;

  void Abort();  // any thread; the transfer ends soon after
  bool Aborted() const { return aborted_.load(); }

 private:
  void Run();  // download thread
  CURLcode Perform(CURL* curl);  // download thread
  static size_t OnHeader(char* data, size_t size, size_t count, void* self);
  static size_t OnBody(char* data, size_t size, size_t count, void* self);
  static int OnProgress(void* self, long long, long long, long long, long long);
  void OnMeta(const std::string& text);  // download thread
  void StartBody();                      // download thread: first body byte

  const Options options_;
  std::thread thread_;
  std::atomic<bool> aborted_{false};
  std::atomic<bool> stalled_{false};
  std::atomic<int64_t> lastDataMs_{0};
  std::unique_ptr<NetBuffer> buffer_;
  std::unique_ptr<IcyParser> parser_;  // download thread only
  CURLM* multi_ = nullptr;             // guarded by mutex_; woken by Abort

  mutable std::mutex mutex_;
  std::condition_variable changed_;
  bool bodyStarted_ = false;
  bool finished_ = false;
  int error_ = 0;
  std::vector<std::string> lines_;  // headers of the response being received
  std::vector<std::string> final_;  // headers of the response whose body plays
  std::string lastMeta_;
  std::function<void(const std::string&)> metaHandler_;
};

}  // namespace zengine
