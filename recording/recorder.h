// The recorder: one recording at a time of the playing channel, in one of six formats.
// AAC, AC3, MP3 and OGG go through the encoder programs of the program folder's encoder/
// (the engine pipes the decoded sound into them), WAV is written by the engine itself,
// WMA by the engine's WMA writer fed from a sample hook on the channel.
//
// Core code: no widgets. The main window builds a TRecordRequest from the live settings
// and the now-playing station, calls StartRecording / StopRecording, and shows what the
// signals report, in the order they are emitted.
//
// Thread: interface thread only (the engine's stop calls wait for the encoders). The
// WMA hook runs on the engine's playback thread and only writes to the WMA writer.
#pragma once

#include <QObject>
#include <QString>
#include <QElapsedTimer>
#include <QTimer>

#include <atomic>
#include <memory>

#include "playback/engine/engine.h"
#include "recording/cleantracks.h"
#include "recording/recordnaming.h"

// What a start reads: the live recording settings and the now-playing station.
struct TRecordRequest {
  zengine::Handle Channel = 0;
  QString Radio, Title, SampleRate, Channels;  // the now-playing station record
  QString MetaDateStamp, MetaTimeStamp;        // stamps of the last metadata text
  QString RecordDir;                           // the recording folder (must exist)
  QString Format;                              // "AAC" ... "WMA"
  bool CutByTitle = true;
  int RecordOcc = 20;
  TCleanRules Clean;  // which files of a recording cut by title are kept
};

class TRecorder : public QObject {
  Q_OBJECT
 public:
  explicit TRecorder(QObject* parent = nullptr);
  ~TRecorder() override;

  // Starts a recording of request.Channel. True on success; on failure the signals have
  // told why (StartFailed or FolderFailed) and nothing records.
  bool StartRecording(const TRecordRequest& request);
  // "Enregistrer ce titre": records the song playing from its first sample (the sound
  // the channel's title hold kept, then the live sound), named after its title; with
  // cutting by title on, the recording stops at the song's end (CutByTitle), otherwise
  // it goes on until stopped. When the song is longer than the hold keeps, the file
  // begins with the oldest sound kept and its comment tag says so. Without a hold it
  // records from now. True on success, like StartRecording.
  bool StartTitleRecording(const TRecordRequest& request);
  // The running recording is a "this title" one.
  bool RecordingTitle() const { return Recording() && thisTitle_; }

  // Ends any recording and hands the finished file on (FileFinished), unless the clean
  // rules drop it (TrackSkipped). Harmless when nothing records.
  void StopRecording();

  // A recording runs (an encoder, or a WMA writer with its hook).
  bool Recording() const { return encoderHandle_ != 0 || wmaWriter_ != 0; }
  // An encoder recording runs: only those are cut by title (a WMA recording goes on).
  bool HasEncoder() const { return encoderHandle_ != 0; }
  // Full path of the file being (or last) recorded; emptied when a start begins.
  QString RecordFile() const { return recordFile_; }
  int RecordSeconds() const { return recordSeconds_; }

  // The cut by title: when `title` is new, not empty, differs from `previous` and an
  // encoder recording runs with cutting on, the file ends and the next one starts under
  // the new title. True when it cut.
  bool CutByTitle(const QString& previous, const QString& title, const TRecordRequest& request);

  // A dropped station was reconnected on `channel`: the recording goes on in the same
  // file with the new channel's sound. When it cannot (another sound format), the file
  // is completed as it stands.
  void FollowChannel(zengine::Handle channel);

  // Adds one second to the recording time and reports it; run each second by the
  // recorder's own clock while a recording runs (tests call it directly). A recording
  // whose writing failed on its own (a full disk, an encoder that died) is ended here:
  // its file as written so far is handed on, and RecordingFailed tells why.
  void Tick();

  // "hh:mm:ss" of a count of seconds.
  static QString ClockText(int seconds);

 Q_SIGNALS:
  // A start succeeded: the format label, "00:00:00" and the status line.
  void RecordingShown(const QString& format);
  // The recording labels hide; the status line reads "Enregistrement Stoppé.".
  void RecordingHidden();
  void ElapsedChanged(const QString& text);
  // A finished file, for the playlist.
  void FileFinished(const QString& path);
  // A start yielded no encoder: red status, this message in a box, a beep, idle face.
  void StartFailed(const QString& message);
  // An information box shown before StartFailed ("Impossible de trouver le codec WMA").
  void MessageBox(const QString& message);
  // The station folder could not be created: the error box text; nothing records.
  void FolderFailed(const QString& message);
  // A running recording ended because its file could no longer be written (after
  // RecordingHidden): `status` for the status line, `message` for a box.
  void RecordingFailed(const QString& status, const QString& message);
  // A finished file the clean rules did not keep was deleted: the status line's text.
  void TrackSkipped(const QString& status);
  // A "this title" recording ended at the song's end (after RecordingHidden).
  void TitleRecordingEnded();

 private:
  // The start of StartRecording and StartTitleRecording.
  bool Start(const TRecordRequest& r, bool fromTitle, bool beganAtTitle);
  bool StartFormat(TRecordFormat format, const TRecordRequest& r, const TArtistSong& names, const QString& file,
                   uint32_t extraFlags, const QString& comment);
  // StopRecording; `atTitle` when the file ends where the next title begins.
  void Finish(bool atTitle);
  // Whether the running recording can no longer write its file.
  bool WritingFailed() const;
  // Ends a recording whose writing failed and tells why.
  void EndFailedRecording();

  zengine::Handle encoderHandle_ = 0;
  zengine::Handle wmaWriter_ = 0;
  uint32_t wmaFeedHook_ = 0;
  // Set by the WMA hook (playback thread) when a write fails.
  std::shared_ptr<std::atomic<bool>> wmaFailed_;
  zengine::Handle wmaChannel_ = 0;
  // The running file, for the clean rules.
  bool thisTitle_ = false;
  bool cleanApplies_ = false;  // cut by title, started by the button or a cut
  TTrackFacts facts_;
  TCleanRules clean_;
  QString wavComment_;  // the comment a WAV file gets once finished
  QElapsedTimer started_;
  QString recordFile_;
  int recordSeconds_ = 0;
  QTimer clock_;  // one tick a second while a recording runs
};
