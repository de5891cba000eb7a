// The planned recordings as a grid: one row per plan, in the list's order, with its
// station, its next start (or the one it had, when none is left), its repetition, its
// duration, its format, and what became of its last occurrence. The texts are short for
// the page's narrow grid; the hints say them whole (and the cut, and the reason of a
// failure or a miss).
//
// Core code: Qt Core only. Thread: interface thread.
#pragma once

#include <QAbstractTableModel>

class TRecordScheduler;

class TPlanListModel : public QAbstractTableModel {
  Q_OBJECT
 public:
  enum Column { Station, When, Repeat, Duration, Format, State, ColumnCount };

  explicit TPlanListModel(const TRecordScheduler& scheduler, QObject* parent = nullptr);

  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  int columnCount(const QModelIndex& parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

  // The plans changed (an edit, a state): everything is read again.
  void Refresh();

 private:
  const TRecordScheduler& scheduler_;
};
