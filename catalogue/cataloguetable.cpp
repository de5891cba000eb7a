#include "catalogue/cataloguetable.h"

#include <algorithm>
#include <numeric>

#include "catalogue/datapacketreader.h"
#include "catalogue/datapacketwriter.h"
#include "catalogue/filterparser.h"

TCatalogueTable::TCatalogueTable(const QString& name, QObject* parent) : QObject(parent), name_(name) {}

TCatalogueTable::~TCatalogueTable() = default;

// ---- Definition ---------------------------------------------------------------------

TTableResult TCatalogueTable::ClearFields() {
  if (Active())
    return TTableResult::Fail(TTableErrorKind::Definition,
                              QStringLiteral("Impossible de changer les champs de « %1 » : la table est ouverte.").arg(name_));
  fields_.clear();
  return TTableResult::Success();
}

TTableResult TCatalogueTable::AddField(const TFieldDef& def) {
  if (Active())
    return TTableResult::Fail(TTableErrorKind::Definition,
                              QStringLiteral("Impossible de changer les champs de « %1 » : la table est ouverte.").arg(name_));
  if (def.Name.isEmpty() || FieldIndex(def.Name) >= 0)
    return TTableResult::Fail(TTableErrorKind::Definition,
                              QStringLiteral("Nom de champ vide ou en double : « %1 ».").arg(def.Name));
  fields_.append(def);
  return TTableResult::Success();
}

int TCatalogueTable::FieldIndex(const QString& name) const {
  for (int i = 0; i < fields_.size(); ++i)
    if (fields_[i].Name.compare(name, Qt::CaseInsensitive) == 0) return i;
  return -1;
}

void TCatalogueTable::SetIgnoreCase(bool on) {
  if (on == ignoreCase_) return;
  ignoreCase_ = on;
  if (Active()) {
    ReparseFilter();
    InvalidateView();
    Notify(TChange::Filter);
  }
}

// ---- Life cycle ---------------------------------------------------------------------

TTableResult TCatalogueTable::CreateDataSet() {
  if (fields_.isEmpty())
    return TTableResult::Fail(TTableErrorKind::Definition, QStringLiteral("La table « %1 » n'a aucun champ.").arg(name_));
  return Load(fields_, {});
}

TTableResult TCatalogueTable::Load(const TFieldList& fields, std::vector<TRow>&& rows) {
  static quint64 generations = 0;
  generation_ = ++generations;
  fields_ = fields;
  rows_ = std::move(rows);
  pending_.clear();
  readOnly_ = false;
  state_ = TState::Browse;
  // Indexes and the field list survive re-creation as long as their fields still exist.
  std::erase_if(indexes_, [&](const TIndexDef& d) {
    return FieldIndex(d.Field) < 0 || (!d.ThenBy.isEmpty() && FieldIndex(d.ThenBy) < 0);
  });
  if (!indexName_.isEmpty() &&
      std::none_of(indexes_.begin(), indexes_.end(), [&](const TIndexDef& d) { return d.Name == indexName_; }))
    indexName_.clear();
  for (const QString& f : indexFieldNames_.split(u';', Qt::SkipEmptyParts))
    if (FieldIndex(f.trimmed()) < 0) indexFieldNames_.clear();
  ReparseFilter();
  RowsReplaced();
  curRow_ = -1;
  posHint_ = 0;
  EnsureView();
  eof_ = bof_ = true;
  if (!view_.empty()) eof_ = false;
  Notify(TChange::State);
  return TTableResult::Success();
}

const TRow* TCatalogueTable::ViewRow(int pos) const {
  if (state_ == TState::Inactive) return nullptr;
  EnsureView();
  if (pos < 0 || pos >= int(view_.size())) return nullptr;
  return &rows_[size_t(view_[size_t(pos)])];
}

void TCatalogueTable::Close() {
  rows_.clear();
  rows_.shrink_to_fit();
  pending_.clear();
  state_ = TState::Inactive;
  RowsReplaced();
  curRow_ = curPos_ = -1;
  eof_ = bof_ = true;
  Notify(TChange::State);
}

void TCatalogueTable::SetReadOnly(bool on) {
  if (on == readOnly_) return;
  readOnly_ = on;
  Notify(TChange::State);
}

TTableResult TCatalogueTable::CheckOpen() const {
  if (!Active())
    return TTableResult::Fail(TTableErrorKind::ClosedTable, QStringLiteral("La table « %1 » est fermée.").arg(name_));
  return TTableResult::Success();
}

TTableResult TCatalogueTable::CheckWritable() const {
  if (TTableResult r = CheckOpen(); !r) return r;
  if (readOnly_)
    return TTableResult::Fail(TTableErrorKind::ReadOnly,
                              QStringLiteral("La table « %1 » est en lecture seule.").arg(name_));
  return TTableResult::Success();
}

TTableResult TCatalogueTable::CheckBrowse() {
  if (TTableResult r = CheckOpen(); !r) return r;
  if (state_ == TState::Insert || state_ == TState::Edit) return Post();
  return TTableResult::Success();
}

// ---- Row operations -------------------------------------------------------------------

TTableResult TCatalogueTable::Append() {
  if (TTableResult r = CheckWritable(); !r) return r;
  if (TTableResult r = CheckBrowse(); !r) return r;
  pending_.assign(size_t(fields_.size()), TCell{});
  state_ = TState::Insert;
  Notify(TChange::State);
  return TTableResult::Success();
}

TTableResult TCatalogueTable::Edit() {
  if (TTableResult r = CheckWritable(); !r) return r;
  if (state_ == TState::Insert || state_ == TState::Edit) return TTableResult::Success();
  const TRow* row = CurrentRow();
  if (!row)
    return TTableResult::Fail(TTableErrorKind::NoCurrentRow, QStringLiteral("La table « %1 » est vide.").arg(name_));
  pending_ = *row;
  state_ = TState::Edit;
  Notify(TChange::State);
  return TTableResult::Success();
}

TTableResult TCatalogueTable::Post() {
  if (TTableResult r = CheckOpen(); !r) return r;
  if (state_ == TState::Browse) return TTableResult::Success();
  for (int i = 0; i < fields_.size(); ++i) {
    if (fields_[i].Required && !pending_[size_t(i)].HasValue)
      return TTableResult::Fail(TTableErrorKind::RequiredField,
                                QStringLiteral("Le champ « %1 » doit avoir une valeur.").arg(fields_[i].Name));
  }
  // The view stays dirty during a load (thousands of appends): no rebuild here.
  if (!viewDirty_) posHint_ = std::max(curPos_, 0);
  if (state_ == TState::Insert) {
    rows_.push_back(std::move(pending_));
    curRow_ = int(rows_.size()) - 1;
    RowsReplaced();  // appends come by the thousand in a load: nothing is kept up to date
  } else {
    rows_[size_t(curRow_)] = std::move(pending_);
    RowEdited(curRow_);
  }
  pending_.clear();
  state_ = TState::Browse;
  Notify(TChange::State);
  return TTableResult::Success();
}

TTableResult TCatalogueTable::Cancel() {
  if (TTableResult r = CheckOpen(); !r) return r;
  if (state_ == TState::Browse) return TTableResult::Success();
  pending_.clear();
  state_ = TState::Browse;
  Notify(TChange::State);
  return TTableResult::Success();
}

TTableResult TCatalogueTable::Delete() {
  if (TTableResult r = CheckWritable(); !r) return r;
  if (state_ == TState::Insert) return Cancel();
  if (state_ == TState::Edit) Cancel();
  EnsureView();
  if (curRow_ < 0)
    return TTableResult::Fail(TTableErrorKind::NoCurrentRow, QStringLiteral("La table « %1 » est vide.").arg(name_));
  const int deleted = curRow_;
  rows_.erase(rows_.begin() + curRow_);
  posHint_ = curPos_;
  curRow_ = -1;  // the row at the same position becomes current
  RowDeleted(deleted);
  EnsureView();
  eof_ = view_.empty();
  bof_ = view_.empty();
  Notify(TChange::Record);
  return TTableResult::Success();
}

// ---- Fields -----------------------------------------------------------------------------

TTableValue<int> TCatalogueTable::Column(const QString& field) const {
  TTableValue<int> v;
  v.Value = FieldIndex(field);
  if (v.Value < 0)
    v.Error = TTableError{TTableErrorKind::UnknownField,
                          QStringLiteral("Champ « %1 » introuvable dans « %2 ».").arg(field, name_)};
  return v;
}

const TRow* TCatalogueTable::CurrentRow() const {
  if (state_ == TState::Insert || state_ == TState::Edit) return &pending_;
  if (state_ == TState::Inactive) return nullptr;
  EnsureView();
  return curRow_ >= 0 ? &rows_[size_t(curRow_)] : nullptr;
}

TTableResult TCatalogueTable::SetFieldText(const QString& field, const QString& text) {
  if (TTableResult r = CheckOpen(); !r) return r;
  const TTableValue<int> col = Column(field);
  if (!col.Ok()) return TTableResult{col.Error, false};
  if (state_ != TState::Insert && state_ != TState::Edit)
    return TTableResult::Fail(TTableErrorKind::NotEditing,
                              QStringLiteral("La table « %1 » n'est pas en mode édition ou insertion.").arg(name_));
  if (TTableResult r = CellFromText(fields_[col.Value], text, pending_[size_t(col.Value)]); !r) return r;
  Notify(TChange::Record);
  return TTableResult::Success();
}

TTableResult TCatalogueTable::CellFromText(const TFieldDef& def, const QString& text, TCell& cell) {
  if (def.Type == TFieldType::Integer) {
    const QString t = text.trimmed();
    if (t.isEmpty()) {
      cell = TCell{};
    } else {
      bool ok = false;
      const int v = t.toInt(&ok);
      if (!ok)
        return TTableResult::Fail(TTableErrorKind::InvalidValue,
                                  QStringLiteral("« %1 » n'est pas une valeur entière valide pour le champ « %2 ».")
                                      .arg(text, def.Name));
      cell = TCell{QString(), v, true};
    }
  } else {
    // Only texts a catalogue file can carry are stored (see XmlSafeText).
    const QString safe = XmlSafeText(CutToWidth(text, def.Width).toString());
    cell = safe.isEmpty() ? TCell{} : TCell{safe, 0, true};
  }
  return TTableResult::Success();
}

int TCatalogueTable::FindRow(const QString& field, const QString& value, Qt::CaseSensitivity cs) const {
  const int col = FieldIndex(field);
  if (col < 0) return -1;
  const bool integer = fields_[col].Type == TFieldType::Integer;
  for (size_t r = 0; r < rows_.size(); ++r) {
    const TCell& cell = rows_[r][size_t(col)];
    const QString text = !cell.HasValue ? QString() : integer ? QString::number(cell.Int) : cell.Text;
    if (text.compare(value, cs) == 0) return int(r);
  }
  return -1;
}

QString TCatalogueTable::RowText(int row, const QString& field) const {
  const int col = FieldIndex(field);
  if (col < 0 || row < 0 || size_t(row) >= rows_.size()) return QString();
  const TCell& cell = rows_[size_t(row)][size_t(col)];
  if (!cell.HasValue) return QString();
  return fields_[col].Type == TFieldType::Integer ? QString::number(cell.Int) : cell.Text;
}

TTableResult TCatalogueTable::UpdateRow(int row, const std::vector<std::pair<QString, QString>>& values) {
  if (TTableResult r = CheckWritable(); !r) return r;
  if (state_ != TState::Browse)
    return TTableResult::Fail(TTableErrorKind::NotEditing,
                              QStringLiteral("La table « %1 » a une ligne en cours d'édition.").arg(name_));
  if (row < 0 || size_t(row) >= rows_.size())
    return TTableResult::Fail(TTableErrorKind::NoCurrentRow, QStringLiteral("La table « %1 » est vide.").arg(name_));
  TRow updated = rows_[size_t(row)];
  for (const auto& [field, text] : values) {
    const TTableValue<int> col = Column(field);
    if (!col.Ok()) return TTableResult{col.Error, false};
    if (TTableResult r = CellFromText(fields_[col.Value], text, updated[size_t(col.Value)]); !r) return r;
  }
  rows_[size_t(row)] = std::move(updated);
  RowEdited(row);
  Notify(TChange::Record);
  return TTableResult::Success();
}

TTableResult TCatalogueTable::SetFieldInt(const QString& field, qint32 value) {
  return SetFieldText(field, QString::number(value));
}

TTableValue<QString> TCatalogueTable::FieldText(const QString& field) const {
  TTableValue<QString> v;
  const TTableValue<int> col = Column(field);
  if (!col.Ok()) {
    v.Error = col.Error;
    return v;
  }
  const TRow* row = CurrentRow();
  if (!row) return v;
  const TCell& cell = (*row)[size_t(col.Value)];
  if (!cell.HasValue) return v;
  v.Value = fields_[col.Value].Type == TFieldType::Integer ? QString::number(cell.Int) : cell.Text;
  return v;
}

TTableValue<qint32> TCatalogueTable::FieldInt(const QString& field) const {
  TTableValue<qint32> v;
  const TTableValue<QString> text = FieldText(field);
  if (!text.Ok()) {
    v.Error = text.Error;
    return v;
  }
  if (text.Value.isEmpty()) return v;
  bool ok = false;
  v.Value = text.Value.trimmed().toInt(&ok);
  if (!ok)
    v.Error = TTableError{TTableErrorKind::InvalidValue,
                          QStringLiteral("« %1 » n'est pas une valeur entière valide.").arg(text.Value)};
  return v;
}

TTableValue<bool> TCatalogueTable::FieldHasValue(const QString& field) const {
  TTableValue<bool> v;
  const TTableValue<int> col = Column(field);
  if (!col.Ok()) {
    v.Error = col.Error;
    return v;
  }
  const TRow* row = CurrentRow();
  v.Value = row && (*row)[size_t(col.Value)].HasValue;
  return v;
}

// ---- View and navigation ---------------------------------------------------------------

void TCatalogueTable::InvalidateOrder() {
  orderDirty_ = true;
  viewDirty_ = true;
}

void TCatalogueTable::InvalidateView() { viewDirty_ = true; }

void TCatalogueTable::ComputeOrder() const {
  const std::vector<TSortKey> keys = SortKeys();
  if (keys.empty()) return SortRows(rows_, keys, order_);  // insertion order
  for (auto it = orders_.begin(); it != orders_.end(); ++it) {
    if (it->Keys != keys) continue;
    order_ = it->Order;
    std::rotate(it, it + 1, orders_.end());  // most recently used last
    return;
  }
  // The opposite direction of the first key, kept: turned round, each run of rows equal on
  // the first key keeping its order (by the later keys, which do not turn).
  bool done = false;
  std::vector<TSortKey> opposite = keys;
  opposite.front().Descending = !opposite.front().Descending;
  for (const TOrderEntry& e : orders_) {
    if (e.Keys == opposite) {
      done = ReverseSortedRows(rows_, keys.front(), e.Order, order_);
      break;
    }
  }
  if (!done) {
    // Text keys are read from their columns laid out unaccented (kept for the browser's
    // contains filters).
    SortRows(rows_, keys, order_, [this](int column) { return ColumnText(column, TFold::Unaccent); });
  }
  if (orders_.size() >= kKeptOrders) orders_.erase(orders_.begin());
  orders_.push_back(TOrderEntry{keys, order_});
}

void TCatalogueTable::RowsReplaced() {
  InvalidateOrder();
  orders_.clear();
  columnIndexes_.clear();
  columnTexts_.clear();
}

QString TCatalogueTable::MappedText(const TCell& cell, TFold fold) {
  return cell.HasValue ? FoldText(cell.Text, fold) : QString();
}

void TCatalogueTable::RowEdited(int row) {
  InvalidateOrder();
  columnIndexes_.clear();  // rebuilt when a filter next needs one
  for (auto& e : columnTexts_) {
    TColumnText& t = e->Text;
    const qsizetype start = t.Starts[size_t(row)], length = t.Starts[size_t(row) + 1] - start;
    const QString mapped = MappedText(rows_[size_t(row)][size_t(e->Column)], e->Fold);
    t.Text.replace(start, length, mapped);
    const qsizetype delta = mapped.size() - length;
    for (size_t r = size_t(row) + 1; r < t.Starts.size(); ++r) t.Starts[r] += delta;
  }
  for (TOrderEntry& e : orders_) ResortRow(rows_, e.Keys, e.Order, row);
}

void TCatalogueTable::RowDeleted(int row) {
  InvalidateOrder();
  columnIndexes_.clear();
  for (auto& e : columnTexts_) {
    TColumnText& t = e->Text;
    const qsizetype start = t.Starts[size_t(row)], length = t.Starts[size_t(row) + 1] - start;
    t.Text.remove(start, length);
    t.Starts.erase(t.Starts.begin() + row);
    for (size_t r = size_t(row); r < t.Starts.size(); ++r) t.Starts[r] -= length;
  }
  for (TOrderEntry& e : orders_) RemoveRow(e.Order, row);
}

const TColumnText* TCatalogueTable::ColumnText(int column, TFold fold) const {
  if (column < 0 || column >= fields_.size() || fields_[column].Type != TFieldType::String) return nullptr;
  for (const auto& e : columnTexts_)
    if (e->Column == column && e->Fold == fold) return &e->Text;
  auto entry = std::make_unique<TColumnTextEntry>();
  entry->Column = column;
  entry->Fold = fold;
  entry->Text = LayOutColumn(rows_, column, fold);
  columnTexts_.push_back(std::move(entry));
  return &columnTexts_.back()->Text;
}

const TColumnIndex* TCatalogueTable::ColumnIndex(int column, TFold fold) const {
  if (column < 0 || column >= fields_.size()) return nullptr;
  const TFieldDef& def = fields_[column];
  const bool integer = def.Type == TFieldType::Integer;
  if (!integer && (def.Width <= 0 || def.Width > kIndexedTextWidth)) return nullptr;
  if (integer) fold = TFold::None;
  for (const auto& e : columnIndexes_)
    if (e->Column == column && e->Fold == fold) return &e->Index;

  auto entry = std::make_unique<TColumnIndexEntry>();
  entry->Column = column;
  entry->Fold = fold;
  std::vector<int>& order = entry->Index.Rows;
  order.resize(rows_.size());
  std::iota(order.begin(), order.end(), 0);
  const size_t col = size_t(column);
  if (integer) {
    // Values as the filter reads them: a missing value is 0.
    std::vector<std::pair<qint32, int>> keyed(rows_.size());
    for (size_t r = 0; r < rows_.size(); ++r) {
      const TCell& c = rows_[r][col];
      keyed[r] = {c.HasValue ? c.Int : 0, int(r)};
    }
    std::sort(keyed.begin(), keyed.end());
    entry->Index.Ints.resize(keyed.size());
    for (size_t i = 0; i < keyed.size(); ++i) {
      entry->Index.Ints[i] = keyed[i].first;
      order[i] = keyed[i].second;
    }
  } else {
    // A missing text sorts as the empty text, first.
    auto key = [&](int r) {
      const TCell& c = rows_[size_t(r)][col];
      return c.HasValue ? QStringView(c.Text) : QStringView();
    };
    std::stable_sort(order.begin(), order.end(),
                     [&](int a, int b) { return CompareText(key(a), fold, key(b), fold) < 0; });
  }
  columnIndexes_.push_back(std::move(entry));
  return &columnIndexes_.back()->Index;
}

std::vector<TSortKey> TCatalogueTable::SortKeys() const {
  std::vector<TSortKey> keys;
  if (!indexName_.isEmpty()) {
    for (const TIndexDef& d : indexes_) {
      if (d.Name != indexName_) continue;
      const int col = FieldIndex(d.Field);
      if (col < 0) continue;
      keys.push_back(TSortKey{col, fields_[col].Type, d.Descending, d.IgnoreCase});
      const int then = d.ThenBy.isEmpty() ? -1 : FieldIndex(d.ThenBy);
      if (then >= 0 && then != col) keys.push_back(TSortKey{then, fields_[then].Type, false, false});
    }
    return keys;
  }
  for (const QString& f : indexFieldNames_.split(u';', Qt::SkipEmptyParts)) {
    const int col = FieldIndex(f.trimmed());
    if (col >= 0) keys.push_back(TSortKey{col, fields_[col].Type, false, false});
  }
  return keys;
}

void TCatalogueTable::EnsureView() const {
  if (!viewDirty_) return;
  if (orderDirty_) {
    ComputeOrder();
    orderDirty_ = false;
  }
  view_.clear();
  if (filter_) {
    // Select in storage order (or from column indexes), then list in the current order.
    filter_->Select(*this, marks_);
    // Branch-free: about half the rows pass a quality filter, which a branch mispredicts.
    view_.resize(order_.size());
    size_t kept = 0;
    for (int r : order_) {
      view_[kept] = r;
      kept += marks_[size_t(r)];
    }
    view_.resize(kept);
  } else {
    view_ = order_;
  }
  viewDirty_ = false;
  curPos_ = -1;
  if (curRow_ >= 0) {
    const auto it = std::find(view_.begin(), view_.end(), curRow_);
    if (it != view_.end()) curPos_ = int(it - view_.begin());
  }
  if (curPos_ < 0) {
    curPos_ = view_.empty() ? -1 : std::clamp(posHint_, 0, int(view_.size()) - 1);
    curRow_ = curPos_ >= 0 ? view_[size_t(curPos_)] : -1;
  }
}

TTableResult TCatalogueTable::MoveTo(int pos, TChange change) {
  EnsureView();
  const int old = curRow_;
  if (view_.empty()) {
    curPos_ = curRow_ = -1;
  } else {
    curPos_ = std::clamp(pos, 0, int(view_.size()) - 1);
    curRow_ = view_[size_t(curPos_)];
  }
  if (old != curRow_ || change != TChange::Scroll) Notify(change);
  return TTableResult::Success(curRow_ >= 0);
}

TTableResult TCatalogueTable::First() {
  if (TTableResult r = CheckBrowse(); !r) return r;
  TTableResult r = MoveTo(0);
  bof_ = true;
  eof_ = view_.empty();
  return r;
}

TTableResult TCatalogueTable::Last() {
  if (TTableResult r = CheckBrowse(); !r) return r;
  EnsureView();
  TTableResult r = MoveTo(int(view_.size()) - 1);
  eof_ = true;
  bof_ = view_.empty();
  return r;
}

TTableResult TCatalogueTable::Next() {
  if (TTableResult r = CheckBrowse(); !r) return r;
  EnsureView();
  bof_ = false;
  if (curPos_ + 1 >= int(view_.size())) {
    eof_ = true;
    return TTableResult::Success(false);
  }
  eof_ = false;
  return MoveTo(curPos_ + 1);
}

TTableResult TCatalogueTable::Prior() {
  if (TTableResult r = CheckBrowse(); !r) return r;
  EnsureView();
  eof_ = false;
  if (curPos_ <= 0) {
    bof_ = true;
    return TTableResult::Success(false);
  }
  bof_ = false;
  return MoveTo(curPos_ - 1);
}

bool TCatalogueTable::Eof() const {
  EnsureView();
  return eof_ || view_.empty();
}

bool TCatalogueTable::Bof() const {
  EnsureView();
  return bof_ || view_.empty();
}

TTableResult TCatalogueTable::FindFirst() {
  TTableResult r = First();
  if (r) r.Found = RecordCount() > 0;
  return r;
}

TTableResult TCatalogueTable::FindLast() {
  TTableResult r = Last();
  if (r) r.Found = RecordCount() > 0;
  return r;
}

TTableResult TCatalogueTable::FindNext() {
  if (TTableResult r = CheckBrowse(); !r) return r;
  EnsureView();
  if (curPos_ < 0 || curPos_ + 1 >= int(view_.size())) return TTableResult::Success(false);
  eof_ = bof_ = false;
  return MoveTo(curPos_ + 1);
}

TTableResult TCatalogueTable::FindPrior() {
  if (TTableResult r = CheckBrowse(); !r) return r;
  EnsureView();
  if (curPos_ <= 0) return TTableResult::Success(false);
  eof_ = bof_ = false;
  return MoveTo(curPos_ - 1);
}

int TCatalogueTable::RecordCount() const {
  if (!Active()) return 0;
  EnsureView();
  return int(view_.size());
}

int TCatalogueTable::RecNo() const {
  if (!Active()) return 0;
  if (state_ == TState::Insert) return RecordCount() + 1;
  EnsureView();
  return curPos_ + 1;
}

TTableResult TCatalogueTable::SetRecNo(int recNo) {
  if (TTableResult r = CheckBrowse(); !r) return r;
  eof_ = bof_ = false;
  return MoveTo(recNo - 1);
}

// ---- Filter -------------------------------------------------------------------------------

TTableResult TCatalogueTable::ReparseFilter() {
  TFilterParser parser(fields_, ignoreCase_);
  auto parsed = parser.Parse(filterText_);
  if (!parsed.Ok()) {
    // A filter kept across a re-creation with other fields no longer applies.
    filterText_.clear();
    filter_.reset();
    return TTableResult{parsed.Error, false};
  }
  filter_ = parsed.Value;
  return TTableResult::Success();
}

TTableResult TCatalogueTable::SetFilter(const QString& text) {
  if (fields_.isEmpty() && !Active()) {
    // Never created yet (no catalogue could be loaded): keep the text for the creation.
    filterText_ = text;
    filter_.reset();
    return TTableResult::Success();
  }
  TFilterParser parser(fields_, ignoreCase_);
  auto parsed = parser.Parse(text);
  if (!parsed.Ok()) return TTableResult{parsed.Error, false};
  if (Active()) {
    if (TTableResult r = CheckBrowse(); !r) return r;
  }
  filterText_ = text;
  filter_ = parsed.Value;
  InvalidateView();
  if (!Active()) return TTableResult::Success();
  eof_ = false;
  bof_ = true;
  curRow_ = -1;
  posHint_ = 0;
  return MoveTo(0, TChange::Filter);
}

// ---- Order --------------------------------------------------------------------------------

TTableResult TCatalogueTable::SortByFields(const QString& fieldList) {
  for (const QString& f : fieldList.split(u';', Qt::SkipEmptyParts)) {
    if (FieldIndex(f.trimmed()) < 0) {
      const TTableValue<int> col = Column(f.trimmed());
      return TTableResult{col.Error, false};
    }
  }
  if (Active()) {
    if (TTableResult r = CheckBrowse(); !r) return r;
  }
  indexFieldNames_ = fieldList;
  indexName_.clear();
  InvalidateOrder();
  if (Active()) Notify(TChange::Refresh);
  return TTableResult::Success();
}

TTableResult TCatalogueTable::AddIndex(const QString& name, const QString& field, bool descending, bool ignoreCase,
                                      const QString& thenBy) {
  if (FieldIndex(field) < 0) {
    const TTableValue<int> col = Column(field);
    return TTableResult{col.Error, false};
  }
  if (!thenBy.isEmpty() && FieldIndex(thenBy) < 0) {
    const TTableValue<int> col = Column(thenBy);
    return TTableResult{col.Error, false};
  }
  if (name.isEmpty() || std::any_of(indexes_.begin(), indexes_.end(), [&](const TIndexDef& d) { return d.Name == name; }))
    return TTableResult::Fail(TTableErrorKind::Definition, QStringLiteral("Nom d'index vide ou en double : « %1 ».").arg(name));
  indexes_.push_back(TIndexDef{name, field, descending, ignoreCase, thenBy});
  return TTableResult::Success();
}

QStringList TCatalogueTable::IndexNames() const {
  QStringList names;
  for (const TIndexDef& d : indexes_) names << d.Name;
  return names;
}

TTableResult TCatalogueTable::SetIndexName(const QString& name) {
  if (!name.isEmpty() &&
      std::none_of(indexes_.begin(), indexes_.end(), [&](const TIndexDef& d) { return d.Name == name; }))
    return TTableResult::Fail(TTableErrorKind::UnknownIndex, QStringLiteral("Index « %1 » introuvable.").arg(name));
  if (Active()) {
    if (TTableResult r = CheckBrowse(); !r) return r;
  }
  if (name == indexName_ && (name.isEmpty() ? indexFieldNames_.isEmpty() : true)) return TTableResult::Success();
  indexName_ = name;
  indexFieldNames_.clear();
  InvalidateOrder();
  if (Active()) Notify(TChange::Refresh);
  return TTableResult::Success();
}

// ---- Display ------------------------------------------------------------------------------

void TCatalogueTable::SuspendDisplay() { ++suspend_; }

void TCatalogueTable::ResumeDisplay() {
  if (suspend_ == 0) return;
  if (--suspend_ == 0 && heldBack_) {
    heldBack_ = false;
    Q_EMIT DataChange(TChange::Refresh);
  }
}

void TCatalogueTable::Notify(TChange change) {
  if (suspend_ > 0) {
    heldBack_ = true;
    return;
  }
  Q_EMIT DataChange(change);
}

// ---- Files --------------------------------------------------------------------------------

TTableResult TCatalogueTable::SaveToFile(const QString& path) const {
  if (TTableResult r = CheckOpen(); !r) return r;
  return WriteDataPacketFile(path, fields_, rows_);
}

TTableResult TCatalogueTable::LoadFromFile(const QString& path) {
  TTableValue<TDataPacket> packet = ReadDataPacketFile(path);
  if (!packet.Ok()) return TTableResult{packet.Error, false};
  return Load(packet.Value.Fields, std::move(packet.Value.Rows));
}

TTableResult TCatalogueTable::CopyCatalogueRow(const TCatalogueTable& scratch) {
  if (TTableResult r = CheckOpen(); !r) return r;
  if (state_ != TState::Insert && state_ != TState::Edit)
    return TTableResult::Fail(TTableErrorKind::NotEditing,
                              QStringLiteral("La table « %1 » n'est pas en mode édition ou insertion.").arg(name_));
  if (copyFrom_ != scratch.generation_ || copyMap_.size() != size_t(fields_.size())) {
    // Resolve the names once per scratch table, not once per row.
    static const QStringList streamFields = {QStringLiteral("StreamType"), QStringLiteral("BitRate"),
                                             QStringLiteral("SampleRate"), QStringLiteral("Channels")};
    const bool station = FieldIndex(QStringLiteral("Radio")) >= 0 && FieldIndex(QStringLiteral("StreamType")) >= 0;
    copyMap_.assign(size_t(fields_.size()), -1);
    for (int i = 0; i < fields_.size(); ++i) {
      const bool stream = station && streamFields.contains(fields_[i].Name, Qt::CaseInsensitive);
      if (stream && scratch.FieldCount() == 7) {
        copyMap_[size_t(i)] = -2;  // the older catalogue form, without stream information
        continue;
      }
      if (stream && scratch.FieldCount() != 11) continue;  // any other form: no value
      copyMap_[size_t(i)] = scratch.FieldIndex(fields_[i].Name);
      if (copyMap_[size_t(i)] < 0) {
        copyFrom_ = 0;
        return TTableResult::Fail(TTableErrorKind::UnknownField,
                                  QStringLiteral("Champ « %1 » introuvable dans le fichier.").arg(fields_[i].Name));
      }
    }
    copyFrom_ = scratch.generation_;
  }
  const TRow* source = scratch.CurrentRow();
  for (int i = 0; i < fields_.size(); ++i) {
    const int from = copyMap_[size_t(i)];
    if (from == -1) continue;
    QString text;
    if (from == -2) {
      text = fields_[i].Type == TFieldType::Integer ? QStringLiteral("0") : QStringLiteral("N/A");
    } else if (source) {
      const TCell& cell = (*source)[size_t(from)];
      if (cell.HasValue && scratch.fields_[from].Type == fields_[i].Type) {
        // Same type: share the text, cut to this table's width.
        TCell copy = cell;
        const QStringView cut = CutToWidth(copy.Text, fields_[i].Width);
        if (cut.size() < copy.Text.size()) {
          copy.Text = XmlSafeText(cut.toString());
          copy.HasValue = !copy.Text.isEmpty();
        }
        pending_[size_t(i)] = std::move(copy);
        continue;
      }
      if (cell.HasValue)
        text = scratch.fields_[from].Type == TFieldType::Integer ? QString::number(cell.Int) : cell.Text;
    }
    if (TTableResult r = SetFieldText(fields_[i].Name, text); !r) return r;
  }
  Notify(TChange::Record);
  return TTableResult::Success();
}
