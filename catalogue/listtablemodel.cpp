#include "catalogue/listtablemodel.h"

#include "catalogue/cataloguetable.h"

TListTableModel::TListTableModel(TCatalogueTable& table, QList<TColumn> columns, QObject* parent)
    : QAbstractTableModel(parent), table_(table), columns_(std::move(columns)) {}

bool TListTableModel::HasPending() const {
  return table_.State() == TCatalogueTable::TState::Insert;
}

int TListTableModel::rowCount(const QModelIndex& parent) const {
  if (parent.isValid() || !table_.Active()) return 0;
  return table_.RecordCount() + (HasPending() ? 1 : 0);
}

int TListTableModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : int(columns_.size());
}

QVariant TListTableModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::EditRole)) return {};
  const QString& field = columns_[index.column()].Field;
  if (HasPending() && index.row() == table_.RecordCount()) return table_.FieldText(field).Value;
  const TRow* row = table_.ViewRow(index.row());
  const int f = table_.FieldIndex(field);
  if (!row || f < 0 || f >= int(row->size())) return {};
  return (*row)[size_t(f)].Text;
}

Qt::ItemFlags TListTableModel::flags(const QModelIndex& index) const {
  return QAbstractTableModel::flags(index) | Qt::ItemIsEditable;
}

QVariant TListTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 || section >= columns_.size()) return {};
  return columns_[section].Title;
}

bool TListTableModel::setData(const QModelIndex& index, const QVariant& value, int role) {
  if (!index.isValid() || role != Qt::EditRole) return false;
  return SetText(index.row(), columns_[index.column()].Field, value.toString());
}

bool TListTableModel::PendingComplete() const {
  for (const TFieldDef& f : table_.Fields()) {
    if (f.Required && table_.FieldText(f.Name).Value.isEmpty()) return false;
  }
  return true;
}

void TListTableModel::Reset() {
  beginResetModel();
  endResetModel();
}

bool TListTableModel::SetText(int row, const QString& field, const QString& text) {
  const auto fail = [this](const TTableResult& r) {
    if (ShowError) ShowError(r.Error->Text());
    return false;
  };
  if (HasPending() && row == table_.RecordCount()) {
    if (TTableResult r = table_.SetFieldText(field, text); !r) return fail(r);
    // The new row joins the table once it can: the user fills its fields one by one.
    if (PendingComplete()) {
      if (TTableResult r = table_.Post(); !r) return fail(r);
    }
    Reset();
    return true;
  }
  if (HasPending() && !PostPending()) return false;
  if (row < 0 || row >= table_.RecordCount()) return false;
  table_.SetRecNo(row + 1);
  TTableResult r = table_.Edit();
  if (r) r = table_.SetFieldText(field, text);
  if (r) r = table_.Post();
  if (!r) {
    table_.Cancel();
    Reset();
    return fail(r);
  }
  Reset();
  return true;
}

bool TListTableModel::AddRow() {
  if (HasPending() && !PostPending()) return false;
  if (TTableResult r = table_.Append(); !r) {
    if (ShowError) ShowError(r.Error->Text());
    return false;
  }
  Reset();
  return true;
}

bool TListTableModel::DeleteRow(int row) {
  if (HasPending() && row == table_.RecordCount()) {
    table_.Cancel();
    Reset();
    return true;
  }
  if (HasPending()) table_.Cancel();
  if (row < 0 || row >= table_.RecordCount()) return false;
  table_.SetRecNo(row + 1);
  TTableResult r = table_.Delete();
  Reset();
  if (!r && ShowError) ShowError(r.Error->Text());
  return bool(r);
}

bool TListTableModel::PostPending() {
  if (!HasPending()) return true;
  if (TTableResult r = table_.Post(); !r) {
    if (ShowError) ShowError(r.Error->Text());
    return false;
  }
  Reset();
  return true;
}
