// Ordering of table rows by one or more fields: what named indexes and field lists sort by.
#pragma once

#include <QString>

#include <vector>

#include "catalogue/columntext.h"
#include "catalogue/fielddef.h"

// A named single-field index as added to a table ("Radio__IdxA").
struct TIndexDef {
  QString Name;
  QString Field;
  bool Descending = false;
  bool IgnoreCase = false;
};

struct TSortKey {
  int Column = 0;
  TFieldType Type = TFieldType::String;
  bool Descending = false;
  bool IgnoreCase = false;
  bool operator==(const TSortKey&) const = default;
};

// Fills `order` with the indexes of `rows` sorted by `keys`. Rows that compare equal keep
// their order in `rows` (insertion order), ascending or descending. A cell without a
// value sorts before every value. No keys: insertion order. `lowered`, when given, is the
// first key's column laid out in lower case: the sort then reads it instead of the cells.
void SortRows(const std::vector<TRow>& rows, const std::vector<TSortKey>& keys, std::vector<int>& order,
              const TColumnText* lowered = nullptr);

// Whether row `a` comes before row `b` in the order SortRows gives for `keys` (a strict
// total order: rows equal on every key go by row number). For keeping a sorted order up
// to date when one row changes.
bool RowLess(const std::vector<TRow>& rows, const std::vector<TSortKey>& keys, int a, int b);

// Moves `row`, whose values changed, to its place in `order` (sorted by `keys`).
void ResortRow(const std::vector<TRow>& rows, const std::vector<TSortKey>& keys, std::vector<int>& order, int row);

// Removes row number `row` from `order` and renumbers the rows after it, as when the row
// is deleted from the table.
void RemoveRow(std::vector<int>& order, int row);

// The order of `rows` by `key` with the direction turned round, from `sorted`, their order
// by the opposite direction (as SortRows gives it): the same as sorting again, in linear
// time. Not for keys that ignore case; returns false for them and leaves `order` alone.
bool ReverseSortedRows(const std::vector<TRow>& rows, const TSortKey& key, const std::vector<int>& sorted,
                       std::vector<int>& order);
