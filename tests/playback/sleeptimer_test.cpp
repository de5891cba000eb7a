// The sleep timer on a clock the test moves: the time left and the fade's gain, the expiry
// told once, a time of day already past meaning tomorrow, and cancelling.
#include <gtest/gtest.h>

#include <QDateTime>

#include "playback/sleeptimer.h"

namespace {

TEST(SleepTimer, FadesOverTheLastTenSecondsThenExpiresOnce) {
  QDateTime now(QDate(2026, 12, 11), QTime(22, 0, 0));
  TSleepTimer t([&] { return now; });
  t.StartIn(15 * 60);
  struct Case {
    int afterMs;
    bool active;
    qint64 remaining;
    double gain;
    bool expired;
  } cases[] = {
      {0, true, 900, 1.0, false},          {60000, true, 840, 1.0, false},
      {889000, true, 11, 1.0, false},      {890000, true, 10, 1.0, false},
      {892500, true, 8, 0.75, false},      {895000, true, 5, 0.5, false},
      {899900, true, 1, 0.01, false},      {900000, false, 0, 0.0, true},
      {901000, false, 0, 1.0, false},  // told once, then off
  };
  const QDateTime start = now;
  for (const Case& c : cases) {
    now = start.addMSecs(c.afterMs);
    const TSleepTimer::TState s = t.Poll();
    EXPECT_EQ(s.Active, c.active) << c.afterMs;
    EXPECT_EQ(s.RemainingSeconds, c.remaining) << c.afterMs;
    EXPECT_NEAR(s.Gain, c.gain, 1e-9) << c.afterMs;
    EXPECT_EQ(s.Expired, c.expired) << c.afterMs;
  }
  EXPECT_FALSE(t.Active());
}

TEST(SleepTimer, ATimeOfDayAlreadyPastIsTomorrow) {
  QDateTime now(QDate(2026, 12, 11), QTime(23, 30, 0));
  TSleepTimer t([&] { return now; });
  t.StartAt(QTime(0, 15));
  EXPECT_EQ(t.Deadline(), QDateTime(QDate(2026, 12, 12), QTime(0, 15)));
  t.StartAt(QTime(23, 45));
  EXPECT_EQ(t.Deadline(), QDateTime(QDate(2026, 12, 11), QTime(23, 45)));
  t.StartAt(QTime(23, 30));  // now: the same time tomorrow, not an instant stop
  EXPECT_EQ(t.Deadline(), QDateTime(QDate(2026, 12, 12), QTime(23, 30)));
}

TEST(SleepTimer, CancelledItNeverExpires) {
  QDateTime now(QDate(2026, 12, 11), QTime(22, 0, 0));
  TSleepTimer t([&] { return now; });
  t.StartIn(30);
  t.Cancel();
  now = now.addSecs(60);
  const TSleepTimer::TState s = t.Poll();
  EXPECT_FALSE(s.Active);
  EXPECT_FALSE(s.Expired);
  EXPECT_EQ(s.Gain, 1.0);
}

TEST(SleepTimer, RemainingText) {
  EXPECT_EQ(TSleepTimer::RemainingText(899).toStdString(), "Arrêt programmé dans 14:59");
  EXPECT_EQ(TSleepTimer::RemainingText(5).toStdString(), "Arrêt programmé dans 00:05");
  EXPECT_EQ(TSleepTimer::RemainingText(3723).toStdString(), "Arrêt programmé dans 1:02:03");
}

}  // namespace
