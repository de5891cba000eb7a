#include "app/mpris.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDir>
#include <QRegularExpression>
#include <QUrl>
#include <cmath>

#include "app/mainform.h"
#include "localfiles/fileplayer.h"
#include "widgets/trackskin.h"

TTitleParts SplitStreamTitle(const QString& title) {
  const qsizetype dash = title.indexOf(QLatin1String(" - "));
  if (dash < 0) return {QString(), title.trimmed()};
  return {title.left(dash).trimmed(), title.mid(dash + 3).trimmed()};
}

TMpris::TMpris(TMainForm* main) : QObject(main), main_(main) {
  QDBusConnection bus = QDBusConnection::sessionBus();
  if (!bus.isConnected()) return;
  new TMprisRoot(this, this);
  new TMprisPlayer(this, this);
  if (!bus.registerObject(QLatin1String(kPath), this)) return;
  registered_ = bus.registerService(QLatin1String(kService));

  TStationPlayer* p = main_->Player();
  connect(p, &TStationPlayer::FacesChanged, this, [this](TPlayFace, TStopFace stop) {
    status_ = stop == TStopFace::Active ? QStringLiteral("Playing") : QStringLiteral("Stopped");
    Update();
  });
  connect(p, &TStationPlayer::StationShown, this, [this](const QString& name, const QString&, const QString&,
                                                           const QString&) {
    station_ = name;
    Update();
  });
  // A station opened by its address is named by its stream once connected.
  connect(p, &TStationPlayer::RadioNameChanged, this, [this, p](const QString& name) {
    if (!p->AddressStation()) return;
    station_ = name;
    Update();
  });
  connect(p, &TStationPlayer::TitleShown, this, [this](const QString& title) {
    const QString known = title == QLatin1String("Titre non disponible") ? QString() : title;
    if (known != title_) ++track_;
    title_ = known;
    Update();
  });
  connect(p, &TStationPlayer::IconChanged, this, [this](const QString& path) {
    icon_ = path;
    Update();
  });
  if (TFilePlayer* f = main_->FilePlayer()) {
    connect(f, &TFilePlayer::FaceChanged, this, [this](TFileFace face) {
      status_ = face == TFileFace::Playing  ? QStringLiteral("Playing")
                : face == TFileFace::Paused ? QStringLiteral("Paused")
                                            : QStringLiteral("Stopped");
      Update();
    });
    connect(f, &TFilePlayer::TitleShown, this, [this](const QString& title) {
      // The face shows the duration after the song: " ( 03:25 )".
      static const QRegularExpression duration(QStringLiteral("\\s*\\(\\s*[0-9:]+\\s*\\)\\s*$"));
      QString song = title;
      song.remove(duration);
      if (song != title_) ++track_;
      title_ = song;
      Update();
    });
    connect(f, &TFilePlayer::RadioNameChanged, this, [this](const QString& name) {
      station_ = name;
      icon_.clear();
      Update();
    });
  }
  connect(main_->Face().VolumeBar, &TTrackSkin::changed, this, &TMpris::Update);
  lastMetadata_ = Metadata();
  lastStatus_ = status_;
  lastVolume_ = Volume();
}

TMpris::~TMpris() {
  if (!registered_) return;
  QDBusConnection bus = QDBusConnection::sessionBus();
  bus.unregisterService(QLatin1String(kService));
  bus.unregisterObject(QLatin1String(kPath));
}

QVariantMap TMpris::Metadata() const {
  QVariantMap m;
  m.insert(QStringLiteral("mpris:trackid"),
           QVariant::fromValue(QDBusObjectPath(QStringLiteral("/org/mpris/MediaPlayer2/zovalis/track/") +
                                               QString::number(track_))));
  const TTitleParts parts = SplitStreamTitle(title_);
  m.insert(QStringLiteral("xesam:title"), parts.Song.isEmpty() ? station_ : parts.Song);
  if (!parts.Artist.isEmpty()) m.insert(QStringLiteral("xesam:artist"), QStringList{parts.Artist});
  if (!station_.isEmpty()) m.insert(QStringLiteral("xesam:album"), station_);
  if (!icon_.isEmpty()) m.insert(QStringLiteral("mpris:artUrl"), QUrl::fromLocalFile(icon_).toString());
  return m;
}

double TMpris::Volume() const {
  return main_->Face().VolumeBar->Position() / 100.0;
}

void TMpris::SetVolume(double volume) {
  main_->Face().VolumeBar->SetPosition(int(std::lround(std::clamp(volume, 0.0, 1.0) * 100)));
}

bool TMpris::CanGoNext() const {
  return true;
}

void TMpris::Update() {
  QVariantMap changed;
  const QVariantMap metadata = Metadata();
  if (metadata != lastMetadata_) changed.insert(QStringLiteral("Metadata"), metadata);
  if (status_ != lastStatus_) changed.insert(QStringLiteral("PlaybackStatus"), status_);
  if (Volume() != lastVolume_) changed.insert(QStringLiteral("Volume"), Volume());
  lastMetadata_ = metadata;
  lastStatus_ = status_;
  lastVolume_ = Volume();
  if (!changed.isEmpty()) Announce("org.mpris.MediaPlayer2.Player", changed);
}

void TMpris::Announce(const char* interface, const QVariantMap& changed) {
  if (!registered_) return;
  QDBusMessage signal = QDBusMessage::createSignal(QLatin1String(kPath), QStringLiteral("org.freedesktop.DBus.Properties"),
                                                   QStringLiteral("PropertiesChanged"));
  signal << QString::fromLatin1(interface) << changed << QStringList();
  QDBusConnection::sessionBus().send(signal);
}

void TMpris::Raise() {
  main_->Restore();
}

void TMpris::Quit() {
  main_->close();
}

void TMpris::Play() {
  if (status_ != QLatin1String("Playing")) main_->PlayBtnClick();
}

void TMpris::OpenUri(const QString& uri) {
  main_->OpenItems({uri}, QDir::homePath());
}

void TMpris::Pause() {
  if (status_ != QLatin1String("Playing")) return;
  // A file pauses with the Play button; a radio stream cannot wait: it stops.
  if (main_->FilePlayer() && main_->FilePlayer()->Active()) {
    main_->PlayBtnClick();
  } else {
    main_->StopBtnClick();
  }
}

void TMpris::PlayPause() {
  if (status_ == QLatin1String("Playing")) {
    Pause();
  } else {
    Play();
  }
}

void TMpris::Stop() {
  if (status_ == QLatin1String("Playing")) main_->StopBtnClick();
}

void TMpris::Next() {
  main_->NextBtnClick();
}

void TMpris::Previous() {
  main_->PrevBtnClick();
}

bool TMpris::RaiseRunningInstance() {
  QDBusConnection bus = QDBusConnection::sessionBus();
  if (!bus.isConnected()) return false;
  QDBusMessage call = QDBusMessage::createMethodCall(QLatin1String(kService), QLatin1String(kPath),
                                                     QStringLiteral("org.mpris.MediaPlayer2"), QStringLiteral("Raise"));
  const QDBusMessage reply = bus.call(call, QDBus::Block, 3000);
  return reply.type() == QDBusMessage::ReplyMessage;
}
