#include "app/sleeprunner.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QLabel>
#include <QMenu>
#include <QTimeEdit>
#include <QVBoxLayout>
#include <cmath>

#include "app/mainform.h"
#include "playback/engine/engine.h"

namespace {

// A quarter of a second: the fade moves in steps too small to hear.
constexpr int kTickMs = 250;

std::optional<QTime> AskTimeDialog(QWidget* parent) {
  QDialog dialog(parent);
  dialog.setWindowTitle(QStringLiteral("Arrêt programmé"));
  auto* layout = new QVBoxLayout(&dialog);
  layout->addWidget(new QLabel(QStringLiteral("Arrêter la lecture à :"), &dialog));
  auto* edit = new QTimeEdit(QTime::currentTime().addSecs(3600), &dialog);
  edit->setObjectName(QStringLiteral("SleepTimeEdit"));
  edit->setDisplayFormat(QStringLiteral("HH:mm"));
  layout->addWidget(edit);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
  QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
  QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
  layout->addWidget(buttons);
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  return edit->time();
}

}  // namespace

TSleepRunner::TSleepRunner(TMainForm& form)
    : QObject(&form), form_(form), timer_([] { return QDateTime::currentDateTime(); }) {
  bool ok = false;
  const int scaled = qEnvironmentVariableIntValue("ZOVALIS_TEST_MINUTE_SECONDS", &ok);
  if (ok && scaled > 0) minuteSeconds_ = scaled;
  AskTime = [this] { return AskTimeDialog(&form_); };
  tick_.setInterval(kTickMs);
  connect(&tick_, &QTimer::timeout, this, &TSleepRunner::Tick);

  menu_ = new QMenu(QStringLiteral("Arrêt &programmé"), &form_);
  menu_->setObjectName(QStringLiteral("SleepMenu"));
  for (int minutes : {15, 30, 45, 60, 90}) {
    menu_->addAction(QStringLiteral("&%1 minutes").arg(minutes), this, [this, minutes] { StartMinutes(minutes); });
  }
  menu_->addAction(QStringLiteral("à une &heure ..."), this, [this] {
    if (const std::optional<QTime> at = AskTime()) StartAt(*at);
  });
  menu_->addSeparator();
  cancel_ = menu_->addAction(QStringLiteral("&Annuler"), this, &TSleepRunner::Cancel);
  cancel_->setEnabled(false);
}

int TSleepRunner::BaseVolume() const {
  return form_.Muted() ? 0 : form_.Settings.Volume;
}

void TSleepRunner::StartMinutes(int minutes) {
  timer_.StartIn(qint64(minutes) * minuteSeconds_);
  Began();
}

void TSleepRunner::StartAt(const QTime& at) {
  timer_.StartAt(at);
  Began();
}

void TSleepRunner::Began() {
  // A new choice during a fade starts from the full volume again.
  if (fading_) zengine::SetVolume(BaseVolume());
  fading_ = false;
  cancel_->setEnabled(true);
  form_.SetStatus(QStringLiteral("Arrêt programmé à ") + timer_.Deadline().toString(QStringLiteral("HH:mm:ss")) +
                      QLatin1Char('.'),
                  false);
  tick_.start();
  Tick();
}

void TSleepRunner::Cancel() {
  if (!timer_.Active()) return;
  timer_.Cancel();
  tick_.stop();
  if (fading_) zengine::SetVolume(BaseVolume());
  fading_ = false;
  cancel_->setEnabled(false);
  form_.SetStatus(QStringLiteral("Arrêt programmé annulé."), false);
}

void TSleepRunner::ShowRemaining(qint64 seconds) {
  // The status line's own hint is its text (it may be cut); the time left follows it.
  QLabel* status = form_.Statut();
  const QString text = status->text();
  status->setToolTip(seconds > 0 ? (text.isEmpty() ? QString() : text + QLatin1Char('\n')) +
                                       TSleepTimer::RemainingText(seconds)
                                 : text);
}

void TSleepRunner::Tick() {
  const TSleepTimer::TState s = timer_.Poll();
  if (s.Active) {
    ShowRemaining(s.RemainingSeconds);
    if (s.Gain < 1.0) {
      fading_ = true;
      zengine::SetVolume(int(std::lround(BaseVolume() * s.Gain)));
    }
    return;
  }
  tick_.stop();
  cancel_->setEnabled(false);
  if (!s.Expired) return;
  // Silence first, then the stop (the recorder completes its file), then the volume is
  // back for whatever plays next.
  zengine::SetVolume(0);
  form_.StopBtnClick();
  zengine::SetVolume(BaseVolume());
  fading_ = false;
  ShowRemaining(0);
  form_.SetStatus(QStringLiteral("Arrêt programmé : lecture arrêtée."), false);
}
