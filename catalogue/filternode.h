// Nodes of a parsed filter expression. The parser builds the tree once per filter text;
// the table then asks the root of every row whether it passes.
#pragma once

#include <QString>

#include <memory>

#include "catalogue/fielddef.h"
#include "catalogue/textcompare.h"

class TFilterNode {
 public:
  virtual ~TFilterNode() = default;
  // True when `row` passes. Rows hold one cell per field of the table the expression
  // was parsed for.
  virtual bool accept(const TRow& row) const = 0;
};

using TFilterNodePtr = std::unique_ptr<TFilterNode>;

// One side of a comparison: a field (possibly inside lower() or upper()), a quoted text
// or a decimal number.
struct TFilterOperand {
  enum class Kind { Field, Text, Number } What = Kind::Text;
  int Column = -1;                             // Field: index in the row
  TFieldType Type = TFieldType::String;        // Field: its type
  TFold Fold = TFold::None;                    // lower()/upper() applied
  QString Text;                                // Text; Number as written
  qint64 Number = 0;                           // Number
};

enum class TFilterOp { Eq, Ne, Lt, Le, Gt, Ge, Like };

TFilterNodePtr MakeFilterAnd(TFilterNodePtr left, TFilterNodePtr right);
TFilterNodePtr MakeFilterOr(TFilterNodePtr left, TFilterNodePtr right);
TFilterNodePtr MakeFilterNot(TFilterNodePtr inner);
// A comparison. Two numeric sides compare as integers; otherwise both sides compare as
// texts, ignoring case when `ignoreCase` (the station table). A cell without a value
// compares as the empty text or as 0.
TFilterNodePtr MakeFilterCompare(TFilterOperand left, TFilterOp op, TFilterOperand right, bool ignoreCase);
