#include "catalogue/tableerror.h"

QString TableErrorKindName(TTableErrorKind kind) {
  switch (kind) {
    case TTableErrorKind::ClosedTable: return QStringLiteral("ClosedTable");
    case TTableErrorKind::ReadOnly: return QStringLiteral("ReadOnly");
    case TTableErrorKind::RequiredField: return QStringLiteral("RequiredField");
    case TTableErrorKind::UnknownField: return QStringLiteral("UnknownField");
    case TTableErrorKind::InvalidValue: return QStringLiteral("InvalidValue");
    case TTableErrorKind::NotEditing: return QStringLiteral("NotEditing");
    case TTableErrorKind::NoCurrentRow: return QStringLiteral("NoCurrentRow");
    case TTableErrorKind::FilterSyntax: return QStringLiteral("FilterSyntax");
    case TTableErrorKind::UnknownIndex: return QStringLiteral("UnknownIndex");
    case TTableErrorKind::Definition: return QStringLiteral("Definition");
    case TTableErrorKind::FileError: return QStringLiteral("FileError");
    case TTableErrorKind::BadFile: return QStringLiteral("BadFile");
  }
  return QStringLiteral("TableError");
}
