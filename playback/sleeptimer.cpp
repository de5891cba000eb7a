#include "playback/sleeptimer.h"

#include <algorithm>

TSleepTimer::TSleepTimer(TClock clock) : clock_(std::move(clock)) {}

void TSleepTimer::StartIn(qint64 seconds) {
  deadline_ = clock_().addSecs(std::max<qint64>(seconds, 0));
}

void TSleepTimer::StartAt(const QTime& at) {
  const QDateTime now = clock_();
  QDateTime when(now.date(), at, now.timeSpec());
  if (when <= now) when = when.addDays(1);
  deadline_ = when;
}

void TSleepTimer::Cancel() {
  deadline_ = QDateTime();
}

TSleepTimer::TState TSleepTimer::Poll() {
  TState s;
  if (!deadline_.isValid()) return s;
  const qint64 leftMs = clock_().msecsTo(deadline_);
  if (leftMs <= 0) {
    deadline_ = QDateTime();
    s.Expired = true;
    s.Gain = 0.0;
    return s;
  }
  s.Active = true;
  s.RemainingSeconds = (leftMs + 999) / 1000;
  s.Gain = std::min(1.0, double(leftMs) / (kFadeSeconds * 1000.0));
  return s;
}

QString TSleepTimer::RemainingText(qint64 seconds) {
  const qint64 h = seconds / 3600, m = (seconds % 3600) / 60, sec = seconds % 60;
  const QString clock = h > 0 ? QStringLiteral("%1:%2:%3")
                                    .arg(h)
                                    .arg(m, 2, 10, QLatin1Char('0'))
                                    .arg(sec, 2, 10, QLatin1Char('0'))
                              : QStringLiteral("%1:%2").arg(m, 2, 10, QLatin1Char('0')).arg(sec, 2, 10, QLatin1Char('0'));
  return QStringLiteral("Arrêt programmé dans ") + clock;
}
