#include "recording/planlistmodel.h"

#include <QLocale>

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
  if (role == Qt::ToolTipRole) {
    // The grid's texts are short: the hints say them whole.
    switch (index.column()) {
      case When: return OccurrenceText(scheduler_.NextStart(p).isValid() ? scheduler_.NextStart(p) : p.Start);
      case Repeat: return RepeatText(p.Repeat);
      case Format: return p.CutByTitle ? QStringLiteral("Un fichier par titre") : QStringLiteral("Un seul fichier");
      case State: return p.Note.isEmpty() ? QVariant() : QVariant(p.Note);
      default: return {};
    }
  }
  if (role != Qt::DisplayRole) return {};
  switch (index.column()) {
    case Station: return p.Station;
    case When: {
      // Short, for the page's narrow grid: "ven. 11/12 07:00".
      const QDateTime next = scheduler_.NextStart(p);
      const QDateTime when = next.isValid() ? next : p.Start;
      return QLocale(QLocale::French, QLocale::France)
          .toString(when, when.time().second() != 0 ? QStringLiteral("ddd dd/MM HH:mm:ss")
                                                    : QStringLiteral("ddd dd/MM HH:mm"));
    }
    case Repeat: {
      static const char* const shortTexts[] = {"1 fois", "Quotidien", "Lun.-ven.", "Hebdo."};
      return QString::fromUtf8(shortTexts[int(p.Repeat)]);
    }
    case Duration: return DurationText(p.DurationSeconds);
    case Format: return p.Format;
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
