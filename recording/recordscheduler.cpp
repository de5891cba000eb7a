#include "recording/recordscheduler.h"

#include <QUuid>
#include <algorithm>

namespace {

QString Key(const QString& id, const QDateTime& occurrence) {
  return id + QLatin1Char('@') + occurrence.toString(Qt::ISODate);
}

}  // namespace

TRecordScheduler::TRecordScheduler(TClock clock) : clock_(std::move(clock)) {}

void TRecordScheduler::SetPlans(std::vector<TRecordPlan> plans) {
  plans_ = std::move(plans);
  activeId_.clear();
  for (TRecordPlan& p : plans_) {
    if (p.State == TPlanState::Running) {
      p.State = TPlanState::Interrupted;
      p.Note = QStringLiteral("Le programme a été fermé pendant l'enregistrement.");
      changed_ = true;
    }
  }
}

const TRecordPlan* TRecordScheduler::Find(const QString& id) const {
  for (const TRecordPlan& p : plans_)
    if (p.Id == id) return &p;
  return nullptr;
}

TRecordPlan* TRecordScheduler::FindPlan(const QString& id) {
  for (TRecordPlan& p : plans_)
    if (p.Id == id) return &p;
  return nullptr;
}

QString TRecordScheduler::StationOf(const QString& id) const {
  const TRecordPlan* p = Find(id);
  return p ? p->Station : QString();
}

void TRecordScheduler::Add(TRecordPlan plan) {
  if (plan.Id.isEmpty()) plan.Id = QUuid::createUuid().toString(QUuid::WithoutBraces);
  plan.Since = Now();
  plan.Last = QDateTime();
  plan.State = TPlanState::Waiting;
  plan.Note.clear();
  plans_.push_back(std::move(plan));
  changed_ = true;
}

void TRecordScheduler::Replace(int index, TRecordPlan plan) {
  if (index < 0 || index >= int(plans_.size())) return;
  const QString id = plans_[size_t(index)].Id;
  if (id == activeId_) stopPending_ = id;
  plan.Id = id;
  plan.Since = Now();
  plan.Last = QDateTime();
  plan.State = TPlanState::Waiting;
  plan.Note.clear();
  plans_[size_t(index)] = std::move(plan);
  changed_ = true;
}

void TRecordScheduler::Remove(int index) {
  if (index < 0 || index >= int(plans_.size())) return;
  if (plans_[size_t(index)].Id == activeId_) stopPending_ = activeId_;
  plans_.erase(plans_.begin() + index);
  changed_ = true;
}

std::vector<TPlanAction> TRecordScheduler::Poll(const QString& busy) {
  const QDateTime now = Now();
  if (!openedAt_.isValid()) openedAt_ = now;
  std::vector<TPlanAction> actions;

  // The running plan: changed or deleted, or its time is over.
  if (!stopPending_.isEmpty()) {
    TPlanAction a;
    a.What = TPlanAction::Kind::Stop;
    a.Id = stopPending_;
    actions.push_back(a);
    if (stopPending_ == activeId_) activeId_.clear();
    stopPending_.clear();
  }
  if (!activeId_.isEmpty() && now >= activeEnd_) {
    if (TRecordPlan* p = FindPlan(activeId_)) {
      p->State = TPlanState::Done;
      changed_ = true;
    }
    TPlanAction a;
    a.What = TPlanAction::Kind::Stop;
    a.Id = activeId_;
    a.End = activeEnd_;
    actions.push_back(a);
    activeId_.clear();
  }

  // The occurrences whose time has come and that nobody dealt with, earliest first (the
  // list's order between equals).
  struct TDue {
    size_t Index;
    QDateTime Occurrence;
  };
  std::vector<TDue> due;
  for (size_t i = 0; i < plans_.size(); ++i) {
    const TRecordPlan& p = plans_[i];
    const std::optional<QDateTime> occurrence = LatestOccurrence(p, now);
    if (!occurrence) continue;
    if (p.Last.isValid() && *occurrence <= p.Last) continue;
    if (p.Since.isValid() && p.EndOf(*occurrence) <= p.Since) continue;
    due.push_back({i, *occurrence});
  }
  std::stable_sort(due.begin(), due.end(),
                   [](const TDue& a, const TDue& b) { return a.Occurrence < b.Occurrence; });

  for (const TDue& d : due) {
    TRecordPlan& p = plans_[d.Index];
    const QDateTime end = p.EndOf(d.Occurrence);
    // Opened before its start, or made while it ran: not a start missed while closed.
    const bool beganClosed = d.Occurrence < openedAt_ && !(p.Since.isValid() && d.Occurrence < p.Since);
    const QString key = Key(p.Id, d.Occurrence);
    if (end <= now) {
      p.Last = d.Occurrence;
      p.State = TPlanState::Missed;
      p.Note = beganClosed ? QStringLiteral("Le programme était fermé.")
                           : QStringLiteral("Un autre enregistrement a duré jusqu'à la fin de sa plage horaire.");
      changed_ = true;
      TPlanAction a;
      a.What = TPlanAction::Kind::Missed;
      a.Id = p.Id;
      a.Occurrence = d.Occurrence;
      a.End = end;
      a.Closed = beganClosed;
      actions.push_back(a);
      continue;
    }
    const QString other = !activeId_.isEmpty() ? StationOf(activeId_) : busy;
    if (!activeId_.isEmpty() || !busy.isEmpty()) {
      if (!waitTold_.contains(key)) {
        waitTold_.insert(key);
        TPlanAction a;
        a.What = TPlanAction::Kind::Wait;
        a.Id = p.Id;
        a.Occurrence = d.Occurrence;
        a.End = end;
        a.Other = other;
        actions.push_back(a);
      }
      continue;
    }
    p.Last = d.Occurrence;
    p.State = TPlanState::Running;
    p.Note.clear();
    changed_ = true;
    activeId_ = p.Id;
    activeEnd_ = end;
    TPlanAction a;
    a.What = TPlanAction::Kind::Start;
    a.Id = p.Id;
    a.Occurrence = d.Occurrence;
    a.End = end;
    a.Late = beganClosed || waitTold_.contains(key);
    actions.push_back(a);
  }

  // The next plan's station is tuned a little ahead, when nothing records.
  if (activeId_.isEmpty() && busy.isEmpty()) {
    const QDateTime horizon = now.addSecs(kTuneLeadSeconds);
    const TRecordPlan* soonest = nullptr;
    QDateTime soonestAt;
    for (const TRecordPlan& p : plans_) {
      const std::optional<QDateTime> next = NextOccurrence(p, now);
      if (!next || *next > horizon) continue;
      if (p.Last.isValid() && *next <= p.Last) continue;
      if (!soonest || *next < soonestAt) soonest = &p, soonestAt = *next;
    }
    if (soonest && tunedFor_ != Key(soonest->Id, soonestAt)) {
      tunedFor_ = Key(soonest->Id, soonestAt);
      TPlanAction a;
      a.What = TPlanAction::Kind::Tune;
      a.Id = soonest->Id;
      a.Occurrence = soonestAt;
      a.End = soonest->EndOf(soonestAt);
      actions.push_back(a);
    }
  }
  return actions;
}

void TRecordScheduler::Failed(const QString& id, const QString& why) {
  if (TRecordPlan* p = FindPlan(id)) {
    p->State = TPlanState::Failed;
    p->Note = why;
    changed_ = true;
  }
  if (id == activeId_) activeId_.clear();
}

void TRecordScheduler::Interrupted(const QString& id) {
  if (TRecordPlan* p = FindPlan(id)) {
    p->State = TPlanState::Interrupted;
    p->Note = QStringLiteral("Arrêté avant la fin.");
    changed_ = true;
  }
  if (id == activeId_) activeId_.clear();
}

QDateTime TRecordScheduler::NextStart(const TRecordPlan& plan) const {
  const std::optional<QDateTime> next = NextOccurrence(plan, Now());
  return next ? *next : QDateTime();
}

bool TRecordScheduler::TakeChanged() {
  const bool changed = changed_;
  changed_ = false;
  return changed;
}
