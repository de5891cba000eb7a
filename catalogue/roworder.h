// Ordering of table rows by one or more fields: what named indexes and field lists sort by.
#pragma once

#include <QString>

#include <functional>
#include <vector>

#include "catalogue/columntext.h"
#include "catalogue/fielddef.h"
#include "catalogue/textcompare.h"

// A named single-field index as added to a table ("Radio__IdxA").
struct TIndexDef {
  QString Name;
  QString Field;
  bool Descending = false;
  bool IgnoreCase = false;
  QString ThenBy;  // rows equal on Field go ascending by this field; empty: insertion order
};

struct TSortKey {
  int Column = 0;
  TFieldType Type = TFieldType::String;
  bool Descending = false;
  bool IgnoreCase = false;
  bool operator==(const TSortKey&) const = default;
};

// Text column `column` of `rows` laid out mapped by `fold`.
TColumnText LayOutColumn(const std::vector<TRow>& rows, int column, TFold fold);

// Fills `order` with the indexes of `rows` sorted by `keys`; texts sort as CollateText
// orders them (unaccented, then accents, then case; no case level when the key ignores
// case). Rows that compare equal keep their order in `rows` (insertion order), ascending
// or descending. A cell without a value sorts before every value. No keys: insertion
// order. `folded`, when given, gives a text column laid out by Unaccent (as LayOutColumn
// gives it; nullptr when it keeps none): the sort then reads it instead of laying it out.
using TFoldedColumn = std::function<const TColumnText*(int column)>;
void SortRows(const std::vector<TRow>& rows, const std::vector<TSortKey>& keys, std::vector<int>& order,
              const TFoldedColumn& folded = {});

// Whether row `a` comes before row `b` in the order SortRows gives for `keys` (a strict
// total order: rows equal on every key go by row number). For keeping a sorted order up
// to date when one row changes.
bool RowLess(const std::vector<TRow>& rows, const std::vector<TSortKey>& keys, int a, int b);

// Moves `row`, whose values changed, to its place in `order` (sorted by `keys`).
void ResortRow(const std::vector<TRow>& rows, const std::vector<TSortKey>& keys, std::vector<int>& order, int row);

// Removes row number `row` from `order` and renumbers the rows after it, as when the row
// is deleted from the table.
void RemoveRow(std::vector<int>& order, int row);

// The order of `rows` with the direction of the first key `key` turned round, from
// `sorted`, their order by the opposite direction (as SortRows gives it, with any later
// keys unchanged): the same as sorting again, in linear time. Not for keys that ignore
// case; returns false for them and leaves `order` alone.
bool ReverseSortedRows(const std::vector<TRow>& rows, const TSortKey& key, const std::vector<int>& sorted,
                       std::vector<int>& order);
