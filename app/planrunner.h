// Planned recordings in the running program: the list read from the data folder at start,
// the scheduler polled twice a second, and what it decides done with the station player
// and the recorder through the main window (so the face, the cut by title and the
// finished files behave as for the record button). The user is told on the status line,
// by a balloon, and for what needs an answer (a plan missed or failed, a damaged list) by
// a message window that does not block the program.
//
// Each text told is also written to the log category "zovalis.plan" (info level).
//
// Thread: interface thread only.
#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <memory>

#include "recording/recordscheduler.h"

class QMessageBox;
class TCatalogue;
class TMainForm;
class TRecorder;
class TStationPlayer;

class TPlanRunner : public QObject {
  Q_OBJECT
 public:
  TPlanRunner(TMainForm& form, TStationPlayer& player, TRecorder& recorder, TCatalogue& catalogue,
              const QString& dataFolder, QObject* parent = nullptr);
  ~TPlanRunner() override;

  // Reads the list and starts polling.
  void Start();

  TRecordScheduler& Scheduler() { return scheduler_; }
  // Saves the list after an edit of the page and tells the page.
  void Edited();
  // The stations of the current tuner, by name, with their addresses (the editor's list).
  std::vector<std::pair<QString, QString>> Stations() const;
  QString FilePath() const { return path_; }

 Q_SIGNALS:
  // The plans or their states changed (the page shows them again).
  void PlansChanged();

 private:
  void Tick();
  void Do(const TPlanAction& action);
  void Tune(const TRecordPlan& plan);
  void StartRecording();
  void EndActive(bool stopPlayback);
  void Fail(const QString& why);
  void Tell(const QString& text, bool error, bool window);
  void Save();
  bool PlayingStation(const QString& station) const;

  TMainForm& form_;
  TStationPlayer& player_;
  TRecorder& recorder_;
  TCatalogue& catalogue_;
  QString path_;
  TRecordScheduler scheduler_;
  QTimer timer_;
  bool inTick_ = false;
  bool shown_ = false;  // the main window has shown: polls run from then on

  // The plan being recorded: its identity, whether its recording has started, whether the
  // program tuned its station for it (then playback stops at its end), and whether it
  // waits for its station's connection.
  QString active_;
  bool recording_ = false;
  bool tunedForPlan_ = false;
  bool awaitingConnection_ = false;
  int connectionWaitTicks_ = 0;
  QString recordFailure_;  // the recorder's reason when its start or its writing failed
  // The last station tuned ahead and whether the user played it already.
  QString tunedAhead_;
  QPointer<QMessageBox> notice_;
};
