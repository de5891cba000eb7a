#include "app/planrunner.h"

#include <QLoggingCategory>
#include <QMessageBox>

#include "app/mainform.h"
#include "catalogue/catalogue.h"
#include "catalogue/stationrecord.h"
#include "playback/stationplayer.h"
#include "recording/recorder.h"

Q_LOGGING_CATEGORY(lcPlan, "zovalis.plan", QtWarningMsg)

namespace {

constexpr int kTickMs = 500;
// How long a plan's station may take to connect before the plan fails (in ticks).
constexpr int kConnectionTicks = 60 * 1000 / kTickMs;

QString TimeText(const QDateTime& t) {
  return t.toString(t.time().second() != 0 ? QStringLiteral("HH:mm:ss") : QStringLiteral("HH:mm"));
}

}  // namespace

TPlanRunner::TPlanRunner(TMainForm& form, TStationPlayer& player, TRecorder& recorder, TCatalogue& catalogue,
                         const QString& dataFolder, QObject* parent)
    : QObject(parent),
      form_(form),
      player_(player),
      recorder_(recorder),
      catalogue_(catalogue),
      path_(dataFolder + QStringLiteral("programmation.json")),
      scheduler_([] { return QDateTime::currentDateTime(); }) {
  timer_.setInterval(kTickMs);
  connect(&timer_, &QTimer::timeout, this, &TPlanRunner::Tick);
  connect(&player_, &TStationPlayer::ConnectionFinished, this, [this](bool played) {
    if (active_.isEmpty() || !awaitingConnection_) return;
    const TRecordPlan* plan = scheduler_.Find(active_);
    if (!plan) return;
    if (played && PlayingStation(plan->Station)) {
      StartRecording();
    } else if (!player_.Connecting()) {
      Fail(QStringLiteral("la radio « %1 » n'a pas pu être jointe.").arg(plan->Station));
    }
  });
  connect(&player_, &TStationPlayer::Lost, this, [this] {
    if (active_.isEmpty()) return;
    const TRecordPlan* plan = scheduler_.Find(active_);
    Fail(QStringLiteral("la radio « %1 » a été perdue.").arg(plan ? plan->Station : QString()));
  });
  const auto failure = [this](const QString& text) {
    if (!active_.isEmpty()) recordFailure_ = text;
  };
  connect(&recorder_, &TRecorder::StartFailed, this, failure);
  connect(&recorder_, &TRecorder::FolderFailed, this, failure);
  connect(&recorder_, &TRecorder::RecordingFailed, this,
          [failure](const QString&, const QString& message) { failure(message); });
}

TPlanRunner::~TPlanRunner() {
  if (notice_) delete notice_.data();
}

void TPlanRunner::Start() {
  QString error;
  scheduler_.SetPlans(LoadPlansFile(path_, &error));
  if (!error.isEmpty()) Tell(error, true, true);
  if (scheduler_.TakeChanged()) Save();
  // The first poll comes once the main window shows (see Tick): what was missed while the
  // program was closed is told then.
  timer_.start();
}

void TPlanRunner::Edited() {
  scheduler_.TakeChanged();
  Save();
  Q_EMIT PlansChanged();
  // An edit may concern now (a plan made for the current minute, or the running plan).
  Tick();
}

std::vector<std::pair<QString, QString>> TPlanRunner::Stations() const {
  std::vector<std::pair<QString, QString>> stations;
  const TCatalogueTable& t = catalogue_.radiosDataset;
  for (int i = 0; i < int(t.Rows().size()); ++i) {
    const QString name = t.RowText(i, QStringLiteral("Radio"));
    if (!name.isEmpty()) stations.emplace_back(name, t.RowText(i, QStringLiteral("Url")));
  }
  return stations;
}

bool TPlanRunner::PlayingStation(const QString& station) const {
  return player_.PlayMode == QLatin1String("Radio") && player_.StopFace() == TStopFace::Active &&
         player_.CurrentRadio.Radio.compare(station, Qt::CaseInsensitive) == 0;
}

void TPlanRunner::Tick() {
  // A message box of a start failure runs its own event loop: no poll inside a poll.
  if (inTick_) return;
  // Nothing before the main window's first showing: the start (the catalogue's load) may
  // run events, and the user should see what a plan does in a window that is there.
  if (!shown_) {
    if (!form_.isVisible()) return;
    shown_ = true;
  }
  inTick_ = true;
  if (!active_.isEmpty()) {
    if (recording_ && !recorder_.Recording()) {
      // The recording ended without the plan: its writing failed, or the user stopped it.
      if (!recordFailure_.isEmpty()) {
        Fail(recordFailure_);
      } else {
        const TRecordPlan* plan = scheduler_.Find(active_);
        const QString station = plan ? plan->Station : QString();
        scheduler_.Interrupted(active_);
        EndActive(false);
        Tell(QStringLiteral("L'enregistrement programmé de « %1 » a été arrêté avant sa fin.").arg(station), false,
             false);
      }
    } else if (awaitingConnection_ && ++connectionWaitTicks_ > kConnectionTicks) {
      const TRecordPlan* plan = scheduler_.Find(active_);
      Fail(QStringLiteral("la radio « %1 » ne répond pas.").arg(plan ? plan->Station : QString()));
    }
  }
  // The user's own recording: plans wait for its end.
  QString busy;
  if (active_.isEmpty() && recorder_.Recording())
    busy = player_.CurrentRadio.Radio.isEmpty() ? QStringLiteral("l'enregistrement en cours") : player_.CurrentRadio.Radio;
  for (const TPlanAction& action : scheduler_.Poll(busy)) Do(action);
  if (scheduler_.TakeChanged()) {
    Save();
    Q_EMIT PlansChanged();
  }
  inTick_ = false;
}

void TPlanRunner::Do(const TPlanAction& a) {
  const TRecordPlan* plan = scheduler_.Find(a.Id);
  const QString station = plan ? plan->Station : QString();
  switch (a.What) {
    case TPlanAction::Kind::Tune:
      // Ahead of its time, only when nothing records and the station is not already heard.
      if (plan && !recorder_.Recording() && !PlayingStation(plan->Station)) {
        Tune(*plan);
        tunedAhead_ = a.Id;
      }
      break;
    case TPlanAction::Kind::Start: {
      if (!plan) break;
      active_ = a.Id;
      recording_ = false;
      recordFailure_.clear();
      tunedForPlan_ = tunedAhead_ == a.Id;
      tunedAhead_.clear();
      if (a.Late) {
        Tell(QStringLiteral("L'enregistrement programmé de « %1 » prévu à %2 commence en retard, à %3.")
                 .arg(station, TimeText(a.Occurrence), TimeText(scheduler_.Now())),
             false, false);
      }
      if (PlayingStation(station) && !player_.Connecting() && player_.CurrentChannel != 0) {
        StartRecording();
      } else {
        // Set first: a station whose playlist cannot be read fails within Tune.
        awaitingConnection_ = true;
        connectionWaitTicks_ = 0;
        if (!(player_.Connecting() && player_.CurrentRadio.Radio.compare(station, Qt::CaseInsensitive) == 0)) {
          tunedForPlan_ = true;
          Tune(*plan);
        }
      }
      break;
    }
    case TPlanAction::Kind::Stop:
      if (a.Id != active_) break;
      EndActive(tunedForPlan_);
      Tell(QStringLiteral("Enregistrement programmé de « %1 » terminé.").arg(station), false, false);
      break;
    case TPlanAction::Kind::Wait:
      Tell(QStringLiteral("L'enregistrement programmé de « %1 » (%2) attend la fin de celui de « %3 ».")
               .arg(station, TimeText(a.Occurrence), a.Other),
           false, false);
      break;
    case TPlanAction::Kind::Missed:
      Tell(QStringLiteral("L'enregistrement programmé de « %1 » du %2 n'a pas été fait : %3")
               .arg(station, OccurrenceText(a.Occurrence),
                    a.Closed ? QStringLiteral("le programme était fermé.")
                             : QStringLiteral("un autre enregistrement a occupé toute sa plage horaire.")),
           true, true);
      break;
  }
}

void TPlanRunner::Tune(const TRecordPlan& plan) {
  // The tuner's record when it holds the name (its picture, its measured stream); else the
  // address kept with the plan.
  std::optional<TStationRecord> record = FindStationRecord(catalogue_.radiosDataset, plan.Station);
  if (!record) {
    record = TStationRecord{};
    record->Radio = plan.Station;
    record->Url = plan.Url;
  }
  player_.LoadCurrentStation(*record);
  player_.OpenStation();
}

void TPlanRunner::StartRecording() {
  const TRecordPlan* plan = scheduler_.Find(active_);
  if (!plan) return;
  awaitingConnection_ = false;
  const QString format = plan->Format;
  const bool cut = plan->CutByTitle;
  form_.PlanRequest = [format, cut](TRecordRequest& q) {
    q.Format = format;
    q.CutByTitle = cut;
  };
  recordFailure_.clear();
  if (recorder_.Recording()) recorder_.StopRecording();
  form_.RecordPlanned();
  if (!recorder_.Recording()) {
    Fail(recordFailure_.isEmpty() ? QStringLiteral("l'enregistrement n'a pas pu commencer.") : recordFailure_);
    return;
  }
  recording_ = true;
  Tell(QStringLiteral("Enregistrement programmé de « %1 » en %2 jusqu'à %3.")
           .arg(plan->Station, format, TimeText(scheduler_.ActiveEnd())),
       false, false);
}

void TPlanRunner::EndActive(bool stopPlayback) {
  const bool wasRecording = recording_;
  active_.clear();
  recording_ = false;
  awaitingConnection_ = false;
  tunedForPlan_ = false;
  recordFailure_.clear();
  form_.PlanRequest = nullptr;
  if (wasRecording && recorder_.Recording()) recorder_.StopRecording();
  if (stopPlayback) player_.StopAll();
}

void TPlanRunner::Fail(const QString& why) {
  const TRecordPlan* plan = scheduler_.Find(active_);
  const QString station = plan ? plan->Station : QString();
  scheduler_.Failed(active_, why);
  EndActive(false);
  Tell(QStringLiteral("L'enregistrement programmé de « %1 » a échoué : %2").arg(station, why), true, true);
  if (scheduler_.TakeChanged()) {
    Save();
    Q_EMIT PlansChanged();
  }
}

void TPlanRunner::Tell(const QString& text, bool error, bool window) {
  qCInfo(lcPlan).noquote() << text;
  form_.SetStatus(text, error);
  form_.ShowBalloon(QStringLiteral("Programmation"), text, error, 10000);
  if (!window) return;
  // One window gathers what the user has not yet read.
  if (notice_ && notice_->isVisible()) {
    notice_->setText(notice_->text() + QStringLiteral("\n\n") + text);
    return;
  }
  auto* box = new QMessageBox(error ? QMessageBox::Warning : QMessageBox::Information,
                              QStringLiteral("Programmation des enregistrements"), text, QMessageBox::Ok);
  box->setAttribute(Qt::WA_DeleteOnClose);
  box->setModal(false);
  box->show();
  notice_ = box;
}

void TPlanRunner::Save() {
  const QString error = SavePlansFile(path_, scheduler_.Plans());
  if (!error.isEmpty()) Tell(error, true, true);
}
