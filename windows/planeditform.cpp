#include "windows/planeditform.h"

#include <algorithm>

#include <QCheckBox>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace {

constexpr TPlanRepeat kRepeats[] = {TPlanRepeat::Once, TPlanRepeat::Daily, TPlanRepeat::Weekdays,
                                    TPlanRepeat::Weekly};

}  // namespace

TPlanEditForm::TPlanEditForm(const TRecordPlan& plan, const std::vector<std::pair<QString, QString>>& stations,
                             const QStringList& formats, QWidget* parent)
    : QDialog(parent), plan_(plan), stations_(stations) {
  setObjectName(QStringLiteral("PlanEditForm"));
  setWindowTitle(QStringLiteral("Enregistrement programmé"));
  auto* form = new QFormLayout;

  station_ = new QComboBox(this);
  station_->setObjectName(QStringLiteral("cbStation"));
  for (const auto& [name, url] : stations_) station_->addItem(name);
  // A plan's station that the current tuner lacks stays choosable, with its address.
  if (!plan.Station.isEmpty() && station_->findText(plan.Station, Qt::MatchFixedString) < 0) {
    stations_.emplace_back(plan.Station, plan.Url);
    station_->addItem(plan.Station);
  }
  station_->setCurrentIndex(plan.Station.isEmpty() ? (station_->count() > 0 ? 0 : -1)
                                                   : station_->findText(plan.Station, Qt::MatchFixedString));
  form->addRow(QStringLiteral("Radio :"), station_);

  start_ = new QDateTimeEdit(plan.Start, this);
  start_->setObjectName(QStringLiteral("dtStart"));
  start_->setDisplayFormat(QStringLiteral("dd/MM/yyyy HH:mm"));
  start_->setCalendarPopup(true);
  form->addRow(QStringLiteral("Début :"), start_);

  repeat_ = new QComboBox(this);
  repeat_->setObjectName(QStringLiteral("cbRepeat"));
  for (TPlanRepeat r : kRepeats) repeat_->addItem(RepeatText(r));
  for (int i = 0; i < 4; ++i)
    if (kRepeats[i] == plan.Repeat) repeat_->setCurrentIndex(i);
  form->addRow(QStringLiteral("Répétition :"), repeat_);

  duration_ = new QSpinBox(this);
  duration_->setObjectName(QStringLiteral("sbDuration"));
  duration_->setRange(1, 24 * 60);
  duration_->setSuffix(QStringLiteral(" min"));
  initialMinutes_ = (plan.DurationSeconds + 59) / 60;
  duration_->setValue(initialMinutes_);
  form->addRow(QStringLiteral("Durée :"), duration_);

  format_ = new QComboBox(this);
  format_->setObjectName(QStringLiteral("cbFormat"));
  format_->addItems(formats);
  if (format_->findText(plan.Format) < 0) format_->addItem(plan.Format);
  format_->setCurrentIndex(format_->findText(plan.Format));
  form->addRow(QStringLiteral("Format :"), format_);

  cut_ = new QCheckBox(QStringLiteral("Un fichier par titre"), this);
  cut_->setObjectName(QStringLiteral("cbCutByTitle"));
  cut_->setChecked(plan.CutByTitle);
  form->addRow(QString(), cut_);

  problem_ = new QLabel(this);
  problem_->setObjectName(QStringLiteral("lbProblem"));
  QPalette red = problem_->palette();
  red.setColor(QPalette::WindowText, Qt::red);
  problem_->setPalette(red);

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("Annuler"));
  connect(buttons, &QDialogButtonBox::accepted, this, &TPlanEditForm::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &TPlanEditForm::reject);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(form);
  layout->addWidget(problem_);
  layout->addWidget(buttons);
}

TRecordPlan TPlanEditForm::Plan() const {
  TRecordPlan p = plan_;
  const int row = station_->currentIndex();
  if (row >= 0 && row < int(stations_.size())) {
    p.Station = stations_[size_t(row)].first;
    p.Url = stations_[size_t(row)].second;
  }
  QDateTime start = start_->dateTime();
  // The editor shows minutes: a time kept with seconds stays as it was unless changed.
  if (!(plan_.Start.isValid() && start == QDateTime(plan_.Start.date(), QTime(plan_.Start.time().hour(),
                                                                                plan_.Start.time().minute()))))
    start.setTime(QTime(start.time().hour(), start.time().minute()));
  else
    start = plan_.Start;
  p.Start = start;
  p.Repeat = kRepeats[std::max(0, repeat_->currentIndex())];
  if (duration_->value() != initialMinutes_) p.DurationSeconds = duration_->value() * 60;
  p.Format = format_->currentText();
  p.CutByTitle = cut_->isChecked();
  return p;
}

QString TPlanEditForm::Problem() const {
  if (station_->currentIndex() < 0) return QStringLiteral("Choisissez une radio.");
  if (format_->currentText().isEmpty()) return QStringLiteral("Choisissez un format.");
  const TRecordPlan p = Plan();
  if (p.Repeat == TPlanRepeat::Once && p.EndOf(p.Start) <= QDateTime::currentDateTime())
    return QStringLiteral("Cet horaire est déjà passé.");
  return QString();
}

void TPlanEditForm::accept() {
  const QString problem = Problem();
  if (!problem.isEmpty()) {
    problem_->setText(problem);
    return;
  }
  QDialog::accept();
}
