// Station playback: the now-playing station, its display, the connection worker that
// tries its stream addresses, the buffer and time display once a second, the stream's
// tags and titles, the storing of measured stream information in a local catalogue, and
// reconnection when a playing stream drops. Core code: no widgets. Every display change
// is a signal emitted on the interface thread, in the order the user must see them; the
// main window only shows them.
//
// Threads: the object lives on the interface thread. The connection worker (one
// std::thread per attempt) and the engine's metadata callback post their results to it
// with the serial of the connection they belong to; results of a connection that was
// abandoned (the user stopped or chose another station) are dropped.
#pragma once

#include <QObject>
#include <QString>
#include <QStringList>
#include <QTimer>

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

#include "catalogue/stationrecord.h"
#include "playback/engine/engine.h"

class TCatalogueTable;
class THttpClient;

// The now-playing station: the eleven catalogue fields and the title.
struct TCurrentRadio {
  QString Radio, Url, Genre, Country, Network, Web, Icon, Title, StreamType, BitRate, SampleRate, Channels;
};

// The connection settings as the configuration window holds them.
struct TProxyFields {
  bool Checked = false;
  QString Server, Port, User, Password;
};

// The main window's shared Play and Stop faces.
enum class TPlayFace { Ready, Busy };
enum class TStopFace { Inactive, Active };

class TStationPlayer : public QObject {
  Q_OBJECT
 public:
  struct TContext {
    TCatalogueTable* Stations = nullptr;
    TCatalogueTable* Countries = nullptr;
    THttpClient* Http = nullptr;
    std::function<QString()> TunerFolder;  // ends in "/"
    std::function<QString()> DataFolder;   // ends in "/"
    std::function<QString()> RemoteBase;   // the remote tuner's base address
    std::function<bool()> Remote;          // the remote tuner is active
    // The open station directory is the active tuner: its station pictures are fetched in
    // the background (FetchPicture, then PictureArrived) and its table is not written.
    std::function<bool()> Directory;
    std::function<void(const QString& icon)> FetchPicture;
    // A station has started playing (not a reconnection), on the interface thread.
    std::function<void(const TCurrentRadio& station)> Played;
    std::function<TProxyFields()> Proxy;
    std::function<bool()> Recording;       // a recording is running (the recorder's state)
  };

  explicit TStationPlayer(TContext context, QObject* parent = nullptr);
  ~TStationPlayer() override;
  // The catalogue and settings it reads, once the station browser exists.
  void SetContext(TContext context) { ctx_ = std::move(context); }

  TCurrentRadio CurrentRadio;
  QString PlayMode = QStringLiteral("Radio");
  zengine::Handle CurrentChannel = 0;
  QStringList UrlListBox;
  QString LastRadio;

  // The information window's lists, filled by the tags and titles, emptied by StopAll.
  QStringList Informations, Meta, PlayListBox;
  QString MetaTimeStamp, MetaDateStamp;

  bool Connecting() const { return connecting_; }
  bool RadioTimerActive() const { return radioTimer_.isActive(); }
  TPlayFace PlayFace() const { return playFace_; }
  TStopFace StopFace() const { return stopFace_; }

  // Copies a chosen station's record into CurrentRadio (the title is kept).
  void LoadCurrentStation(const TStationRecord& station);
  // Opens a station that is in no tuner: an address the user gave (typed, dropped, on the
  // command line), `station` holding it as both name and address. Once it connects, the
  // name, genre and web page the stream announces (icy-name, icy-genre, icy-url) become
  // CurrentRadio's; nothing is stored in a catalogue and the last station kept for the
  // next start stays the last catalogue station.
  void OpenAddress(const TStationRecord& station);
  // Whether the now-playing station came from an address rather than a tuner.
  bool AddressStation() const { return addressStation_; }
  // The now-playing station as a catalogue record: its address and what the stream
  // announced once connected (name, genre, web page, type, bit rate, sample rate,
  // channels); country, network and picture are left empty.
  TStationRecord AnnouncedStation() const;
  // Shows CurrentRadio, resolves its address and starts the connection. A connection
  // still running is abandoned first.
  void OpenStation();
  // Stops playback, recording, the timers and any connection, and resets the display.
  void StopAll();
  // The idle display.
  void InitRadioButton();
  // A picture fetched in the background for station icon `icon` is at `path`: shown when
  // that station is still the one shown.
  void PictureArrived(const QString& icon, const QString& path);
  // The station timer's tick (also run by tests).
  void RadioTimerTimer();
  // The metadata entry: a metadata text, or nothing (nullopt) when the stream sent none.
  void HandleMetadata(const std::optional<QString>& text);

  // Below this buffer level (percent) the status line says the stream is buffering.
  static constexpr int kLowBufferLevel = 50;

  // How much of the song playing is held for "Enregistrer ce titre" (the sound since
  // its title's place, on disk): 15 minutes, or ZOVALIS_HOLD_SECONDS.
  static constexpr int kHoldSeconds = 15 * 60;
  static int HoldSeconds();

  // Reconnection: attempts after a drop and their delays.
  static constexpr int kReconnectAttempts = 3;
  void SetReconnectDelays(int firstMs, int laterMs) {
    reconnectFirstMs_ = firstMs;
    reconnectLaterMs_ = laterMs;
  }
  // How long the buffering wait lets the download stand still before playing what it has.
  void SetStallTimeout(int ms) { stallTimeoutMs_ = ms; }

 Q_SIGNALS:
  // The status line: silver text, or red with a beep (error).
  void StatusChanged(const QString& text, bool error);
  void BusyChanged(bool busy);
  void FacesChanged(TPlayFace play, TStopFace stop);
  void ProgressChanged(int level);
  // OpenStation's labels: name, genre, country, and the picture's hint (web page).
  void StationShown(const QString& name, const QString& genre, const QString& country, const QString& web);
  void IconChanged(const QString& path);  // empty: no picture
  void FlagChanged(const QString& path, const QString& hint);
  void RadioNameChanged(const QString& name);
  void GenreChanged(const QString& genre);
  void TitleShown(const QString& title);
  // TypeFlux, Debit, Frequence, Canaux texts.
  void StreamInfoShown(const QString& type, const QString& bitRate, const QString& rate, const QString& channels);
  void ElapsedChanged(const QString& text);
  void RecordButtonVisible(bool visible);
  void DisplayReset();  // InitRadioButton: the other labels are emptied
  void Balloon(const QString& title, const QString& text);
  void InformationListsChanged();
  // A new title (after Title was set), with the one before: the recorder cuts here.
  void TitleChanged(const QString& previous, const QString& title);
  void StopRecordingRequested();
  // Reconnection: the new channel replaced the old one; or every attempt failed.
  void Reconnected(zengine::Handle oldChannel, zengine::Handle newChannel);
  void Lost();
  // A station's connection came to its end (not a reconnection): `played` when a
  // candidate plays, false when every one failed or the playlist could not be read.
  void ConnectionFinished(bool played);
  void ErrorBox(const QString& text);
  void Beep();

 private:
  struct TJob;
  struct TConnected;
  void StartWorker(const QStringList& urls, bool reconnect);
  void RunJob(std::shared_ptr<TJob> job);  // worker thread
  void Post(const std::shared_ptr<TJob>& job, std::function<void()> action);
  void ApplyConnected(const std::shared_ptr<TJob>& job, const TConnected& c);
  void FinishJob(const std::shared_ptr<TJob>& job, bool played);
  std::optional<QByteArray> FetchPlaylist(const QString& url);
  void Abandon();
  void SetFaces(TPlayFace play, TStopFace stop);
  void Status(const QString& text, bool error = false);
  void StoreStreamInfo();
  void ShowPictures();
  QString Refreshed(const QString& folder, const QString& name);
  void ScheduleReconnect();
  void ApplyTags(int kind, const std::string& block);
  void HoldTitles(zengine::Handle channel);

  TContext ctx_;
  QTimer radioTimer_;
  QTimer reconnectTimer_;
  bool connecting_ = false;
  TPlayFace playFace_ = TPlayFace::Ready;
  TStopFace stopFace_ = TStopFace::Inactive;
  std::atomic<int> serial_{0};
  std::shared_ptr<TJob> job_;
  struct TWorker {
    std::thread Thread;
    std::shared_ptr<std::atomic<bool>> Done;
  };
  std::vector<TWorker> workers_;
  QString connectedUrl_;
  int reconnectAttempt_ = 0;
  int reconnectFirstMs_ = 1000;
  int reconnectLaterMs_ = 3000;
  int stallTimeoutMs_ = 5000;
  uint32_t metaSync_ = 0;
  bool addressStation_ = false;
};
