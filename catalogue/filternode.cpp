#include "catalogue/filternode.h"

namespace {

class TAndNode : public TFilterNode {
 public:
  TAndNode(TFilterNodePtr l, TFilterNodePtr r) : l_(std::move(l)), r_(std::move(r)) {}
  bool accept(const TRow& row) const override { return l_->accept(row) && r_->accept(row); }

 private:
  TFilterNodePtr l_, r_;
};

class TOrNode : public TFilterNode {
 public:
  TOrNode(TFilterNodePtr l, TFilterNodePtr r) : l_(std::move(l)), r_(std::move(r)) {}
  bool accept(const TRow& row) const override { return l_->accept(row) || r_->accept(row); }

 private:
  TFilterNodePtr l_, r_;
};

class TNotNode : public TFilterNode {
 public:
  explicit TNotNode(TFilterNodePtr inner) : inner_(std::move(inner)) {}
  bool accept(const TRow& row) const override { return !inner_->accept(row); }

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

class TNumericCompare : public TFilterNode {
 public:
  TNumericCompare(TFilterOperand l, TFilterOp op, TFilterOperand r) : l_(std::move(l)), r_(std::move(r)), op_(op) {}
  bool accept(const TRow& row) const override {
    const qint64 a = Value(l_, row), b = Value(r_, row);
    return Holds(a < b ? -1 : (a > b ? 1 : 0), op_);
  }

 private:
  static qint64 Value(const TFilterOperand& o, const TRow& row) {
    if (o.What == TFilterOperand::Kind::Number) return o.Number;
    const TCell& c = row[size_t(o.Column)];
    return c.HasValue ? c.Int : 0;
  }
  TFilterOperand l_, r_;
  TFilterOp op_;
};

class TTextCompare : public TFilterNode {
 public:
  TTextCompare(TFilterOperand l, TFilterOp op, TFilterOperand r, bool ignoreCase)
      : l_(std::move(l)), r_(std::move(r)), op_(op) {
    foldL_ = ignoreCase ? TFold::Lower : l_.Fold;
    foldR_ = ignoreCase ? TFold::Lower : r_.Fold;
  }
  bool accept(const TRow& row) const override {
    QString scratchL, scratchR;  // only used for integer fields read as text
    const QStringView a = View(l_, row, scratchL);
    const QStringView b = View(r_, row, scratchR);
    if (op_ == TFilterOp::Like) return LikeMatch(a, foldL_, b, foldR_);
    return Holds(CompareText(a, foldL_, b, foldR_), op_);
  }

 private:
  static QStringView View(const TFilterOperand& o, const TRow& row, QString& scratch) {
    if (o.What != TFilterOperand::Kind::Field) return o.Text;
    const TCell& c = row[size_t(o.Column)];
    if (!c.HasValue) return QStringView();
    if (o.Type == TFieldType::String) return c.Text;
    scratch = QString::number(c.Int);
    return scratch;
  }
  TFilterOperand l_, r_;
  TFilterOp op_;
  TFold foldL_, foldR_;
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
