#include "playback/stationplayer.h"

#include <QDateTime>
#include <QDir>
#include <QStandardPaths>
#include <QFile>
#include <QFileInfo>
#include <QUrl>

#include <chrono>

#include "catalogue/catalogueloader.h"
#include "catalogue/cataloguetable.h"
#include "catalogue/httpclient.h"
#include "common/queuedcall.h"
#include "playback/engineerror.h"
#include "playback/metadata.h"
#include "playback/playlistcandidates.h"

namespace {

// The ending the status line names while a playlist is read.
QString PlaylistEnding(TPlaylistKind kind) {
  switch (kind) {
    case TPlaylistKind::Pls: return QStringLiteral(".pls");
    case TPlaylistKind::M3u: return QStringLiteral(".m3u");
    case TPlaylistKind::M3u8: return QStringLiteral(".m3u8");
    case TPlaylistKind::Xspf: return QStringLiteral(".xspf");
    case TPlaylistKind::None: break;
  }
  return QString();
}

QString TypeName(uint32_t ctype) {
  switch (ctype) {
    case zengine::kTypeOgg: return QStringLiteral("OGG");
    case zengine::kTypeMp2: return QStringLiteral("MP2");
    case zengine::kTypeMp3: return QStringLiteral("MP3");
    case zengine::kTypeWma: return QStringLiteral("WMA");
    case zengine::kTypeWm3: return QStringLiteral("WM3");
    case zengine::kTypeAac: return QStringLiteral("AAC");
    case zengine::kTypeMp4: return QStringLiteral("MP4");
    case zengine::kTypeAc3: return QStringLiteral("AC3");
    case zengine::kTypeOpus: return QStringLiteral("OPUS");
    case zengine::kTypeFlac:
    case zengine::kTypeOggFlac: return QStringLiteral("FLAC");
    default: return QStringLiteral("N/A");
  }
}

// The channel count as text; nullopt keeps the catalogue's text.
std::optional<QString> ChannelsName(int count) {
  static const char* kNames[] = {"Mono", "Stereo", "3.0", "4.0", "5.0", "5.1", "6.1", "7.1"};
  if (count < 1 || count > 8) return std::nullopt;
  return QString::fromLatin1(kNames[count - 1]);
}

QString Clock(double seconds) {
  const qint64 t = seconds > 0 ? qint64(seconds) : 0;
  const auto two = [](qint64 v) { return QStringLiteral("%1").arg(v, 2, 10, QLatin1Char('0')); };
  return two(t / 3600) + QLatin1Char(':') + two((t / 60) % 60) + QLatin1Char(':') + two(t % 60);
}

// The buffer's fill level in percent: (downloaded - decoded) x 100 / capacity, or
// nullopt when the download has ended. A capacity of 0 gives 0.
std::optional<int> BufferLevel(zengine::Handle h) {
  const int64_t wma = zengine::StreamGetFilePosition(h, 1000);
  if (wma != -1) return int(wma);
  const int64_t end = zengine::StreamGetFilePosition(h, 2);
  if (end == -1) return std::nullopt;
  if (end <= 0) return 0;
  const int64_t got = zengine::StreamGetFilePosition(h, 1) - zengine::StreamGetFilePosition(h, 0);
  return int(uint32_t(uint64_t(got > 0 ? got : 0) * 100 / uint64_t(end)));
}

// A stream field as the face shows it: nothing when it is unknown ("N/A", 0 or empty),
// the value and its unit otherwise.
QString ShownField(const QString& value, const char* unit = "") {
  const QString v = value.trimmed();
  if (v.isEmpty() || v == QLatin1String("N/A") || v == QLatin1String("0")) return QString();
  return v + QLatin1String(unit);
}

}  // namespace

// One connection: its serial, candidates and proxy, and the abandon flag the worker polls.
struct TStationPlayer::TJob {
  int Serial = 0;
  QStringList Urls;
  std::string Proxy;
  bool Reconnect = false;
  int ReconnectAttempt = 0;
  int StallTimeoutMs = 5000;
  std::atomic<bool> Abandoned{false};
};

// What the worker hands over once a candidate plays.
struct TStationPlayer::TConnected {
  zengine::Handle Channel = 0;
  zengine::ChannelInfo Info;
  QString Url;
  std::vector<std::pair<int, std::string>> Tags;  // in the order they are dumped
  std::optional<std::string> Meta;
};

TStationPlayer::TStationPlayer(TContext context, QObject* parent) : QObject(parent), ctx_(std::move(context)) {
  radioTimer_.setInterval(1000);
  connect(&radioTimer_, &QTimer::timeout, this, &TStationPlayer::RadioTimerTimer);
  reconnectTimer_.setSingleShot(true);
  connect(&reconnectTimer_, &QTimer::timeout, this, [this] {
    if (!CurrentChannel || connectedUrl_.isEmpty()) return;
    StartWorker({connectedUrl_}, true);
  });
}

TStationPlayer::~TStationPlayer() {
  Abandon();
  for (TWorker& w : workers_)
    if (w.Thread.joinable()) w.Thread.join();
  if (CurrentChannel) {
    zengine::ChannelStop(CurrentChannel);
    zengine::StreamFree(CurrentChannel);
  }
}

void TStationPlayer::Status(const QString& text, bool error) {
  Q_EMIT StatusChanged(text, error);
}

void TStationPlayer::SetFaces(TPlayFace play, TStopFace stop) {
  playFace_ = play;
  stopFace_ = stop;
  Q_EMIT FacesChanged(play, stop);
}

void TStationPlayer::OpenAddress(const TStationRecord& station) {
  LoadCurrentStation(station);
  addressStation_ = true;
  OpenStation();
}

TStationRecord TStationPlayer::AnnouncedStation() const {
  TStationRecord r;
  r.Radio = CurrentRadio.Radio;
  r.Url = CurrentRadio.Url;
  r.Genre = CurrentRadio.Genre;
  r.Web = CurrentRadio.Web;
  r.StreamType = CurrentRadio.StreamType;
  r.BitRate = CurrentRadio.BitRate.trimmed();
  r.SampleRate = CurrentRadio.SampleRate;
  r.Channels = CurrentRadio.Channels;
  return r;
}

void TStationPlayer::LoadCurrentStation(const TStationRecord& station) {
  addressStation_ = false;
  CurrentRadio.Radio = station.Radio;
  CurrentRadio.Url = station.Url;
  CurrentRadio.Genre = station.Genre;
  CurrentRadio.Country = station.Country;
  CurrentRadio.Network = station.Network;
  CurrentRadio.Web = station.Web;
  CurrentRadio.Icon = station.Icon;
  CurrentRadio.StreamType = station.StreamType;
  CurrentRadio.BitRate = station.BitRate;
  CurrentRadio.SampleRate = station.SampleRate;
  CurrentRadio.Channels = station.Channels;
}

QString TStationPlayer::Refreshed(const QString& folder, const QString& name) {
  // Names from a catalogue never leave their picture folder.
  if (!IsBarePictureName(name.trimmed())) return QString();
  const QString local = ctx_.TunerFolder() + folder + name.trimmed();
  if (ctx_.Directory && ctx_.Directory()) {
    // The directory's flags are copied in with its list; its icons come when they come.
    if (!QFileInfo::exists(local) && folder == QLatin1String("icones/") && ctx_.FetchPicture)
      ctx_.FetchPicture(name.trimmed());
    return QFileInfo::exists(local) ? local : QString();
  }
  if (ctx_.Remote && ctx_.Remote() && ctx_.Http && ctx_.RemoteBase && !ctx_.RemoteBase().isEmpty())
    ctx_.Http->DownloadIfNewer(ctx_.RemoteBase() + folder + name.trimmed(), local);
  return QFileInfo::exists(local) ? local : QString();
}

void TStationPlayer::PictureArrived(const QString& icon, const QString& path) {
  if (!icon.isEmpty() && CurrentRadio.Icon.trimmed() == icon && QFileInfo::exists(path)) Q_EMIT IconChanged(path);
}

void TStationPlayer::ShowPictures() {
  // A station without a picture of its own shows the tuner's placeholder, not a black box.
  QString icon;
  if (!CurrentRadio.Icon.trimmed().isEmpty()) icon = Refreshed(QStringLiteral("icones/"), CurrentRadio.Icon);
  if (icon.isEmpty() && ctx_.TunerFolder) {
    const QString noicon = ctx_.TunerFolder() + QStringLiteral("icones/noicon.png");
    if (QFileInfo::exists(noicon)) icon = noicon;
  }
  Q_EMIT IconChanged(icon);
  // The country's flag, looked up by exact name.
  QString flag, hint;
  if (ctx_.Countries && ctx_.Countries->Active()) {
    const TCatalogueTable& c = *ctx_.Countries;
    const int row =
        c.FindRow(QStringLiteral("Name"), CurrentRadio.Country, c.IgnoreCase() ? Qt::CaseInsensitive : Qt::CaseSensitive);
    if (row >= 0) {
      hint = c.RowText(row, QStringLiteral("Name"));
      const QString name = c.RowText(row, QStringLiteral("Flag"));
      if (!name.trimmed().isEmpty()) flag = Refreshed(QStringLiteral("drapeaux/"), name);
    }
  }
  Q_EMIT FlagChanged(flag, hint);
}

// The playlist body at `url`: a local file (a path or a file:// address, as a dropped or
// opened playlist gives) is read from the disk, anything else is fetched over HTTP. Only a
// station the user opened by its address reads the disk: a catalogue's address, which
// anyone may have written, is always fetched. A failure is shown in red and gives nullopt.
std::optional<QByteArray> TStationPlayer::FetchPlaylist(const QString& url) {
  QString local;
  if (addressStation_ && url.startsWith(QLatin1String("file://"), Qt::CaseInsensitive)) {
    local = QUrl(url).toLocalFile();
  } else if (addressStation_ && url.startsWith(QLatin1Char('/'))) {
    local = url;
  }
  QString path = local;
  if (local.isEmpty()) {
    path = ctx_.DataFolder() + QStringLiteral("temp.dat");
    THttpResult got;
    if (ctx_.Http) {
      ctx_.Http->SetUserAgent(QString::fromLatin1(THttpClient::kPlaylistUserAgent));
      got = ctx_.Http->GetToFile(url, path);
    }
    if (!got.Ok) {
      Status(QStringLiteral("Erreur: ") + got.Error, true);
      return std::nullopt;
    }
  }
  QFile f(path);
  if (!f.open(QIODevice::ReadOnly)) {
    Status(QStringLiteral("Erreur: ") + f.errorString(), true);
    return std::nullopt;
  }
  // A playlist is small: only its first megabyte is read, whatever the file holds.
  return f.read(kMaxPlaylistBody);
}

void TStationPlayer::OpenStation() {
  Q_EMIT BusyChanged(true);
  // A connection still running is abandoned: its result will be dropped.
  if (connecting_) Abandon();
  if (CurrentChannel) StopAll();
  Q_EMIT StationShown(CurrentRadio.Radio, CurrentRadio.Genre, CurrentRadio.Country, CurrentRadio.Web);
  ShowPictures();

  const TPlaylistKind kind = PlaylistKindOf(CurrentRadio.Url);
  bool haveList = true;
  if (kind == TPlaylistKind::None) {
    UrlListBox = QStringList{CurrentRadio.Url};
  } else {
    Status(QStringLiteral("Détection fichier %1 ...").arg(PlaylistEnding(kind)));
    const std::optional<QByteArray> body = FetchPlaylist(CurrentRadio.Url);
    if (!body) {
      haveList = false;
    } else {
      UrlListBox = StationCandidates(CurrentRadio.Url, kind, *body);
    }
  }
  if (haveList) StartWorker(UrlListBox, false);
  // Nothing to connect to: the connection ends here.
  if (!haveList) Q_EMIT ConnectionFinished(false);
  PlayMode = QStringLiteral("Radio");
  if (!connecting_) Q_EMIT BusyChanged(false);
}

void TStationPlayer::StartWorker(const QStringList& urls, bool reconnect) {
  auto job = std::make_shared<TJob>();
  job->Serial = ++serial_;
  job->Urls = urls;
  job->Reconnect = reconnect;
  job->ReconnectAttempt = reconnectAttempt_;
  job->StallTimeoutMs = stallTimeoutMs_;
  const TProxyFields p = ctx_.Proxy ? ctx_.Proxy() : TProxyFields{};
  if (p.Checked && !p.Server.trimmed().isEmpty())
    job->Proxy = (p.User + QLatin1Char(':') + p.Password + QLatin1Char('@') + p.Server + QLatin1Char(':') + p.Port)
                     .toStdString();
  job_ = job;
  connecting_ = true;
  // Threads of earlier connections that have ended are joined here, so they do not pile up.
  for (auto it = workers_.begin(); it != workers_.end();) {
    if (*it->Done) {
      it->Thread.join();
      it = workers_.erase(it);
    } else {
      ++it;
    }
  }
  auto done = std::make_shared<std::atomic<bool>>(false);
  workers_.push_back({std::thread([this, job, done] {
                        RunJob(job);
                        *done = true;
                      }),
                      done});
}

void TStationPlayer::Post(const std::shared_ptr<TJob>& job, std::function<void()> action) {
  // Runs `action` on the interface thread, unless the connection was abandoned meanwhile.
  PostQueued(this, [this, job, action = std::move(action)] {
    if (job->Abandoned || job->Serial != serial_) return;
    action();
  });
}

// Worker thread: tries each candidate until one plays.
void TStationPlayer::RunJob(std::shared_ptr<TJob> job) {
  const int n = int(job->Urls.size());
  bool played = false;
  for (int i = 1; i <= n && !played && !job->Abandoned; ++i) {
    Post(job, [this, job, i, n] {
      if (!job->Reconnect) SetFaces(TPlayFace::Busy, TStopFace::Active);
      Status(job->Reconnect ? QStringLiteral("Reconnexion (%1/%2) ...").arg(job->ReconnectAttempt).arg(kReconnectAttempts)
                            : QStringLiteral("Connexion en cours (%1/%2) ...").arg(i).arg(n));
    });
    zengine::SetProxy(job->Proxy);
    const QString url = job->Urls[i - 1];
    const zengine::Handle h = zengine::StreamCreateURL(url.toStdString());
    const int code = h ? 0 : zengine::ErrorGetCode();
    if (job->Abandoned) {
      if (h) zengine::StreamFree(h);
      break;
    }
    if (!h) {
      Post(job, [this, job, code] {
        Q_EMIT StatusChanged(EngineErrorMessage(code), true);
        if (!job->Reconnect) SetFaces(TPlayFace::Ready, TStopFace::Inactive);
      });
      continue;
    }
    if (!job->Reconnect) Post(job, [this] { Status(QStringLiteral("Connexion établie.")); });

    // The buffering wait: until the buffer is more than 75 % full, the download has
    // ended, or it has stood still for the stall time-out.
    using Clock = std::chrono::steady_clock;
    int64_t lastGot = -1;
    auto lastMove = Clock::now();
    for (;;) {
      if (job->Abandoned) break;
      const std::optional<int> level = BufferLevel(h);
      if (!level) break;
      Post(job, [this, l = *level] {
        Status(QStringLiteral("Mise en mémoire ... %1%").arg(l));
        Q_EMIT ProgressChanged(l);
      });
      if (*level > 75) break;
      const int64_t got = zengine::StreamGetFilePosition(h, 1);
      if (got != lastGot) {
        lastGot = got;
        lastMove = Clock::now();
      } else if (Clock::now() - lastMove > std::chrono::milliseconds(job->StallTimeoutMs)) {
        break;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    if (job->Abandoned) {
      zengine::StreamFree(h);
      break;
    }
    TConnected c;
    c.Channel = h;
    c.Url = url;
    zengine::ChannelGetInfo(h, &c.Info);
    for (zengine::TagType t : {zengine::kTagWma, zengine::kTagIcy, zengine::kTagId3, zengine::kTagId3v2,
                               zengine::kTagHttp, zengine::kTagMp4, zengine::kTagOgg}) {
      std::string block = zengine::ChannelGetTags(h, t);
      if (!block.empty()) c.Tags.emplace_back(int(t), std::move(block));
    }
    std::string meta = zengine::ChannelGetTags(h, zengine::kTagMeta);
    if (!meta.empty()) c.Meta = meta.substr(0, meta.find('\0'));
    zengine::ChannelPlay(h, false);
    // The handler frees the channel itself when the connection was abandoned meanwhile.
    PostQueued(this, [this, job, c = std::move(c)] {
      if (job->Abandoned || job->Serial != serial_) {
        zengine::ChannelStop(c.Channel);
        zengine::StreamFree(c.Channel);
        return;
      }
      ApplyConnected(job, c);
    });
    // Each later metadata text goes to the interface thread, for this channel only.
    const int serial = job->Serial;
    zengine::ChannelSetSync(h, zengine::kSyncMeta, [this, h, serial](zengine::Handle, const std::string& data) {
      // Engine thread.
      const QString text = StreamText(data);
      PostQueued(this, [this, h, serial, text] {
        if (h == CurrentChannel && serial <= serial_) HandleMetadata(text);
      });
    });
    played = true;
  }
  Post(job, [this, job, played] {
    if (job->Reconnect && !played) {
      ScheduleReconnect();
    }
    FinishJob(job, played);
  });
}

void TStationPlayer::ApplyTags(int kind, const std::string& block) {
  const TTagEffects e = DumpTags(TTagKind(kind), SplitTagBlock(block));
  if (e.RadioName) Q_EMIT RadioNameChanged(*e.RadioName);
  if (addressStation_) {
    // A station known only by its address takes the names its stream gives itself.
    if (e.RadioName) CurrentRadio.Radio = e.RadioName->trimmed();
    if (e.AnnouncedGenre) {
      CurrentRadio.Genre = e.AnnouncedGenre->trimmed();
      if (!e.Genre) Q_EMIT GenreChanged(CurrentRadio.Genre);
    }
    if (e.Web) CurrentRadio.Web = e.Web->trimmed();
  }
  if (e.BitRate) CurrentRadio.BitRate = *e.BitRate;
  if (e.Genre) Q_EMIT GenreChanged(*e.Genre);
  if (e.ShownTitle) Q_EMIT TitleShown(*e.ShownTitle);
  Informations.append(e.Lines);
  if (CurrentRadio.StreamType == QLatin1String("OGG")) CurrentRadio.BitRate = OggBitRate(CurrentRadio.BitRate);
}

int TStationPlayer::HoldSeconds() {
  // ZOVALIS_HOLD_SECONDS shortens the hold (tests of songs longer than it).
  bool ok = false;
  const int seconds = qEnvironmentVariableIntValue("ZOVALIS_HOLD_SECONDS", &ok);
  return ok && seconds > 0 ? seconds : kHoldSeconds;
}

void TStationPlayer::HoldTitles(zengine::Handle channel) {
  // The held sound lies in the user's cache folder, in a file that has no name.
  const QString folder = QStandardPaths::writableLocation(QStandardPaths::CacheLocation);
  QDir().mkpath(folder);
  zengine::ChannelHoldTitle(channel, HoldSeconds(), QFile::encodeName(folder).toStdString());
}

void TStationPlayer::ApplyConnected(const std::shared_ptr<TJob>& job, const TConnected& c) {
  if (job->Reconnect) {
    // The new channel takes the place of the one that dropped; a recording follows it.
    const zengine::Handle old = CurrentChannel;
    CurrentChannel = c.Channel;
    HoldTitles(c.Channel);
    reconnectAttempt_ = 0;
    Q_EMIT Reconnected(old, c.Channel);
    if (old) {
      zengine::ChannelStop(old);
      zengine::StreamFree(old);
    }
    Q_EMIT ProgressChanged(100);
    const bool recording = ctx_.Recording && ctx_.Recording();
    Status(recording ? QStringLiteral("Lecture/Enregistrement en cours.") : QStringLiteral("Lecture en cours."));
    radioTimer_.start();
    // The title may have changed while the station was away: the new connection's first
    // title counts like any title change (shown, listed, and a recording cuts there).
    if (c.Meta) {
      const QString text = StreamText(*c.Meta);
      const TMetaTitle t = ParseMetadataTitle(text);
      if (t.KeyFound && !t.Title.isEmpty() && t.Title != CurrentRadio.Title) HandleMetadata(text);
    }
    return;
  }
  CurrentChannel = c.Channel;
  HoldTitles(c.Channel);
  connectedUrl_ = c.Url;
  reconnectAttempt_ = 0;
  Q_EMIT ProgressChanged(100);
  CurrentRadio.StreamType = TypeName(c.Info.ctype);
  CurrentRadio.SampleRate = QString::number(c.Info.freq);
  if (const auto ch = ChannelsName(c.Info.chans)) CurrentRadio.Channels = *ch;
  for (const auto& [kind, block] : c.Tags) ApplyTags(kind, block);
  Q_EMIT InformationListsChanged();
  HandleMetadata(c.Meta ? std::optional<QString>(StreamText(*c.Meta)) : std::nullopt);
  Status(QStringLiteral("Lecture en cours."));
  radioTimer_.start();
  // A station opened from an address is in no tuner: a tuner station of the same name
  // keeps its fields, and the next start plays the last tuner station.
  if (!addressStation_) {
    LastRadio = CurrentRadio.Radio;
    if (!(ctx_.Remote && ctx_.Remote()) && !(ctx_.Directory && ctx_.Directory())) StoreStreamInfo();
  }
  if (ctx_.Played) ctx_.Played(CurrentRadio);
  Q_EMIT RecordButtonVisible(true);
}

void TStationPlayer::FinishJob(const std::shared_ptr<TJob>& job, bool played) {
  if (!job->Reconnect) {
    Q_EMIT StreamInfoShown(ShownField(CurrentRadio.StreamType), ShownField(CurrentRadio.BitRate, " Kbps"),
                           ShownField(CurrentRadio.SampleRate, " Hz"), ShownField(CurrentRadio.Channels));
  }
  connecting_ = false;
  if (job_ == job) job_.reset();
  Q_EMIT BusyChanged(false);
  if (!job->Reconnect) Q_EMIT ConnectionFinished(played);
}

void TStationPlayer::StoreStreamInfo() {
  TCatalogueTable* t = ctx_.Stations;
  // A station the user is editing meanwhile is left to the user.
  if (!t || !t->Active() || t->State() != TCatalogueTable::TState::Browse) return;
  const int row = t->FindRow(QStringLiteral("Radio"), CurrentRadio.Radio, Qt::CaseInsensitive);
  if (row < 0) return;
  const TTableResult r = t->UpdateRow(row, {{QStringLiteral("StreamType"), CurrentRadio.StreamType},
                                            {QStringLiteral("BitRate"), CurrentRadio.BitRate.trimmed()},
                                            {QStringLiteral("SampleRate"), CurrentRadio.SampleRate},
                                            {QStringLiteral("Channels"), CurrentRadio.Channels}});
  if (!r) Q_EMIT ErrorBox(r.Error->Text());
}

void TStationPlayer::HandleMetadata(const std::optional<QString>& text) {
  if (!text) return;
  Meta.append(*text);
  const QDateTime now = QDateTime::currentDateTime();
  MetaTimeStamp = MetaTimeStampOf(now.time().hour(), now.time().minute(), now.time().second());
  MetaDateStamp = MetaDateStampOf(now.date().year(), now.date().month(), now.date().day());
  const QString previous = CurrentRadio.Title;
  const TMetaTitle t = ParseMetadataTitle(*text);
  if (t.KeyFound && !t.Title.isEmpty()) {
    CurrentRadio.Title = t.Title;
    Q_EMIT TitleShown(t.Title);
    PlayListBox.append(MetaTimeStamp + t.Title);
    Q_EMIT TitleChanged(previous, t.Title);
    Q_EMIT Balloon(QString(), t.Title);
  }
  Q_EMIT InformationListsChanged();
}

void TStationPlayer::RadioTimerTimer() {
  if (CurrentChannel) {
    const std::optional<int> level = BufferLevel(CurrentChannel);
    if (!level) {
      // The stream dropped: reconnect before giving up.
      radioTimer_.stop();
      ScheduleReconnect();
      return;
    }
    Q_EMIT ProgressChanged(*level);
    // A live stream's buffer seldom stays full: the bar shows its level, the status says
    // the sound plays unless the buffer ran low (the sound may then stall).
    if (*level < kLowBufferLevel) {
      Status(QStringLiteral("Mise en mémoire ... %1%").arg(*level));
    } else {
      const bool recording = ctx_.Recording && ctx_.Recording();
      Status(recording ? QStringLiteral("Lecture/Enregistrement en cours.") : QStringLiteral("Lecture en cours."));
    }
    Q_EMIT ElapsedChanged(Clock(zengine::ChannelBytes2Seconds(CurrentChannel,
                                                              zengine::ChannelGetPosition(CurrentChannel))));
  } else {
    Q_EMIT ElapsedChanged(QStringLiteral("00:00"));
  }
}

void TStationPlayer::ScheduleReconnect() {
  if (reconnectAttempt_ >= kReconnectAttempts) {
    reconnectAttempt_ = 0;
    Q_EMIT Lost();
    StopAll();
    Q_EMIT StatusChanged(EngineErrorMessage(zengine::kErrNoNet), true);
    return;
  }
  ++reconnectAttempt_;
  Status(QStringLiteral("Reconnexion (%1/%2) ...").arg(reconnectAttempt_).arg(kReconnectAttempts));
  reconnectTimer_.start(reconnectAttempt_ == 1 ? reconnectFirstMs_ : reconnectLaterMs_);
}

void TStationPlayer::Abandon() {
  if (job_) job_->Abandoned = true;
  job_.reset();
  ++serial_;
  if (connecting_) {
    connecting_ = false;
    Q_EMIT BusyChanged(false);
  }
}

void TStationPlayer::StopAll() {
  radioTimer_.stop();
  reconnectTimer_.stop();
  reconnectAttempt_ = 0;
  Abandon();
  Q_EMIT StopRecordingRequested();
  Status(QStringLiteral("Arrêt en cours ..."));
  if (CurrentChannel) {
    zengine::ChannelHoldTitle(CurrentChannel, 0, std::string());  // the held song goes now
    zengine::ChannelStop(CurrentChannel);
    zengine::StreamFree(CurrentChannel);
  }
  InitRadioButton();
  CurrentChannel = 0;
  connectedUrl_.clear();
  Informations.clear();
  Meta.clear();
  PlayListBox.clear();
  Q_EMIT InformationListsChanged();
  Q_EMIT RecordButtonVisible(false);
}

void TStationPlayer::InitRadioButton() {
  CurrentRadio.Title = QStringLiteral("Titre non disponible");
  Q_EMIT DisplayReset();
  Q_EMIT TitleShown(CurrentRadio.Title);
  Q_EMIT ProgressChanged(0);
  Q_EMIT ElapsedChanged(QStringLiteral("00:00:00"));
  SetFaces(TPlayFace::Ready, TStopFace::Inactive);
  Q_EMIT RecordButtonVisible(false);
}
