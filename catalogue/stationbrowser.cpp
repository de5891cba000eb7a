#include "catalogue/stationbrowser.h"

#include <algorithm>

#include "catalogue/textcompare.h"

namespace {

const QString kRadio = QStringLiteral("Radio");

QString ColumnField(int column) { return QString::fromLatin1(TStationGridModel::kColumns[column].Field); }

// Holds the table's change notifications back for the life of the guard: the browser's
// actions reach the grid and the status line once each.
class TDisplayGuard {
 public:
  explicit TDisplayGuard(TCatalogueTable& table) : table_(table) { table_.SuspendDisplay(); }
  ~TDisplayGuard() { table_.ResumeDisplay(); }
  TDisplayGuard(const TDisplayGuard&) = delete;
  TDisplayGuard& operator=(const TDisplayGuard&) = delete;

 private:
  TCatalogueTable& table_;
};

}  // namespace

bool TStationBrowser::SetSortIndex(const QString& field, bool descending) {
  // Every field of the station record (texts and integers) can be indexed.
  if (table_.FieldIndex(field) < 0) return false;
  const QString name = field + (descending ? QStringLiteral("__IdxD") : QStringLiteral("__IdxA"));
  if (!table_.IndexNames().contains(name)) {
    // Stations of one country (genre, bit rate...) go by name, as a reader looks them up.
    const QString thenBy = field.compare(kRadio, Qt::CaseInsensitive) == 0 ? QString() : kRadio;
    if (!table_.AddIndex(name, field, descending, false, thenBy)) return false;
  }
  return bool(table_.SetIndexName(name));
}

TTableResult TStationBrowser::ApplyFilter(TBrowserFilter filter, const QString& text) {
  const std::optional<QString> expression = BrowserFilterExpression(filter, text);
  if (!expression) return TTableResult::Success(false);
  // No catalogue was ever loaded: the table has no fields to order by yet.
  if (table_.FieldCount() == 0) {
    TTableResult r = table_.SetFilter(*expression);
    r.Found = r.Ok();
    return r;
  }
  TDisplayGuard guard(table_);
  if (filter == TBrowserFilter::Quality) {
    if (TTableResult r = table_.SortByFields(QStringLiteral("radio")); !r) return r;
  }
  if (TTableResult r = table_.SetFilter(*expression); !r) return r;
  SetSortIndex(kRadio, false);
  MarkOnly(0, TSortMarker::Ascending);
  if (table_.Active()) table_.First();
  return TTableResult::Success(true);
}

void TStationBrowser::TitleClick(int column) {
  if (column < 0 || column >= kColumnCount) return;
  const QString field = ColumnField(column);
  TDisplayGuard guard(table_);
  const bool descending = table_.IndexName() == field + QStringLiteral("__IdxA");
  if (!SetSortIndex(field, descending)) return;
  MarkOnly(column, descending ? TSortMarker::Descending : TSortMarker::Ascending);
  if (table_.Active()) table_.First();
}

void TStationBrowser::MarkOnly(int column, TSortMarker marker) {
  markers_.fill(TSortMarker::None);
  markers_[size_t(column)] = marker;
}

TSortMarker TStationBrowser::Marker(int column) const {
  return column >= 0 && column < kColumnCount ? markers_[size_t(column)] : TSortMarker::None;
}

void TStationBrowser::PreviousStation() {
  if (!table_.Active() || table_.RecordCount() == 0) return;
  const TTableResult r = table_.FindPrior();
  if (r && !r.Found) table_.FindLast();
}

void TStationBrowser::NextStation() {
  if (!table_.Active() || table_.RecordCount() == 0) return;
  const TTableResult r = table_.FindNext();
  if (r && !r.Found) table_.FindFirst();
}

QStringList SortedListItems(QStringList items) {
  // The table's order (CollateText), so that a list reads as the grid and the list
  // editors sort; texts equal for it are equal texts.
  std::sort(items.begin(), items.end(),
            [](const QString& a, const QString& b) { return CollateText(a, b, false) < 0; });
  return items;
}
