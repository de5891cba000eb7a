// Nodes of a parsed filter expression. The parser builds the tree once per filter text;
// the table then asks the root which rows pass: Select marks them all at once, reading the
// rows in storage order (memory order) or, for comparisons of a short column with a
// constant, the table's sorted index of that column.
#pragma once

#include <QString>

#include <memory>
#include <vector>

#include "catalogue/columntext.h"
#include "catalogue/fielddef.h"
#include "catalogue/textcompare.h"

// One column's rows sorted by value, as filters compare them: integers as numbers (a
// missing value is 0), texts mapped by the index's case mapping (a missing value is the
// empty text). Rows with equal values stay in storage order.
struct TColumnIndex {
  std::vector<int> Rows;     // row numbers, by value
  std::vector<qint32> Ints;  // integer columns: the value of each entry of Rows
};

// The rows a filter selects from, and the indexes it may use.
class TFilterRows {
 public:
  virtual ~TFilterRows() = default;
  virtual const std::vector<TRow>& FilterRows() const = 0;
  // The sorted index of `column` with texts mapped by `fold`, built on first use; nullptr
  // when the column keeps none (long texts are cheaper to scan than to index).
  virtual const TColumnIndex* ColumnIndex(int column, TFold fold) const = 0;
  // The values of text column `column` mapped by `fold`, built on first use; nullptr for
  // an integer column.
  virtual const TColumnText* ColumnText(int column, TFold fold) const = 0;
};

// One mark per row: 1 passes, 0 does not.
using TRowMarks = std::vector<quint8>;

class TFilterNode {
 public:
  virtual ~TFilterNode() = default;
  // True when `row` passes. Rows hold one cell per field of the table the expression
  // was parsed for.
  virtual bool accept(const TRow& row) const = 0;
  // Sets marks[r] for every row r of `rows` (resizing marks): the same answer as accept
  // for each row. By default tests each row in storage order.
  virtual void Select(const TFilterRows& rows, TRowMarks& marks) const;
  // Whether Select answers without testing every row (an index serves it).
  virtual bool Indexed(const TFilterRows&) const { return false; }
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
