// The sleep timer in the running program: its menu "Arrêt programmé" (15 to 90 minutes,
// a time of day, or cancel), shown in the station button's menu and the tray menu; the
// fade of the output volume over the last seconds; then playback and any recording stop
// (the recorder completes its file) and the volume comes back for the next listening.
// While it runs the status line's hint says how long is left.
//
// Tests shorten the minutes: ZOVALIS_TEST_MINUTE_SECONDS holds the seconds one menu
// minute lasts (60 when unset).
//
// Thread: interface thread only.
#pragma once

#include <QObject>
#include <QTime>
#include <QTimer>
#include <functional>
#include <optional>

#include "playback/sleeptimer.h"

class QAction;
class QMenu;
class TMainForm;

class TSleepRunner : public QObject {
  Q_OBJECT
 public:
  explicit TSleepRunner(TMainForm& form);

  // The menu, owned by the main window.
  QMenu* Menu() const { return menu_; }
  TSleepTimer& Timer() { return timer_; }

  // The menu's choices.
  void StartMinutes(int minutes);
  void StartAt(const QTime& at);
  void Cancel();

  // Asks the time of "à une heure ..."; nullopt when cancelled. Tests replace it.
  std::function<std::optional<QTime>()> AskTime;

 private:
  void Tick();
  void Began();
  void ShowRemaining(qint64 seconds);
  int BaseVolume() const;

  TMainForm& form_;
  TSleepTimer timer_;
  QTimer tick_;
  QMenu* menu_ = nullptr;
  QAction* cancel_ = nullptr;
  bool fading_ = false;
  int minuteSeconds_ = 60;
};
