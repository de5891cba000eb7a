// Results of the catalogue tables: every operation that can fail returns a result that
// carries an error kind and a French message, which the caller shows as kind + " : " +
// message. No exception leaves the table engine.
#pragma once

#include <QString>

#include <optional>
#include <utility>

enum class TTableErrorKind {
  ClosedTable,    // a row operation on a table that is not open
  ReadOnly,       // a change to a read-only table
  RequiredField,  // post with a required field that has no value
  UnknownField,   // a field name the table does not define
  InvalidValue,   // a text that does not convert to the field's type
  NotEditing,     // a field write or post outside insert or edit state
  NoCurrentRow,   // edit or delete on an empty view
  FilterSyntax,   // a filter expression that cannot be parsed
  UnknownIndex,   // an index name that was never added
  Definition,     // a field list that cannot be used (duplicate name, open table)
  FileError,      // a file that cannot be opened, read or written
  BadFile,        // a catalogue file whose content is malformed or too large
};

// The kind as shown in the error box ("RequiredField", "FilterSyntax", ...).
QString TableErrorKindName(TTableErrorKind kind);

struct TTableError {
  TTableErrorKind Kind = TTableErrorKind::BadFile;
  QString Message;  // French, for the user
  // kind + " : " + message, the text of the error box.
  QString Text() const { return TableErrorKindName(Kind) + QStringLiteral(" : ") + Message; }
};

// Outcome of a table operation. Find operations also say whether a row was found.
struct TTableResult {
  std::optional<TTableError> Error;
  bool Found = false;

  bool Ok() const { return !Error.has_value(); }
  explicit operator bool() const { return Ok(); }
  static TTableResult Success(bool found = false) { return TTableResult{std::nullopt, found}; }
  static TTableResult Fail(TTableErrorKind kind, QString message) {
    return TTableResult{TTableError{kind, std::move(message)}, false};
  }
};

// A value read from a table, or the error that prevented reading it.
template <typename T>
struct TTableValue {
  T Value{};
  std::optional<TTableError> Error;
  bool Ok() const { return !Error.has_value(); }
};
