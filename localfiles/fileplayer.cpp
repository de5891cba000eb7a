#include "localfiles/fileplayer.h"

#include <QCoreApplication>
#include <QFile>
#include <QPointer>
#include <cmath>
#include <memory>

#include "common/queuedcall.h"
#include "localfiles/playlistmodel.h"
#include "playback/engine/channelregistry.h"
#include "playback/engineerror.h"
#include "playback/stationplayer.h"

namespace {

const QString kPlaying = QStringLiteral("Lecture en cours.");
const QString kPaused = QStringLiteral("Lecture en pause.");

}  // namespace

TFilePlayer::TFilePlayer(TStationPlayer* station, TPlaylistModel* model, QObject* parent)
    : QObject(parent), station_(station), model_(model) {
  fileTimer_.setInterval(1000);
  connect(&fileTimer_, &QTimer::timeout, this, &TFilePlayer::FileTimerTimer);
  // StopAll resets the display: the file timer stops and the Play face is ready again.
  connect(station_, &TStationPlayer::DisplayReset, this, &TFilePlayer::Stopped);
  // The face names the list and the place in it: it follows the list's changes.
  connect(model_, &TPlaylistModel::CountChanged, this, [this](int count) {
    if (!Active()) return;
    Q_EMIT RadioNameChanged(count == 0 ? QString() : ListCaption(model_->PlayingIndex()));
  });
}

QString TFilePlayer::ListCaption(int index) const {
  QString caption = QStringLiteral("Liste de lecture : ") + (PlaylistName ? PlaylistName() : QString());
  if (index >= 0)
    caption += QStringLiteral(" (") + QString::number(index + 1) + QLatin1Char('/') + QString::number(model_->Count()) +
               QLatin1Char(')');
  return caption;
}

bool TFilePlayer::Active() const {
  return station_->PlayMode == QLatin1String("File");
}

void TFilePlayer::Stopped() {
  ++openSerial_;  // a stream still connecting is not wanted any more
  fileTimer_.stop();
  face_ = TFileFace::Ready;
}

void TFilePlayer::SetFace(TFileFace face) {
  face_ = face;
  Q_EMIT FaceChanged(face);
}

zengine::Handle TFilePlayer::Open(const TPlaylistRow& row) {
  const std::string name = QFile::encodeName(row.FileName).toStdString();
  zengine::Handle channel = 0;
  if (row.IsCdTrack()) channel = zengine::CDStreamCreateFile(name);
  // A CD track the CD opener refuses is tried as a file too.
  if (!channel) channel = zengine::StreamCreateFile(name);
  return channel;
}

TFilePlayer::~TFilePlayer() {
  // Streams still connecting give up at once; their results are dropped.
  ++openSerial_;
  zengine::AbortConnectingStreams();
  for (TWorker& w : workers_) w.Thread.join();
}

void TFilePlayer::StartStreamOpen(const QString& url, quint64 serial) {
  std::erase_if(workers_, [](TWorker& w) {
    if (!w.Done->load()) return false;
    w.Thread.join();
    return true;
  });
  auto done = std::make_shared<std::atomic<bool>>(false);
  QPointer<TFilePlayer> self(this);
  // Worker thread: opens the stream, then posts the channel to the interface thread,
  // where a result that is no longer wanted is freed.
  std::thread thread([self, serial, done, name = url.toStdString()] {
    const zengine::Handle channel = zengine::StreamCreateURL(name);
    const int error = channel ? 0 : zengine::ErrorGetCode();
    PostQueued(QCoreApplication::instance(), [self, serial, channel, error] {
      const bool wanted = self && serial == self->openSerial_ && self->Active() && !self->station_->CurrentChannel;
      if (!wanted) {
        if (channel) zengine::StreamFree(channel);
        return;
      }
      self->Started(channel, error);
    });
    done->store(true);
  });
  workers_.push_back({std::move(thread), done});
}

void TFilePlayer::Started(zengine::Handle channel, int error) {
  station_->CurrentChannel = channel;
  if (channel) {
    SetFace(TFileFace::Playing);
    QPointer<TFilePlayer> self(this);
    // Engine thread: hand the advance to the interface thread.
    zengine::ChannelSetSync(channel, zengine::kSyncEnd, [self](zengine::Handle ended, const std::string&) {
      PostQueued(QCoreApplication::instance(), [self, ended] {
        if (self) self->EndSyncProc(ended);
      });
    });
    zengine::ChannelPlay(channel, false);
    Q_EMIT StatusChanged(kPlaying, false);
    fileTimer_.start();
    if (BalloonsOn && BalloonsOn())
      Q_EMIT Balloon(QStringLiteral("Liste de lecture : ") + (PlaylistName ? PlaylistName() : QString()),
                     CurrentFile.Artist + QStringLiteral(" - ") + CurrentFile.Title);
  } else {
    Q_EMIT StatusChanged(EngineErrorMessage(error), true);
    SetFace(TFileFace::Ready);
  }
}

void TFilePlayer::PlayFile(int index) {
  if (!model_) return;
  Q_EMIT BusyChanged(true);
  Q_EMIT StatusChanged(QString(), false);
  // A station still connecting is abandoned too, or its channel would start over this file.
  if (station_->CurrentChannel || station_->Connecting()) station_->StopAll();
  if (index < 0 || index >= model_->Count()) {
    // An empty list (or a row that no longer exists) only stops what played.
    Q_EMIT BusyChanged(false);
    return;
  }
  const TPlaylistRow row = model_->Row(index);
  CurrentFile = {row.FileName, row.StreamType, row.BitRate, row.SampleRate,
                 row.Channels, row.Artist,     row.Title,   row.Duration};

  model_->SetPlayingIndex(index);
  Q_EMIT RowShown(index);

  const quint64 serial = ++openSerial_;
  if (row.IsStream()) {
    // A stream may take the network's time-out to answer: it is opened on a worker and
    // the window stays alive meanwhile.
    Q_EMIT StatusChanged(QStringLiteral("Connexion en cours ..."), false);
    StartStreamOpen(row.FileName, serial);
  } else {
    const zengine::Handle channel = Open(row);
    Started(channel, channel ? 0 : zengine::ErrorGetCode());
  }

  Q_EMIT TitleShown(CurrentFile.Artist + QStringLiteral(" - ") + CurrentFile.Title + QStringLiteral(" ( ") +
                    CurrentFile.Duration + QStringLiteral(" )"));
  Q_EMIT RadioNameChanged(ListCaption(index));
  Q_EMIT StreamInfoShown(CurrentFile.StreamType, CurrentFile.BitRate + QStringLiteral(" Kbps"),
                         CurrentFile.SampleRate + QStringLiteral(" Hz"), CurrentFile.Channels);
  Q_EMIT PictureChanged(row.IsCdTrack() ? QStringLiteral("AudioCD.png") : QStringLiteral("AudioFile.png"));
  station_->PlayMode = QStringLiteral("File");
  Q_EMIT HintsChanged(QStringLiteral("Morceau précédent."), QStringLiteral("Morceau suivant."));
  Q_EMIT BusyChanged(false);
}

void TFilePlayer::EndSyncProc(zengine::Handle channel) {
  if (!model_ || channel != station_->CurrentChannel || !Active()) return;  // stopped or replaced meanwhile
  const int playing = model_->PlayingIndex();
  // The row after the playing one; after the playing row was removed, the row that took
  // its place.
  const int next = playing >= 0 ? playing + 1 : model_->ResumeRow();
  if (next >= 0 && next < model_->Count()) {
    PlayFile(next);
  } else if (station_->CurrentChannel) {
    station_->StopAll();
  }
}

void TFilePlayer::PlayBtnClick() {
  if (!model_) return;
  const int playing = model_->PlayingIndex();
  if (face_ != TFileFace::Playing) {
    if (!station_->CurrentChannel) {
      if (playing >= 0) PlayFile(playing);
    } else if (playing >= 0 || model_->ResumeRow() >= 0) {
      zengine::ChannelPlay(station_->CurrentChannel, false);
      SetFace(TFileFace::Playing);
      Q_EMIT StatusChanged(kPlaying, false);
      fileTimer_.start();
    }
  } else {
    zengine::ChannelPause(station_->CurrentChannel);
    SetFace(TFileFace::Paused);
    Q_EMIT StatusChanged(kPaused, false);
  }
}

void TFilePlayer::PrevBtnClick() {
  if (!model_) return;
  int playing = model_->PlayingIndex();
  if (playing < 0 && model_->ResumeRow() >= 0) playing = model_->ResumeRow();
  PlayFile(playing <= 0 ? model_->Count() - 1 : playing - 1);
}

void TFilePlayer::NextBtnClick() {
  if (!model_) return;
  const int playing = model_->PlayingIndex();
  const int next = playing >= 0 ? playing + 1 : std::max(model_->ResumeRow(), 0);
  PlayFile(next < model_->Count() ? next : 0);
}

QString TFilePlayer::ElapsedText(double seconds) {
  const auto two = [](qint64 n) { return QStringLiteral("%1").arg(n, 2, 10, QLatin1Char('0')); };
  const auto s = static_cast<qint64>(std::max(0.0, seconds));
  return two(s / 3600) + QLatin1Char(':') + two(s / 60 % 60) + QLatin1Char(':') + two(s % 60);
}

void TFilePlayer::FileTimerTimer() {
  const zengine::Handle channel = station_->CurrentChannel;
  if (!channel) {
    Q_EMIT ElapsedChanged(QStringLiteral("00:00"));
    return;
  }
  // A paused file says so; the position stands still.
  Q_EMIT StatusChanged(face_ == TFileFace::Paused ? kPaused : kPlaying, false);
  const auto length = float(zengine::ChannelBytes2Seconds(channel, zengine::ChannelGetLength(channel)));
  const auto position = float(zengine::ChannelBytes2Seconds(channel, zengine::ChannelGetPosition(channel)));
  Q_EMIT ProgressChanged(length > 0 ? std::clamp(int(position * 100 / length), 0, 100) : 0);
  Q_EMIT ElapsedChanged(ElapsedText(position));
}

int TFilePlayer::SeekPercent(int x, int width) {
  if (width <= 4) return 0;
  const double p = std::nearbyint(100.0 * x / (width - 4));  // the default rounding: halves to even
  return int(std::clamp(p, 0.0, 100.0));
}

void TFilePlayer::SeekTo(int x, int width) {
  const zengine::Handle channel = station_->CurrentChannel;
  // Live streams have no position to move to: the bar shows their buffer.
  if (!channel || !Active()) return;
  const int percent = SeekPercent(x, width);
  Q_EMIT ProgressChanged(percent);
  const int64_t length = zengine::ChannelGetLength(channel);
  if (length <= 0) return;
  const auto bytes = static_cast<int64_t>(std::nearbyint(double(percent) * double(length) / 100.0));
  zengine::ChannelSetPosition(channel, bytes);
  FileTimerTimer();
}
