#include "recording/recorder.h"

#include <QFile>
#include <QFileInfo>
#include <QStorageInfo>

#include <cerrno>
#include <sys/stat.h>

namespace {

// The WMA writer's bit rate: 192 kbit/s when the codec offers it for the stream's rate,
// otherwise the highest rate it offers below that (low sample rates take no more).
int WmaBitRate(const std::vector<int>& rates) {
  int best = 0;
  for (int r : rates) {
    if (r == 192000) return r;
    if (r < 192000 && r > best) best = r;
  }
  return best ? best : 192000;
}

}  // namespace

TRecorder::TRecorder(QObject* parent) : QObject(parent) {
  clock_.setInterval(1000);
  connect(&clock_, &QTimer::timeout, this, &TRecorder::Tick);
}

TRecorder::~TRecorder() {
  // The files are completed; nobody is told any more.
  blockSignals(true);
  StopRecording();
}

QString TRecorder::ClockText(int seconds) {
  const auto two = [](int v) { return QStringLiteral("%1").arg(v, 2, 10, QLatin1Char('0')); };
  return two(seconds / 3600) + QLatin1Char(':') + two((seconds / 60) % 60) + QLatin1Char(':') + two(seconds % 60);
}

void TRecorder::Tick() {
  if (!Recording()) return;
  if (WritingFailed()) {
    EndFailedRecording();
    return;
  }
  ++recordSeconds_;
  Q_EMIT ElapsedChanged(ClockText(recordSeconds_));
}

bool TRecorder::WritingFailed() const {
  if (encoderHandle_) return zengine::EncodeIsActive(encoderHandle_) != 1;
  return wmaWriter_ && wmaFailed_ && wmaFailed_->load();
}

void TRecorder::EndFailedRecording() {
  const QString file = recordFile_;
  const QString name = QFileInfo(file).fileName();
  // Less than a few blocks left where the file lies: the disk is full (or the user's
  // share of it); otherwise the encoder or the file system refused the writes.
  QStorageInfo storage(QFileInfo(file).absolutePath());
  const bool full = storage.isValid() && storage.bytesAvailable() < (1 << 20);
  QString status, message;
  if (full) {
    status = QStringLiteral("Enregistrement arrêté : disque plein.");
    message = QStringLiteral("L'enregistrement s'est arrêté : le disque est plein.\n\nLe fichier « %1 » est "
                             "conservé jusqu'à ce point.")
                  .arg(name);
  } else {
    status = QStringLiteral("Enregistrement arrêté : erreur d'écriture.");
    message = QStringLiteral("L'enregistrement s'est arrêté : le fichier « %1 » ne peut plus être écrit.").arg(name);
  }
  // The file as written so far is complete (the writer finished it): it is handed on
  // like any other recording when it holds something.
  const bool kept = QFileInfo(file).size() > 0;
  clock_.stop();
  if (wmaWriter_) {
    if (wmaFeedHook_) zengine::ChannelRemoveDSPFromTitle(wmaChannel_, wmaFeedHook_);
    zengine::WmaEncodeClose(wmaWriter_);
    wmaWriter_ = 0;
    wmaFeedHook_ = 0;
    wmaChannel_ = 0;
  }
  if (encoderHandle_) {
    zengine::EncodeStop(encoderHandle_);
    encoderHandle_ = 0;
  }
  if (kept && !file.isEmpty()) Q_EMIT FileFinished(file);
  Q_EMIT RecordingHidden();
  Q_EMIT RecordingFailed(status, message);
}

bool TRecorder::StartRecording(const TRecordRequest& r) { return Start(r, false, false); }

bool TRecorder::StartTitleRecording(const TRecordRequest& request) {
  if (Recording()) StopRecording();
  return Start(request, true, false);
}

bool TRecorder::Start(const TRecordRequest& r, bool fromTitle, bool beganAtTitle) {
  const TRecordFormat format = RecordFormatOf(r.Format);
  recordFile_.clear();
  const TArtistSong names = SplitArtistSong(r.Title, r.Radio);
  // What the title hold kept of the song playing: a song longer than the hold begins
  // with the oldest sound kept, and the file's comment says so.
  zengine::HeldTitle held;
  const bool hasHold = fromTitle && zengine::ChannelGetHeldTitle(r.Channel, &held);
  QString comment;
  if (hasHold && held.truncated) {
    const int kept = qRound(held.seconds);
    comment = kept >= 60 ? QStringLiteral("Début du titre manquant : enregistré à partir des %1 dernières minutes "
                                          "gardées").arg(qRound(kept / 60.0))
                         : QStringLiteral("Début du titre manquant : enregistré à partir des %1 dernières secondes "
                                          "gardées").arg(kept);
  }

  // The station folder: only this last level is created, the recording folder must exist.
  const QString folder = StationFolder(r.RecordDir, r.Radio);
  if (!QFileInfo(folder).isDir()) {
    if (::mkdir(QFile::encodeName(folder).constData(), 0777) != 0) {
      Q_EMIT FolderFailed(QStringLiteral("I/O error %1").arg(errno));
      return false;
    }
  }

  const QString extension = QLatin1Char('.') + r.Format.toLower();
  // A title recording is named after its title, whatever the cutting.
  const bool byTitle = r.CutByTitle || fromTitle;
  QString base = RecordBaseName(folder, byTitle, r.Title, r.MetaDateStamp, r.MetaTimeStamp, extension, r.RecordOcc);
  const bool repeat = QFileInfo::exists(base + extension);
  base = NumberedBaseName(base, extension, r.RecordOcc, [](const QString& path) { return QFileInfo::exists(path); });
  const QString file = base + extension;

  bool started = false;
  if (format != TRecordFormat::Unknown && IsDirectlyInside(file, folder))
    started = StartFormat(format, r, names, file, fromTitle ? zengine::kEncodeFromTitle : 0, comment);
  if (!started) {
    StopRecording();
    Q_EMIT StartFailed(QStringLiteral("Encodage ") + r.Channels + QStringLiteral(" non supporté en ") + r.Format +
                       QStringLiteral(" !"));
    return false;
  }
  recordFile_ = file;
  recordSeconds_ = 0;
  thisTitle_ = fromTitle;
  // The clean rules judge the titles of a recording cut by title; a title the user asked
  // for is kept whatever they say.
  cleanApplies_ = r.CutByTitle && !fromTitle;
  clean_ = r.Clean;
  facts_ = TTrackFacts{};
  facts_.Title = r.Title;
  facts_.BeganAtTitle = beganAtTitle;
  facts_.Repeat = repeat;
  // The WAV writer has no tags while it writes: the comment goes in once it is done.
  wavComment_ = format == TRecordFormat::Wav ? comment : QString();
  started_.start();
  clock_.start();
  Q_EMIT RecordingShown(r.Format);
  return true;
}

bool TRecorder::StartFormat(TRecordFormat format, const TRecordRequest& r, const TArtistSong& names,
                            const QString& file, uint32_t extraFlags, const QString& comment) {
  const bool surround = r.Channels == QLatin1String("5.1");
  if (surround && RefusesSurround(format)) return false;
  // Cutting by title: the engine ends the file on the exact sample where the next title
  // begins and hands the sound after it to the next file.
  const uint32_t cut = (r.CutByTitle ? zengine::kEncodeCutAtTitle : 0) | extraFlags;
  if (format == TRecordFormat::Wav) {
    encoderHandle_ = zengine::EncodeStart(r.Channel, file.toStdString(), zengine::kEncodePcm | cut);
    return encoderHandle_ != 0;
  }
  if (format != TRecordFormat::Wma) {
    encoderHandle_ = zengine::EncodeStart(
        r.Channel, EncoderCommandLine(format, names.Artist, names.Song, file, comment).toStdString(), cut);
    return encoderHandle_ != 0;
  }
  const int rate = r.SampleRate.trimmed().toInt();
  const std::vector<int> rates = zengine::WmaEncodeGetRates(rate, 2, 0);
  if (rates.empty()) {
    Q_EMIT MessageBox(QStringLiteral("Impossible de trouver le codec WMA"));
    return false;
  }
  wmaWriter_ = zengine::WmaEncodeOpenFile(rate, 2, zengine::kWmaStandard | zengine::kWmaPro, WmaBitRate(rates),
                                          file.toStdString());
  if (!wmaWriter_) return false;
  zengine::WmaEncodeSetTag(wmaWriter_, "Author", names.Artist.toStdString());
  zengine::WmaEncodeSetTag(wmaWriter_, "Title", names.Song.toStdString());
  // "comment" is the description of the file's content description.
  if (!comment.isEmpty()) zengine::WmaEncodeSetTag(wmaWriter_, "comment", comment.toStdString());
  const zengine::Handle writer = wmaWriter_;
  wmaFailed_ = std::make_shared<std::atomic<bool>>(false);
  // WmaFeedProc, on the engine's playback thread: one write call. A write racing the
  // writer's close fails harmlessly (the engine checks the handle); a failure of a
  // write to the open file (a full disk) is noted for the recorder's clock.
  auto feed = [writer, failed = wmaFailed_](const float* samples, size_t frames, int chans, int hz) {
    if (!zengine::WmaEncodeWrite(writer, samples, frames, chans, hz)) failed->store(true);
  };
  // From the title: the held song is replayed into the writer first.
  wmaFeedHook_ = (extraFlags & zengine::kEncodeFromTitle) ? zengine::ChannelSetDSPFromTitle(r.Channel, feed)
                                                          : zengine::ChannelSetDSP(r.Channel, feed);
  wmaChannel_ = r.Channel;
  return wmaFeedHook_ != 0;
}

void TRecorder::FollowChannel(zengine::Handle channel) {
  if (encoderHandle_) {
    if (!zengine::EncodeSetChannel(encoderHandle_, channel)) StopRecording();
  } else if (wmaWriter_) {
    const zengine::Handle writer = wmaWriter_;
    // WmaFeedProc on the new channel's playback thread.
    const uint32_t hook = zengine::ChannelSetDSP(
        channel, [writer, failed = wmaFailed_](const float* samples, size_t frames, int chans, int hz) {
          if (!zengine::WmaEncodeWrite(writer, samples, frames, chans, hz) && failed) failed->store(true);
        });
    if (!hook) {
      StopRecording();
      return;
    }
    if (wmaFeedHook_) zengine::ChannelRemoveDSPFromTitle(wmaChannel_, wmaFeedHook_);
    wmaFeedHook_ = hook;
    wmaChannel_ = channel;
  }
}

void TRecorder::StopRecording() { Finish(false); }

void TRecorder::Finish(bool atTitle) {
  clock_.stop();
  bool finished = false;
  QString skipped;
  if (wmaWriter_) {
    // The hook goes first, so no write is under way while the file is completed.
    if (wmaFeedHook_) zengine::ChannelRemoveDSPFromTitle(wmaChannel_, wmaFeedHook_);
    zengine::WmaEncodeClose(wmaWriter_);
    finished = !recordFile_.isEmpty();
    wmaWriter_ = 0;
    wmaFeedHook_ = 0;
    wmaChannel_ = 0;
  }
  if (encoderHandle_) {
    const bool active = zengine::EncodeIsActive(encoderHandle_) == 1;
    // An encoder that ended by itself is freed too, but its file is not handed on.
    zengine::EncodeStop(encoderHandle_);
    finished = active && !recordFile_.isEmpty();
  }
  if (finished && !wavComment_.isEmpty()) AppendWavComment(recordFile_, wavComment_);
  wavComment_.clear();
  if (finished) {
    TCleanVerdict verdict = TCleanVerdict::Keep;
    if (cleanApplies_) {
      facts_.EndedAtTitle = atTitle;
      facts_.Seconds = started_.isValid() ? started_.elapsed() / 1000.0 : recordSeconds_;
      verdict = JudgeTrack(clean_, facts_);
    }
    if (verdict == TCleanVerdict::Keep) {
      Q_EMIT FileFinished(recordFile_);
    } else {
      // Only the file this recording created goes.
      QFile::remove(recordFile_);
      skipped = CleanVerdictText(verdict, facts_.Title);
    }
  }
  cleanApplies_ = false;
  Q_EMIT RecordingHidden();
  encoderHandle_ = 0;
  // After the stop's own status, so the user reads why the title was not kept.
  if (!skipped.isEmpty()) Q_EMIT TrackSkipped(skipped);
}

bool TRecorder::CutByTitle(const QString& previous, const QString& title, const TRecordRequest& request) {
  if (title.isEmpty() || title == previous || !request.CutByTitle) return false;
  if (thisTitle_ && Recording()) {
    // The song asked for has ended: the file ends with it (an encoder's on the exact
    // sample; a WMA file when the title is heard).
    thisTitle_ = false;
    Finish(true);
    Q_EMIT TitleRecordingEnded();
    return true;
  }
  if (!encoderHandle_) return false;
  Finish(true);
  Start(request, false, true);
  return true;
}
