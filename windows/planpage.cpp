#include "windows/planpage.h"

#include <QHeaderView>
#include <QMessageBox>
#include <QPushButton>
#include <QTableView>

#include "recording/planlistmodel.h"
#include "recording/recordscheduler.h"
#include "windows/planeditform.h"

TPlanPage::TPlanPage(TRecordScheduler& scheduler, QWidget* parent) : QWidget(parent), scheduler_(scheduler) {
  setObjectName(QStringLiteral("TabSheetPlans"));
  setAutoFillBackground(true);
  model_ = new TPlanListModel(scheduler_, this);
  grid_ = new QTableView(this);
  grid_->setObjectName(QStringLiteral("PlanGrid"));
  grid_->setModel(model_);
  grid_->setGeometry(8, 8, 362, 158);
  grid_->setSelectionBehavior(QAbstractItemView::SelectRows);
  grid_->setSelectionMode(QAbstractItemView::SingleSelection);
  grid_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  grid_->verticalHeader()->hide();
  grid_->verticalHeader()->setDefaultSectionSize(18);
  grid_->horizontalHeader()->setStretchLastSection(true);
  grid_->setWordWrap(false);
  const int widths[] = {62, 92, 62, 38, 44, 60};
  for (int c = 0; c < TPlanListModel::ColumnCount; ++c) grid_->setColumnWidth(c, widths[c]);

  const auto button = [this](const char* name, const QString& text, int x) {
    auto* b = new QPushButton(text, this);
    b->setObjectName(QLatin1String(name));
    b->setGeometry(x, 172, 110, 24);
    return b;
  };
  add_ = button("btAddPlan", QStringLiteral("Ajouter ..."), 8);
  edit_ = button("btEditPlan", QStringLiteral("Modifier ..."), 134);
  delete_ = button("btDeletePlan", QStringLiteral("Supprimer"), 260);
  connect(add_, &QPushButton::clicked, this, &TPlanPage::btAddPlanClick);
  connect(edit_, &QPushButton::clicked, this, &TPlanPage::btEditPlanClick);
  connect(delete_, &QPushButton::clicked, this, &TPlanPage::btDeletePlanClick);
  connect(grid_, &QTableView::doubleClicked, this, &TPlanPage::btEditPlanClick);
  connect(grid_->selectionModel(), &QItemSelectionModel::selectionChanged, this, &TPlanPage::UpdateButtons);

  EditPlan = [this](const TRecordPlan& plan) -> std::optional<TRecordPlan> {
    TPlanEditForm editor(plan, Stations ? Stations() : std::vector<std::pair<QString, QString>>{},
                         Formats ? Formats() : QStringList(), this);
    if (editor.exec() != QDialog::Accepted) return std::nullopt;
    return editor.Plan();
  };
  Confirm = [this](const QString& text) {
    return QMessageBox::question(this, QStringLiteral("Zovalis"), text, QMessageBox::Yes | QMessageBox::No,
                                 QMessageBox::No) == QMessageBox::Yes;
  };
  UpdateButtons();
}

int TPlanPage::CurrentRow() const {
  const QModelIndexList rows = grid_->selectionModel()->selectedRows();
  return rows.isEmpty() ? -1 : rows.first().row();
}

void TPlanPage::UpdateButtons() {
  const bool chosen = CurrentRow() >= 0;
  edit_->setEnabled(chosen);
  delete_->setEnabled(chosen);
}

void TPlanPage::Refresh() {
  const int row = CurrentRow();
  model_->Refresh();
  if (row >= 0 && row < model_->rowCount()) grid_->selectRow(row);
  UpdateButtons();
}

void TPlanPage::btAddPlanClick() {
  TRecordPlan plan;
  // The next full hour, for an hour, in the format the recording page offers first.
  const QDateTime now = QDateTime::currentDateTime();
  plan.Start = QDateTime(now.date(), QTime(now.time().hour(), 0)).addSecs(3600);
  const QStringList formats = Formats ? Formats() : QStringList();
  if (!formats.isEmpty() && !formats.contains(plan.Format)) plan.Format = formats.first();
  const std::optional<TRecordPlan> made = EditPlan(plan);
  if (!made) return;
  scheduler_.Add(*made);
  Refresh();
  grid_->selectRow(model_->rowCount() - 1);
  if (Edited) Edited();
}

void TPlanPage::btEditPlanClick() {
  const int row = CurrentRow();
  if (row < 0) return;
  const std::optional<TRecordPlan> changed = EditPlan(scheduler_.Plans()[size_t(row)]);
  if (!changed) return;
  scheduler_.Replace(row, *changed);
  Refresh();
  if (Edited) Edited();
}

void TPlanPage::btDeletePlanClick() {
  const int row = CurrentRow();
  if (row < 0) return;
  const TRecordPlan& plan = scheduler_.Plans()[size_t(row)];
  if (!Confirm(QStringLiteral("Supprimer l'enregistrement programmé de « %1 » (%2) ?")
                   .arg(plan.Station, OccurrenceText(plan.Start))))
    return;
  scheduler_.Remove(row);
  Refresh();
  if (Edited) Edited();
}
