// The open station directory as a tuner: its API asked as its documentation asks of
// clients. The server list comes from a configurable base address ("json/servers"); one
// server is chosen at random and the next ones are tried when it fails; every request
// carries the program's own user agent. The whole station list is fetched in one gzip
// request, mapped (directorymapping.h) and written into the tuner folder as the four
// catalogue files, which the loader then reads like any tuner's; it is fetched again
// only when older than a day, or on demand. A failed fetch keeps the files already there.
//
// Beside the list: a play is reported to the directory ("json/url/<stationuuid>") and a
// station's favicon is downloaded when first shown, both on a worker thread of their own,
// so neither ever holds up playback or the interface.
//
// Threads: the object lives on the interface thread (Update runs there, driving its
// transfer in slices so windows repaint). The worker thread runs the reports and favicon
// downloads with its own HTTP client and posts their results back as signals.
#pragma once

#include <QDateTime>
#include <QObject>
#include <QString>
#include <QStringList>

#include <atomic>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

#include "catalogue/directorymapping.h"
#include "catalogue/httpclient.h"

struct TDirectoryUpdate {
  bool Ok = false;
  QString Error;    // French text of the failure (the last server's)
  QString Server;   // the server that answered
  int Stations = 0; // stations kept
  int Dropped = 0;  // entries left out (no address, duplicates, HLS, bad)
  int Hls = 0;
};

// The directory's base address of this run: the environment's ZOVALIS_DIRECTORY_SERVER
// when set (an installation's choice), else the setting `setting`.
QString DirectoryBaseAddress(const QString& setting);

class TStationDirectory : public QObject {
  Q_OBJECT
 public:
  // The directory's own round-robin name: its answer lists the servers of the moment.
  static constexpr const char* kDefaultBase = "https://all.api.radio-browser.info/";
  // Bounds on what a server may send: the list decoded (the real one is 30-40 MB), a
  // favicon, the small answers.
  static constexpr qint64 kMaxListBytes = 96ll << 20;
  static constexpr qint64 kMaxFaviconBytes = 256 << 10;
  static constexpr qint64 kMaxSmallBytes = 1 << 20;
  // The station list is fetched again once its copy is older than this.
  static constexpr qint64 kMaxAgeSeconds = 24 * 3600;
  // The files the directory keeps in its tuner folder beside the catalogue files.
  static constexpr const char* kFaviconIndex = "favicons.tsv";

  explicit TStationDirectory(QObject* parent = nullptr);
  ~TStationDirectory() override;

  // The base address, ending in "/" (added when missing). Empty: no directory is
  // configured and every request fails at once.
  void SetBase(const QString& base);
  const QString& Base() const { return base_; }
  void SetUserAgent(const QString& agent);
  const QString& UserAgent() const { return userAgent_; }
  // The proxy of the connection settings, read at each request.
  void SetProxySource(std::function<THttpProxy()> source) { proxySource_ = std::move(source); }
  // Where the list download shows its progress and lets the interface repaint.
  void SetProcessEvents(std::function<void()> hook) { http_.SetProcessEvents(std::move(hook)); }
  void SetProgress(THttpProgress progress) { http_.SetProgress(std::move(progress)); }
  // Time-outs of every request (connection, silence), in milliseconds.
  void SetTimeouts(int connectMs, int stallMs);
  // Chooses the first server among n (tests fix it); random by default.
  void SetFirstServerChooser(std::function<int(int n)> chooser) { chooseFirst_ = std::move(chooser); }

  // The servers named by the base address's list, as base addresses in the base's scheme
  // ("https://de1.api.example.org/"), in the list's order; the base address alone when
  // the list cannot be had. Runs on the calling thread with `http`.
  QStringList Servers(THttpClient& http, QString* error = nullptr) const;
  // The order in which `servers` are tried: a first one chosen at random, then the next
  // ones round the list.
  QStringList TryOrder(const QStringList& servers) const;

  // Whether the station list in `folder` must be fetched: it is missing, or older than a
  // day at `now` (a copy dated in the future counts as old).
  static bool Stale(const QString& folder, const QDateTime& now = QDateTime::currentDateTimeUtc());

  // Fetches the station list and replaces the catalogue files in `folder` (ending in "/"),
  // with the flags of its countries copied from `exeFolder` + "tuner/drapeaux/" and the
  // country names of `exeFolder` + "tuner/country.xml". Interface thread.
  TDirectoryUpdate Update(const QString& folder, const QString& exeFolder);

  // Writes a mapped station list into `folder` as the tuner's catalogue files (what Update
  // does once a server answered). Returns the error text, empty on success.
  static QString StoreMapping(TDirectoryMapping&& mapping, const QString& folder, const QString& exeFolder);
  // The French country names of the delivered catalogue, by lower-case country code.
  static QHash<QString, QString> CountryNames(const QString& exeFolder);

  // Reports a play of station `uuid` to the directory, in the background.
  void ReportPlay(const QString& uuid);
  // Downloads the favicon of station `uuid` into `folder` + "icones/" + uuid, in the
  // background, unless it is there already or failed earlier in this run. FaviconReady
  // follows when a picture was stored.
  void FetchFavicon(const QString& folder, const QString& uuid);
  // Waits until the worker has no job left (tests), at most `ms`.
  bool WaitIdle(int ms);

 Q_SIGNALS:
  void FaviconReady(const QString& uuid, const QString& path);
  void PlayReported(const QString& uuid, bool ok);

 private:
  using TJob = std::function<void(THttpClient& http)>;
  // What a request needs, copied when it is asked for (the worker reads only its copy).
  struct TRequestConfig {
    QString Base, Agent;
    THttpProxy Proxy;
    int ConnectMs = 0, StallMs = 0;
    bool Gzip = true;
    qint64 MaxBytes = 0;
    void Apply(THttpClient& http) const;
  };
  TRequestConfig Config(qint64 maxBytes) const;
  static QStringList ServersOf(THttpClient& http, const QString& base, QString* error = nullptr);
  static QStringList TryOrderWith(const QStringList& servers, const std::function<int(int)>& chooser);
  void Enqueue(TJob job);
  // Worker thread: runs the jobs in order until asked to stop.
  void WorkerLoop();
  // The favicon address of `uuid` in the folder's index; empty when it has none.
  static QString FaviconAddress(const QString& folder, const QString& uuid);

  QString base_;
  QString userAgent_;
  std::function<THttpProxy()> proxySource_;
  std::function<int(int)> chooseFirst_;
  // A server that does not take the connection soon is passed for the next one: the
  // fetch runs under the splash, and every server of the list may be tried.
  int connectTimeoutMs_ = 5000;
  int stallTimeoutMs_ = 15000;
  THttpClient http_;          // the list download, interface thread
  QString lastServer_;        // the server that last answered (interface thread)
  QStringList faviconsAsked_; // favicons asked for in this run (interface thread)

  std::mutex mutex_;
  std::condition_variable wake_;
  std::deque<TJob> jobs_;
  bool busy_ = false;
  std::atomic<bool> stop_{false};
  std::thread worker_;
};
