// Planned recordings without a window or a server: the next and latest occurrence of each
// repetition, the scheduler's decisions on a clock the test moves (start, end, overlap,
// missed while closed, late start, edits of the running plan, failures), and the list's
// file (round trip, damaged file kept aside, bad entries skipped).
#include <gtest/gtest.h>

#include "support/qtprint.h"

#include <QFile>
#include <QTemporaryDir>

#include "recording/planlistmodel.h"
#include "recording/recordplan.h"
#include "recording/recordscheduler.h"

namespace {

// Friday 11 December 2026.
QDateTime At(int day, int hour, int minute, int second = 0) {
  return QDateTime(QDate(2026, 12, day), QTime(hour, minute, second), Qt::LocalTime);
}

TRecordPlan Plan(const QString& id, TPlanRepeat repeat, const QDateTime& start, int seconds) {
  TRecordPlan p;
  p.Id = id;
  p.Station = QStringLiteral("Radio ") + id;
  p.Url = QStringLiteral("http://127.0.0.1:9/") + id;
  p.Start = start;
  p.Repeat = repeat;
  p.DurationSeconds = seconds;
  return p;
}

TEST(RecordPlan, NextOccurrenceOfEachRepetition) {
  // The plan's first occurrence: Friday 11/12 at 07:00.
  const QDateTime first = At(11, 7, 0);
  struct Case {
    const char* name;
    TPlanRepeat repeat;
    QDateTime from;
    QDateTime next;  // invalid: none
  } cases[] = {
      {"once, before", TPlanRepeat::Once, At(10, 23, 0), first},
      {"once, at its second", TPlanRepeat::Once, first, first},
      {"once, past", TPlanRepeat::Once, At(11, 7, 0, 1), QDateTime()},
      {"daily, same day later", TPlanRepeat::Daily, At(11, 8, 0), At(12, 7, 0)},
      {"daily, before the first day", TPlanRepeat::Daily, At(1, 12, 0), first},
      {"weekdays, Friday after: Monday", TPlanRepeat::Weekdays, At(11, 7, 30), At(14, 7, 0)},
      {"weekdays, Saturday: Monday", TPlanRepeat::Weekdays, At(12, 6, 0), At(14, 7, 0)},
      {"weekdays, Monday before the time", TPlanRepeat::Weekdays, At(14, 6, 59), At(14, 7, 0)},
      {"weekly, next Friday", TPlanRepeat::Weekly, At(11, 7, 1), At(18, 7, 0)},
      {"weekly, Thursday", TPlanRepeat::Weekly, At(17, 23, 0), At(18, 7, 0)},
  };
  for (const Case& c : cases) {
    const std::optional<QDateTime> next = NextOccurrence(Plan("a", c.repeat, first, 3600), c.from);
    if (c.next.isValid()) {
      ASSERT_TRUE(next.has_value()) << c.name;
      EXPECT_EQ(*next, c.next) << c.name;
    } else {
      EXPECT_FALSE(next.has_value()) << c.name;
    }
  }
}

TEST(RecordPlan, LatestOccurrenceOfEachRepetition) {
  const QDateTime first = At(11, 7, 0);
  struct Case {
    const char* name;
    TPlanRepeat repeat;
    QDateTime at;
    QDateTime latest;
  } cases[] = {
      {"once, before", TPlanRepeat::Once, At(11, 6, 59), QDateTime()},
      {"once, long after", TPlanRepeat::Once, At(30, 0, 0), first},
      {"daily, before the first", TPlanRepeat::Daily, At(10, 8, 0), QDateTime()},
      {"daily, next morning early", TPlanRepeat::Daily, At(12, 6, 0), first},
      {"weekdays, Sunday: Friday", TPlanRepeat::Weekdays, At(13, 12, 0), first},
      {"weekdays, Tuesday noon", TPlanRepeat::Weekdays, At(15, 12, 0), At(15, 7, 0)},
      {"weekly, Thursday: last Friday", TPlanRepeat::Weekly, At(17, 12, 0), first},
  };
  for (const Case& c : cases) {
    const std::optional<QDateTime> latest = LatestOccurrence(Plan("a", c.repeat, first, 3600), c.at);
    if (c.latest.isValid()) {
      ASSERT_TRUE(latest.has_value()) << c.name;
      EXPECT_EQ(*latest, c.latest) << c.name;
    } else {
      EXPECT_FALSE(latest.has_value()) << c.name;
    }
  }
}

// A scheduler on a clock the test sets, with the actions of each poll as short texts:
// "tune a", "start a", "start a late", "stop a", "wait a b", "missed a", "missed a closed".
class PlanScheduler : public ::testing::Test {
 protected:
  QDateTime now_ = At(11, 12, 0);
  TRecordScheduler s_{[this] { return now_; }};

  QStringList Poll(const QDateTime& at, const QString& busy = QString()) {
    now_ = at;
    QStringList out;
    for (const TPlanAction& a : s_.Poll(busy)) {
      switch (a.What) {
        case TPlanAction::Kind::Tune: out << "tune " + a.Id; break;
        case TPlanAction::Kind::Start: out << "start " + a.Id + (a.Late ? " late" : ""); break;
        case TPlanAction::Kind::Stop: out << "stop " + a.Id; break;
        case TPlanAction::Kind::Wait: out << "wait " + a.Id + " " + a.Other; break;
        case TPlanAction::Kind::Missed: out << "missed " + a.Id + (a.Closed ? " closed" : ""); break;
      }
    }
    return out;
  }
  TPlanState State(const QString& id) const { return s_.Find(id)->State; }
};

TEST_F(PlanScheduler, TunesAheadStartsOnTimeAndStopsAtItsEnd) {
  s_.Add(Plan("a", TPlanRepeat::Once, At(11, 12, 1), 30));
  EXPECT_EQ(Poll(At(11, 12, 0, 30)), QStringList());
  EXPECT_EQ(Poll(At(11, 12, 0, 51)), QStringList({"tune a"}));
  EXPECT_EQ(Poll(At(11, 12, 0, 52)), QStringList());  // tuned once
  EXPECT_EQ(Poll(At(11, 12, 1, 0)), QStringList({"start a"}));
  EXPECT_EQ(State("a"), TPlanState::Running);
  EXPECT_EQ(s_.ActiveEnd(), At(11, 12, 1, 30));
  EXPECT_EQ(Poll(At(11, 12, 1, 29)), QStringList());
  EXPECT_EQ(Poll(At(11, 12, 1, 30)), QStringList({"stop a"}));
  EXPECT_EQ(State("a"), TPlanState::Done);
  EXPECT_EQ(Poll(At(11, 12, 5, 0)), QStringList());
}

TEST_F(PlanScheduler, ARepeatedPlanRecordsEachOccurrenceOnce) {
  s_.Add(Plan("d", TPlanRepeat::Daily, At(11, 12, 1), 60));
  EXPECT_EQ(Poll(At(11, 12, 1, 0)), QStringList({"start d"}));
  EXPECT_EQ(Poll(At(11, 12, 2, 0)), QStringList({"stop d"}));
  EXPECT_EQ(Poll(At(12, 12, 1, 0)), QStringList({"start d"}));
  EXPECT_EQ(s_.ActiveEnd(), At(12, 12, 2, 0));
}

TEST_F(PlanScheduler, OverlappingPlansTheLaterWaitsAndTheUserIsToldOnce) {
  s_.Add(Plan("a", TPlanRepeat::Once, At(11, 12, 1), 120));
  s_.Add(Plan("b", TPlanRepeat::Once, At(11, 12, 2), 120));
  EXPECT_EQ(Poll(At(11, 12, 1, 0)), QStringList({"start a"}));
  EXPECT_EQ(Poll(At(11, 12, 2, 0)), QStringList({"wait b Radio a"}));
  EXPECT_EQ(Poll(At(11, 12, 2, 30)), QStringList());
  // The first ends; the second starts for what is left of its time, and says it is late.
  EXPECT_EQ(Poll(At(11, 12, 3, 0)), QStringList({"stop a", "start b late"}));
  EXPECT_EQ(s_.ActiveEnd(), At(11, 12, 4, 0));
  EXPECT_EQ(Poll(At(11, 12, 4, 0)), QStringList({"stop b"}));
}

TEST_F(PlanScheduler, AWaitingPlanWhoseTimeRunsOutIsMissed) {
  s_.Add(Plan("a", TPlanRepeat::Once, At(11, 12, 1), 600));
  s_.Add(Plan("b", TPlanRepeat::Once, At(11, 12, 2), 60));
  EXPECT_EQ(Poll(At(11, 12, 1, 0)), QStringList({"start a"}));
  EXPECT_EQ(Poll(At(11, 12, 2, 0)), QStringList({"wait b Radio a"}));
  EXPECT_EQ(Poll(At(11, 12, 3, 0)), QStringList({"missed b"}));
  EXPECT_EQ(State("b"), TPlanState::Missed);
  EXPECT_EQ(Poll(At(11, 12, 4, 0)), QStringList());
}

TEST_F(PlanScheduler, TheUsersOwnRecordingMakesAPlanWait) {
  s_.Add(Plan("a", TPlanRepeat::Once, At(11, 12, 1), 120));
  EXPECT_EQ(Poll(At(11, 12, 0, 55), "Radio X"), QStringList());  // not tuned while the user records
  EXPECT_EQ(Poll(At(11, 12, 1, 0), "Radio X"), QStringList({"wait a Radio X"}));
  EXPECT_EQ(Poll(At(11, 12, 1, 30)), QStringList({"start a late"}));
}

// A list saved by one run and read by the next: the state travels through the file.
TEST_F(PlanScheduler, MissedWhileClosedIsReportedOnceAcrossRestarts) {
  TRecordPlan missed = Plan("m", TPlanRepeat::Daily, At(10, 8, 0), 600);
  missed.Since = At(9, 0, 0);
  TRecordPlan running = Plan("r", TPlanRepeat::Once, At(11, 11, 30), 3600);
  running.Since = At(9, 0, 0);
  TRecordPlan future = Plan("f", TPlanRepeat::Once, At(11, 18, 0), 60);
  future.Since = At(9, 0, 0);
  s_.SetPlans({missed, running, future});
  // Opened at noon on the 11th: the 08:00 occurrence of the 11th was missed (the 10th's
  // too, but only the latest is told); r began at 11:30 and runs until 12:30: it starts late.
  EXPECT_EQ(Poll(At(11, 12, 0)), QStringList({"missed m closed", "start r late"}));
  EXPECT_EQ(State("m"), TPlanState::Missed);
  EXPECT_EQ(s_.Find("m")->Last, At(11, 8, 0));
  ASSERT_TRUE(s_.TakeChanged());

  // The program ends while r records; the next run reads the saved list.
  QString error;
  std::optional<std::vector<TRecordPlan>> saved = ReadPlans(WritePlans(s_.Plans()), &error);
  ASSERT_TRUE(saved) << error.toStdString();
  TRecordScheduler next([this] { return now_; });
  next.SetPlans(*saved);
  EXPECT_EQ(next.Find("r")->State, TPlanState::Interrupted);
  now_ = At(11, 12, 10);
  EXPECT_TRUE(next.Poll().empty());  // nothing told twice, nothing started again
  now_ = At(11, 18, 0);
  ASSERT_EQ(next.Poll().size(), 1u);
}

TEST_F(PlanScheduler, APlanMadeDuringItsTimeStartsAndOlderOnesAreNotItsOwn) {
  // Made at 12:00:30 for 12:00 (the editor shows minutes), for ten minutes: starts at once.
  now_ = At(11, 12, 0, 30);
  s_.Add(Plan("n", TPlanRepeat::Once, At(11, 12, 0), 600));
  EXPECT_EQ(Poll(At(11, 12, 0, 31)), QStringList({"start n"}));
  // A daily plan made at noon for 08:00: this morning's occurrence is not missed.
  s_.Add(Plan("d", TPlanRepeat::Daily, At(1, 8, 0), 600));
  EXPECT_EQ(Poll(At(11, 12, 1)), QStringList());
  EXPECT_EQ(State("d"), TPlanState::Waiting);
}

TEST_F(PlanScheduler, ChangingOrDeletingTheRunningPlanStopsIt) {
  s_.Add(Plan("a", TPlanRepeat::Once, At(11, 12, 1), 600));
  s_.Add(Plan("b", TPlanRepeat::Once, At(11, 12, 1), 600));
  EXPECT_EQ(Poll(At(11, 12, 1)), QStringList({"start a", "wait b Radio a"}));
  TRecordPlan changed = s_.Plans()[0];
  changed.Start = At(11, 20, 0);
  s_.Replace(0, changed);
  EXPECT_EQ(Poll(At(11, 12, 2)), QStringList({"stop a", "start b late"}));
  s_.Remove(1);
  EXPECT_EQ(Poll(At(11, 12, 3)), QStringList({"stop b"}));
  EXPECT_EQ(s_.ActiveId(), QString());
}

TEST_F(PlanScheduler, AFailedPlanIsMarkedAndFreesTheRecorder) {
  s_.Add(Plan("a", TPlanRepeat::Once, At(11, 12, 1), 600));
  s_.Add(Plan("b", TPlanRepeat::Once, At(11, 12, 2), 600));
  EXPECT_EQ(Poll(At(11, 12, 1)), QStringList({"start a"}));
  s_.Failed("a", "la radio ne répond pas.");
  EXPECT_EQ(State("a"), TPlanState::Failed);
  EXPECT_EQ(s_.Find("a")->Note, "la radio ne répond pas.");
  EXPECT_EQ(Poll(At(11, 12, 2)), QStringList({"start b"}));  // not started again
}

TEST(PlanFile, RoundTripKeepsEveryField) {
  TRecordPlan p = Plan("x", TPlanRepeat::Weekdays, At(11, 7, 0, 15), 5400);
  p.Station = QStringLiteral("Radio « été » & co");
  p.Format = QStringLiteral("OGG");
  p.CutByTitle = false;
  p.Since = At(10, 9, 0);
  p.Last = At(11, 7, 0, 15);
  p.State = TPlanState::Failed;
  p.Note = QStringLiteral("la radio ne répond pas.");
  QString error;
  const auto read = ReadPlans(WritePlans({p}), &error);
  ASSERT_TRUE(read) << error.toStdString();
  ASSERT_EQ(read->size(), 1u);
  const TRecordPlan& r = read->front();
  EXPECT_EQ(r.Id, p.Id);
  EXPECT_EQ(r.Station, p.Station);
  EXPECT_EQ(r.Url, p.Url);
  EXPECT_EQ(r.Start, p.Start);
  EXPECT_EQ(r.Repeat, p.Repeat);
  EXPECT_EQ(r.DurationSeconds, p.DurationSeconds);
  EXPECT_EQ(r.Format, p.Format);
  EXPECT_EQ(r.CutByTitle, p.CutByTitle);
  EXPECT_EQ(r.Since, p.Since);
  EXPECT_EQ(r.Last, p.Last);
  EXPECT_EQ(r.State, p.State);
  EXPECT_EQ(r.Note, p.Note);
  EXPECT_TRUE(error.isEmpty());
}

TEST(PlanFile, BadEntriesAreSkippedAndNamedTheOthersKept) {
  const QByteArray text = R"({"version":1,"plans":[
    {"id":"1","station":"Bonne","start":"2026-12-11T07:00:00","repeat":"daily","duration":60,"format":"MP3"},
    {"id":"2","station":"Sans heure","start":"demain","repeat":"daily","duration":60,"format":"MP3"},
    {"id":"3","station":"Trop longue","start":"2026-12-11T07:00:00","repeat":"once","duration":999999,"format":"MP3"},
    {"id":"4","station":"Format","start":"2026-12-11T07:00:00","repeat":"once","duration":60,"format":"FLAC"},
    {"id":"5","station":"Répétition","start":"2026-12-11T07:00:00","repeat":"monthly","duration":60,"format":"WAV"},
    "pas un objet"]})";
  QString error;
  const auto read = ReadPlans(text, &error);
  ASSERT_TRUE(read);
  ASSERT_EQ(read->size(), 1u);
  EXPECT_EQ(read->front().Station, "Bonne");
  for (const char* name : {"Sans heure", "Trop longue", "Format", "Répétition", "n° 6"})
    EXPECT_TRUE(error.contains(QString::fromUtf8(name))) << name << " / " << error.toStdString();
}

TEST(PlanFile, ADamagedFileIsKeptAsideWithAClearMessage) {
  QTemporaryDir dir;
  const QString path = dir.filePath("programmation.json");
  struct Case {
    const char* name;
    QByteArray bytes;
  } cases[] = {{"cut short", R"({"version":1,"plans":[{"id":"1","sta)"},
               {"not a list", R"({"version":1,"plans":7})"},
               {"binary", QByteArray("\x00\xff\xfe garbage", 12)},
               {"huge", QByteArray(kMaxPlansFileBytes + 10, ' ')}};
  for (const Case& c : cases) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(c.bytes);
    f.close();
    QString error;
    EXPECT_TRUE(LoadPlansFile(path, &error).empty()) << c.name;
    EXPECT_TRUE(error.contains("endommagé")) << c.name << ": " << error.toStdString();
    QFile aside(path + ".illisible");
    ASSERT_TRUE(aside.open(QIODevice::ReadOnly)) << c.name;
    EXPECT_EQ(aside.readAll(), c.bytes) << c.name;
  }
  // Saving afterwards writes a sound list and leaves the damaged copy alone.
  ASSERT_EQ(SavePlansFile(path, {Plan("a", TPlanRepeat::Once, At(11, 7, 0), 60)}), QString());
  QString error;
  EXPECT_EQ(LoadPlansFile(path, &error).size(), 1u);
  EXPECT_TRUE(error.isEmpty()) << error.toStdString();
  EXPECT_TRUE(QFile::exists(path + ".illisible"));
  // A missing file is an empty list, without a message.
  EXPECT_TRUE(LoadPlansFile(dir.filePath("absent.json"), &error).empty());
  EXPECT_TRUE(error.isEmpty());
}

TEST(PlanFile, ASaveThatCannotWriteSaysSoAndKeepsTheOldFile) {
  QTemporaryDir dir;
  const QString path = dir.filePath("sous/programmation.json");  // its folder is missing
  EXPECT_TRUE(SavePlansFile(path, {}).startsWith("Impossible d'enregistrer les programmations"));
}

TEST(PlanList, RowsShowTheNextStartAndTheState) {
  QDateTime now = At(11, 12, 0);
  TRecordScheduler s([&] { return now; });
  TRecordPlan daily = Plan("d", TPlanRepeat::Daily, At(1, 8, 0), 5400);
  daily.Format = "MP3";
  daily.CutByTitle = true;
  s.SetPlans({daily});
  TPlanListModel model(s);
  ASSERT_EQ(model.rowCount(), 1);
  const auto cell = [&](int column) { return model.index(0, column).data().toString(); };
  EXPECT_EQ(cell(TPlanListModel::Station), "Radio d");
  const auto hint = [&](int column) { return model.index(0, column).data(Qt::ToolTipRole).toString(); };
  EXPECT_EQ(cell(TPlanListModel::When), "sam. 12/12 08:00");
  EXPECT_EQ(hint(TPlanListModel::When), "samedi 12/12/2026 à 08:00");
  EXPECT_EQ(cell(TPlanListModel::Repeat), "Quotidien");
  EXPECT_EQ(hint(TPlanListModel::Repeat), "Tous les jours");
  EXPECT_EQ(cell(TPlanListModel::Duration), "1 h 30");
  EXPECT_EQ(cell(TPlanListModel::Format), "MP3");
  EXPECT_EQ(hint(TPlanListModel::Format), "Un fichier par titre");
  EXPECT_EQ(cell(TPlanListModel::State), "Prévu");
}

}  // namespace
