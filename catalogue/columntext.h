// One text column of a table laid end to end, mapped by a case mapping: substring searches
// and sorts then read contiguous memory instead of one allocation per row.
#pragma once

#include <QString>

#include <vector>

// Row r is Text[Starts[r] .. Starts[r + 1]); a missing value is empty.
struct TColumnText {
  QString Text;
  std::vector<qsizetype> Starts;  // one per row, plus the end
};
