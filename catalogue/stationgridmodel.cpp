#include "catalogue/stationgridmodel.h"

#include "catalogue/cataloguetable.h"

const TStationGridModel::TColumn TStationGridModel::kColumns[7] = {
    {"Radio", "Radios", 192},  {"Country", "Pays", 106},     {"Genre", "Genre", 146}, {"StreamType", "Flux", 38},
    {"BitRate", "Débit", 41}, {"SampleRate", "Fréquence", 0}, {"Channels", "Canaux", 47},
};

TStationGridModel::TStationGridModel(TCatalogueTable& table, QObject* parent)
    : QAbstractTableModel(parent), table_(table) {
  connect(&table_, &TCatalogueTable::DataChange, this, [this](TCatalogueTable::TChange change) {
    // Moving the current row changes nothing the grid shows.
    if (change != TCatalogueTable::TChange::Scroll) TableChanged();
  });
  TableChanged();
}

void TStationGridModel::TableChanged() {
  beginResetModel();
  fieldOfColumn_.clear();
  for (const TColumn& c : kColumns) fieldOfColumn_.push_back(table_.FieldIndex(QString::fromUtf8(c.Field)));
  rows_ = table_.Active() ? table_.RecordCount() : 0;
  endResetModel();
}

int TStationGridModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : rows_;
}

int TStationGridModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : int(std::size(kColumns));
}

QVariant TStationGridModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid()) return {};
  const int field = index.column() < int(fieldOfColumn_.size()) ? fieldOfColumn_[size_t(index.column())] : -1;
  if (role == Qt::TextAlignmentRole) {
    // Numbers line up on the right, as in any grid.
    const bool number = field >= 0 && field < table_.FieldCount() && table_.Fields()[field].Type == TFieldType::Integer;
    return QVariant::fromValue(Qt::Alignment(number ? Qt::AlignRight | Qt::AlignVCenter : Qt::AlignLeft | Qt::AlignVCenter));
  }
  if (role != Qt::DisplayRole) return {};
  const TRow* row = table_.ViewRow(index.row());
  if (!row || field < 0 || field >= int(row->size())) return {};
  const TCell& cell = (*row)[size_t(field)];
  if (!cell.HasValue) return {};
  if (table_.Fields()[field].Type == TFieldType::Integer) return QString::number(cell.Int);
  if (index.column() == 0 && !playing_.isEmpty() && cell.Text.compare(playing_, Qt::CaseInsensitive) == 0)
    return QString::fromUtf16(kPlayingMark) + cell.Text;
  return cell.Text;
}

void TStationGridModel::SetPlaying(const QString& name) {
  if (name == playing_) return;
  playing_ = name;
  if (rows_ > 0) Q_EMIT dataChanged(index(0, 0), index(rows_ - 1, 0), {Qt::DisplayRole});
}

QVariant TStationGridModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 || section >= int(std::size(kColumns)))
    return {};
  return QString::fromUtf8(kColumns[section].Title);
}
