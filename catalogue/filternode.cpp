#include "catalogue/filternode.h"

#include <algorithm>

void TFilterNode::Select(const TFilterRows& rows, TRowMarks& marks) const {
  const std::vector<TRow>& all = rows.FilterRows();
  marks.resize(all.size());
  for (size_t r = 0; r < all.size(); ++r) marks[r] = accept(all[r]) ? 1 : 0;
}

namespace {

// Clears the marks of the rows that fail `node`, testing only the rows still marked.
void Refine(const TFilterNode& node, const TFilterRows& rows, TRowMarks& marks) {
  const std::vector<TRow>& all = rows.FilterRows();
  for (size_t r = 0; r < marks.size(); ++r)
    if (marks[r] && !node.accept(all[r])) marks[r] = 0;
}

// Marks the rows that pass `node`, testing only the rows not marked yet.
void Extend(const TFilterNode& node, const TFilterRows& rows, TRowMarks& marks) {
  const std::vector<TRow>& all = rows.FilterRows();
  for (size_t r = 0; r < marks.size(); ++r)
    if (!marks[r] && node.accept(all[r])) marks[r] = 1;
}

class TAndNode : public TFilterNode {
 public:
  TAndNode(TFilterNodePtr l, TFilterNodePtr r) : l_(std::move(l)), r_(std::move(r)) {}
  bool accept(const TRow& row) const override { return l_->accept(row) && r_->accept(row); }
  // The indexed side first; the other side then only tests the rows that passed it.
  void Select(const TFilterRows& rows, TRowMarks& marks) const override {
    const bool swap = !l_->Indexed(rows) && r_->Indexed(rows);
    const TFilterNode& first = swap ? *r_ : *l_;
    const TFilterNode& second = swap ? *l_ : *r_;
    first.Select(rows, marks);
    if (!second.Indexed(rows)) return Refine(second, rows, marks);
    TRowMarks other;
    second.Select(rows, other);
    for (size_t r = 0; r < marks.size(); ++r) marks[r] &= other[r];
  }
  bool Indexed(const TFilterRows& rows) const override { return l_->Indexed(rows) || r_->Indexed(rows); }

 private:
  TFilterNodePtr l_, r_;
};

class TOrNode : public TFilterNode {
 public:
  TOrNode(TFilterNodePtr l, TFilterNodePtr r) : l_(std::move(l)), r_(std::move(r)) {}
  bool accept(const TRow& row) const override { return l_->accept(row) || r_->accept(row); }
  // The indexed side first; the other side then only tests the rows that failed it.
  void Select(const TFilterRows& rows, TRowMarks& marks) const override {
    const bool swap = !l_->Indexed(rows) && r_->Indexed(rows);
    const TFilterNode& first = swap ? *r_ : *l_;
    const TFilterNode& second = swap ? *l_ : *r_;
    first.Select(rows, marks);
    if (!second.Indexed(rows)) return Extend(second, rows, marks);
    TRowMarks other;
    second.Select(rows, other);
    for (size_t r = 0; r < marks.size(); ++r) marks[r] |= other[r];
  }
  bool Indexed(const TFilterRows& rows) const override { return l_->Indexed(rows) && r_->Indexed(rows); }

 private:
  TFilterNodePtr l_, r_;
};

class TNotNode : public TFilterNode {
 public:
  explicit TNotNode(TFilterNodePtr inner) : inner_(std::move(inner)) {}
  bool accept(const TRow& row) const override { return !inner_->accept(row); }
  void Select(const TFilterRows& rows, TRowMarks& marks) const override {
    inner_->Select(rows, marks);
    for (quint8& m : marks) m ^= 1;
  }
  bool Indexed(const TFilterRows& rows) const override { return inner_->Indexed(rows); }

 private:
  TFilterNodePtr inner_;
};

bool IsNumeric(const TFilterOperand& o) {
  if (o.What == TFilterOperand::Kind::Number) return true;
  return o.What == TFilterOperand::Kind::Field && o.Type == TFieldType::Integer && o.Fold == TFold::None;
}

bool Holds(int cmp, TFilterOp op) {
  switch (op) {
    case TFilterOp::Eq: return cmp == 0;
    case TFilterOp::Ne: return cmp != 0;
    case TFilterOp::Lt: return cmp < 0;
    case TFilterOp::Le: return cmp <= 0;
    case TFilterOp::Gt: return cmp > 0;
    case TFilterOp::Ge: return cmp >= 0;
    case TFilterOp::Like: return cmp == 0;
  }
  return false;
}

// `constant op field` read as `field op' constant`.
TFilterOp Mirror(TFilterOp op) {
  switch (op) {
    case TFilterOp::Lt: return TFilterOp::Gt;
    case TFilterOp::Le: return TFilterOp::Ge;
    case TFilterOp::Gt: return TFilterOp::Lt;
    case TFilterOp::Ge: return TFilterOp::Le;
    default: return op;
  }
}

// Marks the rows of `field op constant` from the column's sorted index, given the entries
// [lower, upper) whose value equals the constant.
void MarkIndexRange(const TColumnIndex& index, size_t rowCount, TFilterOp op, size_t lower, size_t upper,
                    TRowMarks& marks) {
  const size_t n = index.Rows.size();
  size_t begin = 0, end = 0;
  bool outside = false;
  switch (op) {
    case TFilterOp::Eq: begin = lower; end = upper; break;
    case TFilterOp::Ne: begin = lower; end = upper; outside = true; break;
    case TFilterOp::Lt: begin = 0; end = lower; break;
    case TFilterOp::Le: begin = 0; end = upper; break;
    case TFilterOp::Gt: begin = upper; end = n; break;
    case TFilterOp::Ge: begin = lower; end = n; break;
    case TFilterOp::Like: break;
  }
  marks.assign(rowCount, outside ? 1 : 0);
  const quint8 mark = outside ? 0 : 1;
  for (size_t i = begin; i < end; ++i) marks[size_t(index.Rows[i])] = mark;
}

// A comparison between one field and one constant, seen from the field: which side the
// field is on, and the operator with the field on the left.
struct TFieldSide {
  bool Valid = false;
  bool FieldLeft = true;
  TFilterOp Op = TFilterOp::Eq;
};

TFieldSide FieldAgainstConstant(const TFilterOperand& l, const TFilterOperand& r, TFilterOp op) {
  const bool lf = l.What == TFilterOperand::Kind::Field, rf = r.What == TFilterOperand::Kind::Field;
  if (op == TFilterOp::Like || lf == rf) return {};
  return TFieldSide{true, lf, lf ? op : Mirror(op)};
}

class TNumericCompare : public TFilterNode {
 public:
  TNumericCompare(TFilterOperand l, TFilterOp op, TFilterOperand r)
      : l_(std::move(l)), r_(std::move(r)), op_(op), side_(FieldAgainstConstant(l_, r_, op_)) {}
  bool accept(const TRow& row) const override {
    const qint64 a = Value(l_, row), b = Value(r_, row);
    return Holds(a < b ? -1 : (a > b ? 1 : 0), op_);
  }
  void Select(const TFilterRows& rows, TRowMarks& marks) const override {
    const TColumnIndex* index = Index(rows);
    if (!index) return TFilterNode::Select(rows, marks);
    const qint64 c = (side_.FieldLeft ? r_ : l_).Number;
    const auto lower = std::lower_bound(index->Ints.begin(), index->Ints.end(), c,
                                        [](qint32 v, qint64 k) { return qint64(v) < k; });
    const auto upper = std::upper_bound(lower, index->Ints.end(), c, [](qint64 k, qint32 v) { return k < qint64(v); });
    MarkIndexRange(*index, rows.FilterRows().size(), side_.Op, size_t(lower - index->Ints.begin()),
                   size_t(upper - index->Ints.begin()), marks);
  }
  bool Indexed(const TFilterRows& rows) const override { return Index(rows) != nullptr; }

 private:
  // An integer field against a number, served by the field's index.
  const TColumnIndex* Index(const TFilterRows& rows) const {
    if (!side_.Valid) return nullptr;
    const TFilterOperand& field = side_.FieldLeft ? l_ : r_;
    const TFilterOperand& constant = side_.FieldLeft ? r_ : l_;
    if (field.Type != TFieldType::Integer || constant.What != TFilterOperand::Kind::Number) return nullptr;
    const TColumnIndex* index = rows.ColumnIndex(field.Column, TFold::None);
    return index && index->Ints.size() == index->Rows.size() ? index : nullptr;
  }

  static qint64 Value(const TFilterOperand& o, const TRow& row) {
    if (o.What == TFilterOperand::Kind::Number) return o.Number;
    const TCell& c = row[size_t(o.Column)];
    return c.HasValue ? c.Int : 0;
  }
  TFilterOperand l_, r_;
  TFilterOp op_;
  TFieldSide side_;
};

class TTextCompare : public TFilterNode {
 public:
  TTextCompare(TFilterOperand l, TFilterOp op, TFilterOperand r, bool ignoreCase)
      : l_(std::move(l)), r_(std::move(r)), op_(op), side_(FieldAgainstConstant(l_, r_, op_)) {
    // unaccent() on one side maps both, as a table ignoring case lowers both. A quoted
    // text is mapped here once; a field's text is mapped as a whole for each row (View),
    // since the mapping may change its length, and then compares as it is.
    const bool unaccent = l_.Fold == TFold::Unaccent || r_.Fold == TFold::Unaccent;
    foldL_ = unaccent ? TFold::Unaccent : ignoreCase ? TFold::Lower : l_.Fold;
    foldR_ = unaccent ? TFold::Unaccent : ignoreCase ? TFold::Lower : r_.Fold;
    if (unaccent) {
      for (TFilterOperand* o : {&l_, &r_}) {
        o->Fold = TFold::Unaccent;
        if (o->What != TFilterOperand::Kind::Field) o->Text = FoldText(o->Text, TFold::Unaccent);
      }
    }
    compareL_ = unaccent ? TFold::None : foldL_;
    compareR_ = unaccent ? TFold::None : foldR_;
    // The browser's "field like '%text%'" with no other wildcard: a substring search for
    // the text mapped once here rather than for every row.
    if (op_ == TFilterOp::Like && l_.What == TFilterOperand::Kind::Field && r_.What != TFilterOperand::Kind::Field) {
      const QString& p = r_.Text;
      if (p.size() >= 2 && p.front() == u'%' && p.back() == u'%') {
        const QStringView inner = QStringView(p).sliced(1, p.size() - 2);
        if (!inner.contains(u'%') && !inner.contains(u'_')) {
          needle_.reserve(inner.size());
          for (QChar c : inner) needle_.append(QChar(FoldChar(c.unicode(), compareR_)));
          contains_ = true;
        }
      }
    }
  }
  bool accept(const TRow& row) const override {
    QString scratchL, scratchR;  // only used for integer fields read as text
    const QStringView a = View(l_, row, scratchL);
    if (contains_) return ContainsMapped(a, compareL_, needle_);
    const QStringView b = View(r_, row, scratchR);
    if (op_ == TFilterOp::Like) return LikeMatch(a, compareL_, b, compareR_);
    return Holds(CompareText(a, compareL_, b, compareR_), op_);
  }
  void Select(const TFilterRows& rows, TRowMarks& marks) const override {
    if (contains_ && needle_.isEmpty()) {  // '%%': every row, whatever its value
      marks.assign(rows.FilterRows().size(), 1);
      return;
    }
    if (contains_ && l_.Type == TFieldType::String) {
      if (const TColumnText* column = rows.ColumnText(l_.Column, foldL_)) return SelectContaining(*column, marks);
    }
    const TColumnIndex* index = Index(rows);
    if (!index) return TFilterNode::Select(rows, marks);
    const std::vector<TRow>& all = rows.FilterRows();
    const int col = (side_.FieldLeft ? l_ : r_).Column;
    const TFold foldField = side_.FieldLeft ? foldL_ : foldR_;
    const TFold foldConst = side_.FieldLeft ? foldR_ : foldL_;
    const QStringView c = (side_.FieldLeft ? r_ : l_).Text;
    auto key = [&](int row) -> QStringView {
      const TCell& cell = all[size_t(row)][size_t(col)];
      return cell.HasValue ? QStringView(cell.Text) : QStringView();
    };
    const auto lower = std::lower_bound(index->Rows.begin(), index->Rows.end(), c, [&](int row, QStringView k) {
      return CompareText(key(row), foldField, k, foldConst) < 0;
    });
    const auto upper = std::upper_bound(lower, index->Rows.end(), c, [&](QStringView k, int row) {
      return CompareText(key(row), foldField, k, foldConst) > 0;
    });
    MarkIndexRange(*index, all.size(), side_.Op, size_t(lower - index->Rows.begin()),
                   size_t(upper - index->Rows.begin()), marks);
  }
  bool Indexed(const TFilterRows& rows) const override { return Index(rows) != nullptr; }

 private:
  // Marks the rows whose mapped text contains needle_: each occurrence of its first unit
  // in the column's text (a vectorised search), checked in full and inside one row.
  void SelectContaining(const TColumnText& column, TRowMarks& marks) const {
    const size_t rowCount = column.Starts.size() - 1;
    marks.assign(rowCount, 0);
    const qsizetype m = needle_.size();
    const QStringView text = column.Text;
    const QChar first = needle_.front();
    const QStringView rest = QStringView(needle_).sliced(1);
    size_t row = 0;
    for (qsizetype at = text.indexOf(first); at >= 0 && at + m <= text.size(); at = text.indexOf(first, at)) {
      while (column.Starts[row + 1] <= at) ++row;
      if (at + m <= column.Starts[row + 1] && text.sliced(at + 1, m - 1) == rest) {
        marks[row] = 1;
        at = column.Starts[row + 1];  // the row is taken: go on with the next one
      } else {
        ++at;
      }
    }
  }
  // The text of `o` for `row`: a field mapped by Unaccent is mapped into `scratch`; other
  // mappings are left to the comparison.
  static QStringView View(const TFilterOperand& o, const TRow& row, QString& scratch) {
    if (o.What != TFilterOperand::Kind::Field) return o.Text;
    const TCell& c = row[size_t(o.Column)];
    if (!c.HasValue) return QStringView();
    if (o.Type == TFieldType::String && o.Fold != TFold::Unaccent) return c.Text;
    scratch = o.Type == TFieldType::String ? FoldText(c.Text, TFold::Unaccent) : QString::number(c.Int);
    return scratch;
  }
  // A text field against a quoted text, served by the field's index under its mapping.
  const TColumnIndex* Index(const TFilterRows& rows) const {
    if (!side_.Valid) return nullptr;
    const TFilterOperand& field = side_.FieldLeft ? l_ : r_;
    const TFilterOperand& constant = side_.FieldLeft ? r_ : l_;
    if (field.Type != TFieldType::String || constant.What != TFilterOperand::Kind::Text) return nullptr;
    // The indexes compare unit by unit, which Unaccent's ligatures and accents do not
    // allow: such comparisons scan the rows.
    if (field.Fold == TFold::Unaccent) return nullptr;
    return rows.ColumnIndex(field.Column, side_.FieldLeft ? foldL_ : foldR_);
  }
  TFilterOperand l_, r_;
  TFilterOp op_;
  TFold foldL_, foldR_;        // each side's mapping, as the laid-out columns are mapped
  TFold compareL_, compareR_;  // what the comparison maps: None for texts mapped already
  bool contains_ = false;
  QString needle_;  // contains_: the text searched for, mapped by foldR_
  TFieldSide side_;
};

}  // namespace

TFilterNodePtr MakeFilterAnd(TFilterNodePtr left, TFilterNodePtr right) {
  return std::make_unique<TAndNode>(std::move(left), std::move(right));
}

TFilterNodePtr MakeFilterOr(TFilterNodePtr left, TFilterNodePtr right) {
  return std::make_unique<TOrNode>(std::move(left), std::move(right));
}

TFilterNodePtr MakeFilterNot(TFilterNodePtr inner) { return std::make_unique<TNotNode>(std::move(inner)); }

TFilterNodePtr MakeFilterCompare(TFilterOperand left, TFilterOp op, TFilterOperand right, bool ignoreCase) {
  // An integer field against a quoted integer ("BitRate = '128'") compares as numbers.
  auto toNumber = [](TFilterOperand& o) {
    if (o.What != TFilterOperand::Kind::Text || o.Fold != TFold::None) return;
    bool ok = false;
    const qint64 v = o.Text.trimmed().toLongLong(&ok);
    if (ok) {
      o.What = TFilterOperand::Kind::Number;
      o.Number = v;
    }
  };
  if (op != TFilterOp::Like) {
    if (IsNumeric(left) && !IsNumeric(right)) toNumber(right);
    if (IsNumeric(right) && !IsNumeric(left)) toNumber(left);
    if (IsNumeric(left) && IsNumeric(right))
      return std::make_unique<TNumericCompare>(std::move(left), op, std::move(right));
  }
  return std::make_unique<TTextCompare>(std::move(left), op, std::move(right), ignoreCase);
}
