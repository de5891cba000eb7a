// What the station browser does to the station table, without widgets: applying a filter,
// ordering by a named index (SetSortIndex) and by column-title clicks with their sort
// markers, the previous and next moves that wrap around, and the type-ahead search of the
// grid. The browser window calls it from its handlers.
//
// Thread: interface thread only (the table's thread).
#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>
#include <QStringList>

#include <array>

#include "catalogue/browserfilter.h"
#include "catalogue/cataloguetable.h"
#include "catalogue/stationgridmodel.h"

enum class TSortMarker { None, Ascending, Descending };

class TStationBrowser {
 public:
  static constexpr int kColumnCount = int(std::size(TStationGridModel::kColumns));

  explicit TStationBrowser(TCatalogueTable& table) : table_(table) {}

  // Orders the table by `field` through the index `field` + "__IdxA" (or "__IdxD" when
  // descending), adding it when missing; rows equal on a field other than Radio go by
  // Radio, ascending. False, with nothing changed, when the table has no such field.
  bool SetSortIndex(const QString& field, bool descending);

  // Sets the filter's expression for `text`, orders by Radio ascending and makes the first
  // row current, with one change notification. The quality filter first orders by the
  // field list "radio". Found is true when the filter was set, false when the quality
  // text is none of the four: nothing changes then. A table never created only keeps the expression for its creation.
  TTableResult ApplyFilter(TBrowserFilter filter, const QString& text);

  // A click on the title of grid column `column`: ascending unless the table is already
  // ascending by that column's index, then descending; the first row becomes current.
  void TitleClick(int column);
  // The column titles' markers: the column the table is ordered by carries its direction
  // (a filter orders by Radio ascending, and its marker says so), the others none.
  TSortMarker Marker(int column) const;

  // The previous (next) row passing the filter in the current order; from the first
  // (last) row, the last (first). Nothing moves on an empty or closed table.
  void PreviousStation();
  void NextStation();

 private:
  void MarkOnly(int column, TSortMarker marker);

  TCatalogueTable& table_;
  std::array<TSortMarker, kColumnCount> markers_{};
};

// The entries of a sorted drop-down list: alphabetical as a French reader sorts, ignoring
// case and accents first (the table's order, CollateText).
QStringList SortedListItems(QStringList items);
