// The desktop's media controls: the program on the session bus as an MPRIS 2 player
// (org.mpris.MediaPlayer2.zovalis). The media keys, the desktop's sound menu and tools
// such as playerctl drive the main window's buttons through it, and read what plays:
// the playback status, the stream title split into artist and title, the station as
// album, its icon, the volume. Every change is announced by PropertiesChanged.
//
// Thread: interface thread (Qt D-Bus delivers calls there).
#pragma once

#include <QDBusAbstractAdaptor>
#include <QDBusObjectPath>
#include <QObject>
#include <QStringList>
#include <QVariantMap>

class TMainForm;

// The title split as the recorder names files: "Artist - Song" gives both; a title
// without " - " is the song alone.
struct TTitleParts {
  QString Artist, Song;
};
TTitleParts SplitStreamTitle(const QString& title);

class TMpris : public QObject {
  Q_OBJECT
 public:
  static constexpr const char* kService = "org.mpris.MediaPlayer2.zovalis";
  static constexpr const char* kPath = "/org/mpris/MediaPlayer2";

  explicit TMpris(TMainForm* main);
  ~TMpris() override;
  // Whether the program holds its name on the session bus.
  bool Registered() const { return registered_; }

  // What the player interface reports.
  QString PlaybackStatus() const { return status_; }
  QVariantMap Metadata() const;
  double Volume() const;
  void SetVolume(double volume);
  bool CanGoNext() const;

  // Commands, as the main window's buttons.
  void Raise();
  void Quit();
  void Play();
  void Pause();
  void PlayPause();
  void Stop();
  void Next();
  void Previous();
  // An address or a file the desktop asks to play, as the command line's.
  void OpenUri(const QString& uri);

  // Asks the instance already running to show its main window; false when none answers.
  static bool RaiseRunningInstance();

 private:
  void Update();
  void Announce(const char* interface, const QVariantMap& changed);

  TMainForm* main_;
  bool registered_ = false;
  QString status_ = QStringLiteral("Stopped");
  QString title_, station_, icon_;
  int track_ = 0;
  QVariantMap lastMetadata_;
  QString lastStatus_;
  double lastVolume_ = -1;
};

// org.mpris.MediaPlayer2
class TMprisRoot : public QDBusAbstractAdaptor {
  Q_OBJECT
  Q_CLASSINFO("D-Bus Interface", "org.mpris.MediaPlayer2")
  Q_PROPERTY(bool CanQuit READ CanQuit)
  Q_PROPERTY(bool CanRaise READ CanRaise)
  Q_PROPERTY(bool HasTrackList READ HasTrackList)
  Q_PROPERTY(QString Identity READ Identity)
  Q_PROPERTY(QString DesktopEntry READ DesktopEntry)
  Q_PROPERTY(QStringList SupportedUriSchemes READ SupportedUriSchemes)
  Q_PROPERTY(QStringList SupportedMimeTypes READ SupportedMimeTypes)
 public:
  TMprisRoot(QObject* object, TMpris* mpris) : QDBusAbstractAdaptor(object), mpris_(mpris) {}
  bool CanQuit() const { return true; }
  bool CanRaise() const { return true; }
  bool HasTrackList() const { return false; }
  QString Identity() const { return QStringLiteral("Zovalis"); }
  QString DesktopEntry() const { return QStringLiteral("zovalis"); }
  QStringList SupportedUriSchemes() const {
    return {QStringLiteral("http"), QStringLiteral("https"), QStringLiteral("icy"), QStringLiteral("file")};
  }
  QStringList SupportedMimeTypes() const {
    return {QStringLiteral("audio/mpeg"),        QStringLiteral("audio/aac"),
            QStringLiteral("audio/ogg"),         QStringLiteral("audio/x-ms-wma"),
            QStringLiteral("audio/x-mpegurl"),   QStringLiteral("audio/mpegurl"),
            QStringLiteral("audio/x-scpls"),     QStringLiteral("application/vnd.apple.mpegurl"),
            QStringLiteral("application/xspf+xml")};
  }
 public Q_SLOTS:
  void Raise() { mpris_->Raise(); }
  void Quit() { mpris_->Quit(); }

 private:
  TMpris* mpris_;
};

// org.mpris.MediaPlayer2.Player
class TMprisPlayer : public QDBusAbstractAdaptor {
  Q_OBJECT
  Q_CLASSINFO("D-Bus Interface", "org.mpris.MediaPlayer2.Player")
  Q_PROPERTY(QString PlaybackStatus READ PlaybackStatus)
  Q_PROPERTY(double Rate READ Rate WRITE SetRate)
  Q_PROPERTY(QVariantMap Metadata READ Metadata)
  Q_PROPERTY(double Volume READ Volume WRITE SetVolume)
  Q_PROPERTY(qlonglong Position READ Position)
  Q_PROPERTY(double MinimumRate READ Rate)
  Q_PROPERTY(double MaximumRate READ Rate)
  Q_PROPERTY(bool CanGoNext READ CanGoNext)
  Q_PROPERTY(bool CanGoPrevious READ CanGoNext)
  Q_PROPERTY(bool CanPlay READ CanControl)
  Q_PROPERTY(bool CanPause READ CanControl)
  Q_PROPERTY(bool CanSeek READ CanSeek)
  Q_PROPERTY(bool CanControl READ CanControl)
 public:
  TMprisPlayer(QObject* object, TMpris* mpris) : QDBusAbstractAdaptor(object), mpris_(mpris) {}
  QString PlaybackStatus() const { return mpris_->PlaybackStatus(); }
  double Rate() const { return 1.0; }
  void SetRate(double) {}
  QVariantMap Metadata() const { return mpris_->Metadata(); }
  double Volume() const { return mpris_->Volume(); }
  void SetVolume(double v) { mpris_->SetVolume(v); }
  qlonglong Position() const { return 0; }
  bool CanGoNext() const { return mpris_->CanGoNext(); }
  bool CanSeek() const { return false; }
  bool CanControl() const { return true; }
 public Q_SLOTS:
  void Next() { mpris_->Next(); }
  void Previous() { mpris_->Previous(); }
  void Pause() { mpris_->Pause(); }
  void PlayPause() { mpris_->PlayPause(); }
  void Stop() { mpris_->Stop(); }
  void Play() { mpris_->Play(); }
  void Seek(qlonglong) {}
  void SetPosition(const QDBusObjectPath&, qlonglong) {}
  void OpenUri(const QString& uri) { mpris_->OpenUri(uri); }
 Q_SIGNALS:
  void Seeked(qlonglong position);

 private:
  TMpris* mpris_;
};
