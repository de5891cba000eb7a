#include "recording/planlistmodel.h"

#include "recording/recordscheduler.h"

TPlanListModel::TPlanListModel(const TRecordScheduler& scheduler, QObject* parent)
    : QAbstractTableModel(parent), scheduler_(scheduler) {}

int TPlanListModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : int(scheduler_.Plans().size());
}

int TPlanListModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : ColumnCount;
}

QVariant TPlanListModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= rowCount()) return {};
  const TRecordPlan& p = scheduler_.Plans()[size_t(index.row())];
  if (role == Qt::ToolTipRole && index.column() == State) return p.Note.isEmpty() ? QVariant() : QVariant(p.Note);
  if (role != Qt::DisplayRole) return {};
  switch (index.column()) {
    case Station: return p.Station;
    case When: {
      const QDateTime next = scheduler_.NextStart(p);
      return OccurrenceText(next.isValid() ? next : p.Start);
    }
    case Repeat: return RepeatText(p.Repeat);
    case Duration: return DurationText(p.DurationSeconds);
    case Format: return p.CutByTitle ? p.Format + QStringLiteral(", par titre") : p.Format;
    case State: return StateText(p.State);
  }
  return {};
}

QVariant TPlanListModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
  static const char* const titles[] = {"Radio", "Début", "Répétition", "Durée", "Format", "État"};
  if (section < 0 || section >= ColumnCount) return {};
  return QString::fromUtf8(titles[section]);
}

void TPlanListModel::Refresh() {
  beginResetModel();
  endResetModel();
}
