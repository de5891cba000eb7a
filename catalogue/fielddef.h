// Field definitions and cell values of the catalogue tables.
#pragma once

#include <QList>
#include <QString>
#include <QStringView>

#include <vector>

enum class TFieldType {
  String,   // text of at most Width characters
  Integer,  // 32-bit signed integer
};

struct TFieldDef {
  QString Name;
  TFieldType Type = TFieldType::String;
  int Width = 0;  // characters (code points); 0 for integers
  bool Required = false;
};

using TFieldList = QList<TFieldDef>;

// `text` cut to at most `width` characters, counted as code points: a character outside
// the basic plane (an emoji, say) counts once, and a cut never splits its two halves.
// A width of 0 or less keeps the whole text.
inline QStringView CutToWidth(QStringView text, int width) {
  if (width <= 0 || text.size() <= width) return text;
  qsizetype i = 0;
  for (int n = 0; n < width && i < text.size(); ++n)
    i += (text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) ? 2 : 1;
  return text.first(i);
}

// One value. A cell without a value (HasValue false) reads as an empty text; an empty
// text written into a field counts as no value, so a required field needs a non-empty text.
struct TCell {
  QString Text;   // String fields
  qint32 Int = 0; // Integer fields
  bool HasValue = false;
};

// One row: one cell per field, in field order.
using TRow = std::vector<TCell>;
