// The rules of planned recordings, as a plain class driven by a clock that tests replace.
// Poll() looks at the time and says what to do: tune a station shortly before its plan,
// start a plan's recording, stop it at its end, tell the user that a plan waits behind
// another recording or was missed. The caller does it (app/planrunner.h) and reports back
// what failed or was stopped by hand.
//
// Rules:
// - One recording at a time. A plan that comes while another plan (or the user's own
//   recording, `busy`) records waits, and the user is told once; it starts when the other
//   ends if its own time is not over by then, else it is missed.
// - An occurrence dealt with (started, missed, failed) is remembered in the plan (`Last`),
//   which the caller saves: it is never dealt with twice, even across restarts.
// - An occurrence whose time was entirely spent while the program was closed is reported
//   missed at the first poll, once; one whose time is still running when the program
//   opens starts late, and says so. Only the latest occurrence of a plan is reported.
// - Occurrences that began before a plan was made or changed (`Since`) are not its own,
//   except one still running when the plan is saved: that starts at once.
//
// Core code: Qt Core only. Thread: the caller's (the interface thread).
#pragma once

#include <QDateTime>
#include <QSet>
#include <QString>
#include <functional>
#include <vector>

#include "recording/recordplan.h"

struct TPlanAction {
  enum class Kind {
    Tune,    // play the plan's station now: its recording starts soon
    Start,   // start the plan's recording (its station, format, cut), ending at End
    Stop,    // end the plan's recording (its time is over, or it was changed or deleted)
    Wait,    // the plan's time has come but `Other` records: it waits
    Missed,  // the occurrence passed unrecorded (`Closed`: the program was closed)
  };
  Kind What = Kind::Tune;
  QString Id;
  QDateTime Occurrence;
  QDateTime End;
  QString Other;        // Wait: what records meanwhile (a station's name)
  bool Late = false;    // Start: later than its time (it waited, or the program opened late)
  bool Closed = false;  // Missed: while the program was closed
};

class TRecordScheduler {
 public:
  using TClock = std::function<QDateTime()>;
  // The station is tuned this long before its plan starts (the connection and the
  // buffering take a few seconds).
  static constexpr int kTuneLeadSeconds = 10;

  explicit TRecordScheduler(TClock clock);

  QDateTime Now() const { return clock_(); }

  // The list read at start: a plan left running (the program ended meanwhile) is
  // interrupted.
  void SetPlans(std::vector<TRecordPlan> plans);
  const std::vector<TRecordPlan>& Plans() const { return plans_; }
  const TRecordPlan* Find(const QString& id) const;

  // Edits from the list's page. A new or changed plan counts from now; changing or
  // deleting the running plan ends its recording (a Stop at the next poll).
  void Add(TRecordPlan plan);
  void Replace(int index, TRecordPlan plan);
  void Remove(int index);

  // What to do now. `busy` names a recording made outside the plans (empty when none).
  std::vector<TPlanAction> Poll(const QString& busy = QString());

  // The caller's reports on the running plan: it failed (its station, its recording), or
  // the user ended it by hand.
  void Failed(const QString& id, const QString& why);
  void Interrupted(const QString& id);

  // The plan recording now (empty when none) and when it ends.
  QString ActiveId() const { return activeId_; }
  QDateTime ActiveEnd() const { return activeEnd_; }

  // The next start of a plan from now, for the list; invalid when it has none left.
  QDateTime NextStart(const TRecordPlan& plan) const;

  // Whether the plans changed (to save) since the last call.
  bool TakeChanged();

 private:
  TRecordPlan* FindPlan(const QString& id);
  QString StationOf(const QString& id) const;

  TClock clock_;
  QDateTime openedAt_;  // the first poll: occurrences before it began while closed
  std::vector<TRecordPlan> plans_;
  QString activeId_;
  QDateTime activeEnd_;
  QString stopPending_;   // a running plan changed or deleted: Stop at the next poll
  QString tunedFor_;      // "id@occurrence" already tuned ahead
  QSet<QString> waitTold_;  // "id@occurrence" whose wait the user was told
  bool changed_ = false;
};
