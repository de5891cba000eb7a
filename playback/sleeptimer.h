// The sleep timer ("Arrêt programmé"): at a chosen moment playback and any recording stop
// while the program stays open. The sound fades out over the last seconds. A plain class
// driven by a clock that tests replace; the caller polls it a few times a second, applies
// the gain to the output volume and stops what plays when it expires.
//
// Core code: Qt Core only. Thread: the caller's (the interface thread).
#pragma once

#include <QDateTime>
#include <QString>
#include <QTime>
#include <functional>

class TSleepTimer {
 public:
  using TClock = std::function<QDateTime()>;
  // The fade lasts this long before the stop.
  static constexpr int kFadeSeconds = 10;

  explicit TSleepTimer(TClock clock);

  // Stops in `seconds` from now.
  void StartIn(qint64 seconds);
  // Stops at `at`, today when it is still to come, else tomorrow.
  void StartAt(const QTime& at);
  void Cancel();
  bool Active() const { return deadline_.isValid(); }
  QDateTime Deadline() const { return deadline_; }

  struct TState {
    bool Active = false;
    qint64 RemainingSeconds = 0;  // rounded up: 1 until the very end
    double Gain = 1.0;            // 1 until the fade, then down to 0 at the deadline
    bool Expired = false;         // the deadline has passed: stop now (reported once)
  };
  // The state now. Once it has reported the expiry the timer is off.
  TState Poll();

  // "Arrêt programmé dans 14:59" (or "1:02:03" beyond an hour).
  static QString RemainingText(qint64 seconds);

 private:
  TClock clock_;
  QDateTime deadline_;
};
