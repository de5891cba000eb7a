// Parser of the tables' filter expressions.
//
// Grammar (keywords, function names and field names ignore case; spaces between tokens
// are optional; an empty or blank text is "no filter"):
//
//   filter     := <empty> | orExpr
//   orExpr     := andExpr { "or" andExpr }
//   andExpr    := notExpr { "and" notExpr }
//   notExpr    := "not" notExpr | primary
//   primary    := "(" orExpr ")" | comparison
//   comparison := operand op operand
//   op         := "=" | "<>" | "!=" | "<" | "<=" | ">" | ">=" | "like"
//   operand    := field | func "(" operand ")" | text | number
//   func       := "lower" | "upper" | "unaccent"
//   field      := letter { letter | digit | "_" }      -- a field of the table
//   text       := "'" { any character but "'" | "''" } "'"   -- "''" is one quote
//   number     := [ "-" | "+" ] digit { digit }
//
// "like" patterns use "%" for any run of characters and "_" for one character.
// unaccent(x) is x with each Latin letter reduced to its base letter in lower case, as the
// browser's "contains" filters search ("É" and "é" are "e", "ç" is "c", "œ" is "oe"; other
// scripts are only lower-cased). A comparison with an unaccent() side maps the other side
// the same way, so unaccent(radio) like '%sacré%' finds "FIP Sacré français !" as
// '%sacre%' does. Around a field the outermost function wins, except that lower() around
// unaccent() changes nothing.
// Comparisons of two numeric sides (integer fields, numbers) are integer comparisons;
// all others compare texts, ignoring case when the table does.
// Examples: lower(radio) like '%fip%'   unaccent(country) like '%etats%'
//           StreamType = 'MP3'   BitRate >=128
//           ( StreamType='OGG' and BitRate >=224 ) or Channels <> '5.1'
#pragma once

#include <QString>

#include <memory>

#include "catalogue/fielddef.h"
#include "catalogue/filternode.h"
#include "catalogue/tableerror.h"

class TFilterParser {
 public:
  // Longest filter text accepted, and deepest nesting of parentheses and "not".
  static constexpr qsizetype MaxLength = 64 * 1024;
  static constexpr int MaxDepth = 200;

  TFilterParser(const TFieldList& fields, bool ignoreCase) : fields_(fields), ignoreCase_(ignoreCase) {}

  // The tree of `text`, or null for an empty text; a FilterSyntax error when the text
  // cannot be parsed, with the position (from 1) in the message.
  TTableValue<std::shared_ptr<const TFilterNode>> Parse(const QString& text);

 private:
  enum class Tok { End, Ident, Text, Number, LParen, RParen, Op };
  struct Token {
    Tok Kind = Tok::End;
    QString Text;  // identifier, literal text or operator
    qsizetype Pos = 0;
  };

  bool Next();  // reads the next token into tok_; false on a lexical error
  TFilterNodePtr ParseOr(int depth);
  TFilterNodePtr ParseAnd(int depth);
  TFilterNodePtr ParseNot(int depth);
  TFilterNodePtr ParsePrimary(int depth);
  bool ParseOperand(TFilterOperand& out, int depth);
  bool IsKeyword(const char* word) const;
  void Fail(const QString& message, qsizetype pos);

  const TFieldList& fields_;
  bool ignoreCase_;
  QString src_;
  qsizetype at_ = 0;
  Token tok_;
  QString error_;
};
