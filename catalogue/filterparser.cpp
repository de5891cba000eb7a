#include "catalogue/filterparser.h"

namespace {

bool IsIdentStart(QChar c) { return c.isLetter() || c == u'_'; }
bool IsIdentPart(QChar c) { return c.isLetterOrNumber() || c == u'_'; }

}  // namespace

void TFilterParser::Fail(const QString& message, qsizetype pos) {
  if (error_.isEmpty())
    error_ = QStringLiteral("Expression de filtre incorrecte (position %1) : %2").arg(pos + 1).arg(message);
}

bool TFilterParser::Next() {
  while (at_ < src_.size() && src_[at_].isSpace()) ++at_;
  tok_ = Token{Tok::End, QString(), at_};
  if (at_ >= src_.size()) return true;
  const QChar c = src_[at_];
  if (IsIdentStart(c)) {
    const qsizetype start = at_;
    while (at_ < src_.size() && IsIdentPart(src_[at_])) ++at_;
    tok_.Kind = Tok::Ident;
    tok_.Text = src_.mid(start, at_ - start);
    return true;
  }
  if (c.isDigit() || ((c == u'-' || c == u'+') && at_ + 1 < src_.size() && src_[at_ + 1].isDigit())) {
    const qsizetype start = at_++;
    while (at_ < src_.size() && src_[at_].isDigit()) ++at_;
    tok_.Kind = Tok::Number;
    tok_.Text = src_.mid(start, at_ - start);
    return true;
  }
  if (c == u'\'') {
    QString text;
    ++at_;
    for (;;) {
      if (at_ >= src_.size()) {
        Fail(QStringLiteral("texte sans apostrophe finale"), tok_.Pos);
        return false;
      }
      if (src_[at_] == u'\'') {
        if (at_ + 1 < src_.size() && src_[at_ + 1] == u'\'') {
          text += u'\'';
          at_ += 2;
          continue;
        }
        ++at_;
        break;
      }
      text += src_[at_++];
    }
    tok_.Kind = Tok::Text;
    tok_.Text = text;
    return true;
  }
  if (c == u'(' || c == u')') {
    tok_.Kind = c == u'(' ? Tok::LParen : Tok::RParen;
    ++at_;
    return true;
  }
  if (c == u'=' || c == u'<' || c == u'>' || c == u'!') {
    QString op(c);
    ++at_;
    if (at_ < src_.size()) {
      const QChar d = src_[at_];
      if ((c == u'<' && (d == u'>' || d == u'=')) || (c == u'>' && d == u'=') || (c == u'!' && d == u'=')) {
        op += d;
        ++at_;
      }
    }
    if (op == QStringLiteral("!")) {
      Fail(QStringLiteral("opérateur inconnu « ! »"), tok_.Pos);
      return false;
    }
    tok_.Kind = Tok::Op;
    tok_.Text = op;
    return true;
  }
  Fail(QStringLiteral("caractère inattendu « %1 »").arg(c), at_);
  return false;
}

bool TFilterParser::IsKeyword(const char* word) const {
  return tok_.Kind == Tok::Ident && tok_.Text.compare(QLatin1String(word), Qt::CaseInsensitive) == 0;
}

TTableValue<std::shared_ptr<const TFilterNode>> TFilterParser::Parse(const QString& text) {
  TTableValue<std::shared_ptr<const TFilterNode>> result;
  if (text.size() > MaxLength) {
    result.Error = TTableError{TTableErrorKind::FilterSyntax, QStringLiteral("Expression de filtre trop longue.")};
    return result;
  }
  src_ = text;
  at_ = 0;
  error_.clear();
  if (!Next()) {
    result.Error = TTableError{TTableErrorKind::FilterSyntax, error_};
    return result;
  }
  if (tok_.Kind == Tok::End) return result;  // blank: no filter
  TFilterNodePtr root = ParseOr(0);
  if (root && tok_.Kind != Tok::End) Fail(QStringLiteral("« %1 » inattendu").arg(tok_.Text.isEmpty() ? QStringLiteral(")") : tok_.Text), tok_.Pos);
  if (!error_.isEmpty() || !root) {
    if (error_.isEmpty()) Fail(QStringLiteral("expression incomplète"), at_);
    result.Error = TTableError{TTableErrorKind::FilterSyntax, error_};
    return result;
  }
  result.Value = std::shared_ptr<const TFilterNode>(std::move(root));
  return result;
}

TFilterNodePtr TFilterParser::ParseOr(int depth) {
  TFilterNodePtr left = ParseAnd(depth);
  while (left && IsKeyword("or")) {
    if (!Next()) return nullptr;
    TFilterNodePtr right = ParseAnd(depth);
    if (!right) return nullptr;
    left = MakeFilterOr(std::move(left), std::move(right));
  }
  return left;
}

TFilterNodePtr TFilterParser::ParseAnd(int depth) {
  TFilterNodePtr left = ParseNot(depth);
  while (left && IsKeyword("and")) {
    if (!Next()) return nullptr;
    TFilterNodePtr right = ParseNot(depth);
    if (!right) return nullptr;
    left = MakeFilterAnd(std::move(left), std::move(right));
  }
  return left;
}

TFilterNodePtr TFilterParser::ParseNot(int depth) {
  if (depth > MaxDepth) {
    Fail(QStringLiteral("expression trop imbriquée"), tok_.Pos);
    return nullptr;
  }
  if (IsKeyword("not")) {
    if (!Next()) return nullptr;
    TFilterNodePtr inner = ParseNot(depth + 1);
    return inner ? MakeFilterNot(std::move(inner)) : nullptr;
  }
  return ParsePrimary(depth);
}

TFilterNodePtr TFilterParser::ParsePrimary(int depth) {
  if (tok_.Kind == Tok::LParen) {
    if (!Next()) return nullptr;
    TFilterNodePtr inner = ParseOr(depth + 1);
    if (!inner) return nullptr;
    if (tok_.Kind != Tok::RParen) {
      Fail(QStringLiteral("« ) » attendue"), tok_.Pos);
      return nullptr;
    }
    if (!Next()) return nullptr;
    return inner;
  }
  TFilterOperand left;
  if (!ParseOperand(left, depth)) return nullptr;
  TFilterOp op;
  if (IsKeyword("like")) {
    op = TFilterOp::Like;
  } else if (tok_.Kind == Tok::Op) {
    const QString& t = tok_.Text;
    if (t == u"=") op = TFilterOp::Eq;
    else if (t == u"<>" || t == u"!=") op = TFilterOp::Ne;
    else if (t == u"<") op = TFilterOp::Lt;
    else if (t == u"<=") op = TFilterOp::Le;
    else if (t == u">") op = TFilterOp::Gt;
    else op = TFilterOp::Ge;
  } else {
    Fail(QStringLiteral("opérateur de comparaison attendu"), tok_.Pos);
    return nullptr;
  }
  if (!Next()) return nullptr;
  TFilterOperand right;
  if (!ParseOperand(right, depth)) return nullptr;
  return MakeFilterCompare(std::move(left), op, std::move(right), ignoreCase_);
}

bool TFilterParser::ParseOperand(TFilterOperand& out, int depth) {
  if (depth > MaxDepth) {
    Fail(QStringLiteral("expression trop imbriquée"), tok_.Pos);
    return false;
  }
  const Token t = tok_;
  switch (t.Kind) {
    case Tok::Text:
      out.What = TFilterOperand::Kind::Text;
      out.Text = t.Text;
      return Next();
    case Tok::Number: {
      bool ok = false;
      out.Number = t.Text.toLongLong(&ok);
      if (!ok || t.Text.size() > 19) {
        Fail(QStringLiteral("nombre trop grand « %1 »").arg(t.Text), t.Pos);
        return false;
      }
      out.What = TFilterOperand::Kind::Number;
      out.Text = QString::number(out.Number);
      return Next();
    }
    case Tok::Ident:
      break;
    default:
      Fail(QStringLiteral("champ, texte ou nombre attendu"), t.Pos);
      return false;
  }
  if (!Next()) return false;
  if (tok_.Kind == Tok::LParen) {
    TFold fold;
    if (t.Text.compare(QLatin1String("lower"), Qt::CaseInsensitive) == 0) fold = TFold::Lower;
    else if (t.Text.compare(QLatin1String("upper"), Qt::CaseInsensitive) == 0) fold = TFold::Upper;
    else if (t.Text.compare(QLatin1String("unaccent"), Qt::CaseInsensitive) == 0) fold = TFold::Unaccent;
    else {
      Fail(QStringLiteral("fonction inconnue « %1 »").arg(t.Text), t.Pos);
      return false;
    }
    if (!Next()) return false;
    if (!ParseOperand(out, depth + 1)) return false;
    if (tok_.Kind != Tok::RParen) {
      Fail(QStringLiteral("« ) » attendue"), tok_.Pos);
      return false;
    }
    if (out.What == TFilterOperand::Kind::Field) {
      // The outermost function wins (lower(upper(x)) is lower(x)), except that unaccent()
      // already lower-cases: lower(unaccent(x)) stays unaccent(x).
      if (!(fold == TFold::Lower && out.Fold == TFold::Unaccent)) out.Fold = fold;
    } else {
      out.Text = fold == TFold::Unaccent ? FoldText(out.Text, TFold::Unaccent)
                 : fold == TFold::Lower  ? out.Text.toLower()
                                         : out.Text.toUpper();
      out.What = TFilterOperand::Kind::Text;  // lower(12) is the text "12"
    }
    return Next();
  }
  for (int i = 0; i < fields_.size(); ++i) {
    if (fields_[i].Name.compare(t.Text, Qt::CaseInsensitive) == 0) {
      out.What = TFilterOperand::Kind::Field;
      out.Column = i;
      out.Type = fields_[i].Type;
      return true;
    }
  }
  Fail(QStringLiteral("champ inconnu « %1 »").arg(t.Text), t.Pos);
  return false;
}
