// The configuration window's page "Programmation": the planned recordings in a grid, with
// "Ajouter ...", "Modifier ..." and "Supprimer". The page changes the scheduler's list and
// then calls Edited (the program saves the list and polls at once); it shows the list
// again when told the plans changed (Refresh).
#pragma once

#include <QStringList>
#include <QWidget>
#include <functional>
#include <optional>
#include <utility>
#include <vector>

#include "recording/recordplan.h"

class QPushButton;
class QTableView;
class TPlanListModel;
class TRecordScheduler;

class TPlanPage : public QWidget {
  Q_OBJECT
 public:
  explicit TPlanPage(TRecordScheduler& scheduler, QWidget* parent = nullptr);

  // What the page needs from the program.
  std::function<void()> Edited;
  std::function<std::vector<std::pair<QString, QString>>()> Stations;
  std::function<QStringList()> Formats;
  // Runs the editor on `plan`; nullopt when cancelled. Tests replace it.
  std::function<std::optional<TRecordPlan>(const TRecordPlan& plan)> EditPlan;
  // Yes/No before a deletion. Tests replace it.
  std::function<bool(const QString& text)> Confirm;

  void Refresh();

  void btAddPlanClick();
  void btEditPlanClick();
  void btDeletePlanClick();

  QTableView* PlanGrid() const { return grid_; }
  TPlanListModel* Model() const { return model_; }

 private:
  int CurrentRow() const;
  void UpdateButtons();

  TRecordScheduler& scheduler_;
  TPlanListModel* model_ = nullptr;
  QTableView* grid_ = nullptr;
  QPushButton *add_ = nullptr, *edit_ = nullptr, *delete_ = nullptr;
};
