// Field definitions and cell values of the catalogue tables.
#pragma once

#include <QList>
#include <QString>

#include <vector>

enum class TFieldType {
  String,   // text of at most Width characters
  Integer,  // 32-bit signed integer
};

struct TFieldDef {
  QString Name;
  TFieldType Type = TFieldType::String;
  int Width = 0;  // characters; 0 for integers
  bool Required = false;
};

using TFieldList = QList<TFieldDef>;

// One value. A cell without a value (HasValue false) reads as an empty text; an empty
// text written into a field counts as no value, so a required field needs a non-empty text.
struct TCell {
  QString Text;   // String fields
  qint32 Int = 0; // Integer fields
  bool HasValue = false;
};

// One row: one cell per field, in field order.
using TRow = std::vector<TCell>;
