// TFilePlayer: local playback of the playlist's rows through the main window's shared
// channel and buttons: PlayFile, the advance at the end of a file, the file side of
// Play/Pause, Previous and Next (both wrap), the once-a-second position display and
// seeking on the progress bar. Core code: no widgets. Every display change is a signal
// on the interface thread; the main window shows them.
//
// The channel is the station player's CurrentChannel, so StopAll (Stop button, a station
// opened, the last row's end) stops files as well; the file timer stops with it.
//
// Threads: the object lives on the interface thread. The engine's end-of-file callback
// runs on an engine thread and only posts the advance here, with the channel it ended:
// an advance for a channel that is no longer playing is dropped. Stream rows (addresses
// from M3U lists) are opened on a worker thread whose channel is posted back with the
// serial of its PlayFile; one that arrives after another row was chosen is freed.
#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <atomic>
#include <functional>
#include <memory>
#include <thread>
#include <vector>

#include "localfiles/playlistmodel.h"
#include "playback/engine/engine.h"

class TStationPlayer;

// What the main window shows of the row being played, copied from the row.
struct TCurrentFile {
  QString FileName, StreamType, BitRate, SampleRate, Channels, Artist, Title, Duration;
};

// The Play button's faces on the file side: playing (3, -1, -1), paused (1, -1, -1),
// ready (1, 2, 0). Stop is active while playing or paused.
enum class TFileFace { Playing, Paused, Ready };

class TFilePlayer : public QObject {
  Q_OBJECT
 public:
  TFilePlayer(TStationPlayer* station, TPlaylistModel* model, QObject* parent = nullptr);
  ~TFilePlayer() override;

  std::function<QString()> PlaylistName;  // the playlist window's name label
  std::function<bool()> BalloonsOn;       // the configuration's balloon box

  TCurrentFile CurrentFile;

  void PlayFile(int index);
  void PlayBtnClick();
  void PrevBtnClick();
  void NextBtnClick();
  void FileTimerTimer();
  // ProgressBarMouseDown/Move with the left button held: `x` pixels from the bar's left
  // edge of a bar `width` pixels wide.
  void SeekTo(int x, int width);

  bool FileTimerActive() const { return fileTimer_.isActive(); }
  TFileFace Face() const { return face_; }
  bool Active() const;  // PlayMode is "File"

  // The bar position (0-100) a press at `x` on a bar `width` wide asks for: rounded to
  // the nearest, halves to even, kept within 0-100.
  static int SeekPercent(int x, int width);
  // "hh:mm:ss" of a time in seconds.
  static QString ElapsedText(double seconds);

 Q_SIGNALS:
  void StatusChanged(const QString& text, bool error);
  void BusyChanged(bool busy);
  void FaceChanged(TFileFace face);
  void TitleShown(const QString& title);
  void RadioNameChanged(const QString& name);
  void StreamInfoShown(const QString& type, const QString& bitRate, const QString& rate, const QString& channels);
  // The station picture: "AudioCD.png" or "AudioFile.png" of the skin; the flag, genre
  // and country are emptied with it.
  void PictureChanged(const QString& skinPicture);
  void HintsChanged(const QString& previous, const QString& next);
  void ProgressChanged(int percent);
  void ElapsedChanged(const QString& text);
  void Balloon(const QString& title, const QString& text);
  // The playlist selects the row and scrolls it into view.
  void RowShown(int index);

 private:
  void EndSyncProc(zengine::Handle channel);  // posted from the engine thread
  void SetFace(TFileFace face);
  // "Liste de lecture : <name> (<index + 1>/<count>)"; without the place when index < 0.
  QString ListCaption(int index) const;
  void Stopped();
  zengine::Handle Open(const TPlaylistRow& row);  // a file or CD track
  // Step 7 of PlayFile once the channel is open (0: it failed with `error`).
  void Started(zengine::Handle channel, int error);
  void StartStreamOpen(const QString& url, quint64 serial);

  TStationPlayer* station_;
  QPointer<TPlaylistModel> model_;  // the playlist window's; it may go first at exit
  QTimer fileTimer_;
  TFileFace face_ = TFileFace::Ready;
  // Each PlayFile has its serial; a stream opened for an earlier one is dropped.
  quint64 openSerial_ = 0;
  struct TWorker {
    std::thread Thread;
    std::shared_ptr<std::atomic<bool>> Done;
  };
  std::vector<TWorker> workers_;
};
