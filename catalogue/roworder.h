// Ordering of table rows by one or more fields: what named indexes and field lists sort by.
#pragma once

#include <QString>

#include <vector>

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
};

// Fills `order` with the indexes of `rows` sorted by `keys`. Rows that compare equal keep
// their order in `rows` (insertion order), ascending or descending. A cell without a
// value sorts before every value. No keys: insertion order.
void SortRows(const std::vector<TRow>& rows, const std::vector<TSortKey>& keys, std::vector<int>& order);
