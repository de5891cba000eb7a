// The in-memory table engine of the station catalogue: one TCatalogueTable per table
// (radiosDataset, countryDataSet, genreDataSet, networkDataSet). Rows, a current row with
// browse / insert / edit states, a filter expression, named sort indexes, a change
// notification, and the XML data-packet files. Core code: no widgets.
//
// The table is used from the interface thread only; work done elsewhere (the connection
// worker storing stream information) must be handed to that thread first.
#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

#include <memory>
#include <vector>

#include "catalogue/fielddef.h"
#include "catalogue/filternode.h"
#include "catalogue/roworder.h"
#include "catalogue/tableerror.h"

class TCatalogueTable : public QObject, private TFilterRows {
  Q_OBJECT
 public:
  enum class TState { Inactive, Browse, Insert, Edit };
  // What a change notification is about. Refresh: several changes were held back while
  // the display was suspended.
  enum class TChange { Scroll, Record, Filter, State, Refresh };
  Q_ENUM(TChange)

  explicit TCatalogueTable(const QString& name, QObject* parent = nullptr);
  ~TCatalogueTable() override;

  const QString& Name() const { return name_; }

  // ---- Definition. Only while the table is closed.
  TTableResult ClearFields();
  TTableResult AddField(const TFieldDef& def);
  const TFieldList& Fields() const { return fields_; }
  int FieldCount() const { return int(fields_.size()); }
  // Index of the field named `name`, ignoring case; -1 when there is none.
  int FieldIndex(const QString& name) const;
  // Text comparisons of the filter ignore case (the station table) or respect it.
  void SetIgnoreCase(bool on);
  bool IgnoreCase() const { return ignoreCase_; }

  // ---- Life cycle.
  // Creates the table empty and open, read-only off. The filter text and the indexes are
  // kept (a filter that no longer parses against the fields is dropped).
  TTableResult CreateDataSet();
  // Drops all rows; row operations then fail until the next creation.
  void Close();
  bool Active() const { return state_ != TState::Inactive; }
  // The table never keeps a change log: posted changes replace the rows at once and a
  // written file holds only the current rows. The flag is kept for callers that set it.
  void SetLogChanges(bool on) { logChanges_ = on; }
  bool LogChanges() const { return logChanges_; }
  // While on, Append, Edit and Delete fail with a ReadOnly error.
  void SetReadOnly(bool on);
  bool ReadOnly() const { return readOnly_; }
  TState State() const { return state_; }

  // ---- Row operations.
  // A new empty row, current and pending; it joins the rows at the end when posted.
  TTableResult Append();
  TTableResult Edit();
  // Stores the pending row. Fails, leaving it pending, when a required field is empty.
  TTableResult Post();
  TTableResult Cancel();
  // Removes the current row; in insert state drops the new row.
  TTableResult Delete();

  // ---- Fields of the current row (the pending row in insert or edit state). Names
  // ignore case. Writing needs insert or edit state; a text is cut to the field's
  // width; an empty text means no value; a text written into an integer field must be
  // an integer. Reading gives the value as text, or empty when there is none.
  TTableResult SetFieldText(const QString& field, const QString& text);
  TTableResult SetFieldInt(const QString& field, qint32 value);
  TTableValue<QString> FieldText(const QString& field) const;
  // The value of an integer field (0 when it has none); a text field must hold an integer.
  TTableValue<qint32> FieldInt(const QString& field) const;
  TTableValue<bool> FieldHasValue(const QString& field) const;

  // ---- Navigation over the rows passing the filter, in the current order. Moving away
  // from a pending row posts it first; a failed post fails the move.
  TTableResult First();
  TTableResult Last();
  TTableResult Next();   // at the last row: stays and sets Eof
  TTableResult Prior();  // at the first row: stays and sets Bof
  bool Eof() const;
  bool Bof() const;
  // Move and report in Found whether there was a row to move to (no move when not).
  TTableResult FindFirst();
  TTableResult FindLast();
  TTableResult FindNext();
  TTableResult FindPrior();
  int RecordCount() const;
  // Position of the current row, from 1; 0 when there is none.
  int RecNo() const;
  // Moves to position `recNo`, clamped to the rows there are.
  TTableResult SetRecNo(int recNo);

  // ---- Filter. Setting applies it at once and makes the first matching row current;
  // an empty text shows all rows. A text that cannot be parsed fails with FilterSyntax
  // and the previous filter stays. On a table not yet defined the text is kept and
  // parsed at creation (dropped there if it does not fit the fields).
  const QString& Filter() const { return filterText_; }
  TTableResult SetFilter(const QString& text);

  // Texts up to this width (stream type, channels) and integers keep a sorted index per
  // column, built when a filter first compares the column with a constant, so equality
  // and range filters read only the rows they select. Longer texts are scanned.
  static constexpr int kIndexedTextWidth = 16;

  // ---- Order. A field list ("radio", "genre;radio") sorts ascending and clears the
  // index name; a named index sorts by its field, then ascending by its `thenBy` field
  // when it has one (whichever its direction). Ties keep insertion order.
  TTableResult SortByFields(const QString& fieldList);
  const QString& IndexFieldNames() const { return indexFieldNames_; }
  TTableResult AddIndex(const QString& name, const QString& field, bool descending, bool ignoreCase = false,
                        const QString& thenBy = QString());
  QStringList IndexNames() const;
  const QString& IndexName() const { return indexName_; }
  // Makes a named index current; an empty name goes back to insertion order.
  TTableResult SetIndexName(const QString& name);

  // ---- Display. While suspended (the calls nest), notifications are held back; the last
  // resume sends one Refresh when something changed meanwhile.
  void SuspendDisplay();
  void ResumeDisplay();
  bool DisplaySuspended() const { return suspend_ > 0; }

  // ---- Files (XML data packets).
  // Writes the posted rows atomically: a temporary file in the same folder, flushed and
  // renamed over `path`, so a failed or killed write leaves the old file whole.
  TTableResult SaveToFile(const QString& path) const;
  // Replaces the definition and rows by those of the file (for scratch tables). On any
  // error the table is left as it was.
  TTableResult LoadFromFile(const QString& path);
  // Copies the current row of a scratch table read from a catalogue file into this
  // table's pending row, by field name, with the stream-field rules of the station table
  // (7 fields: "N/A", 0, 0, "N/A"; 11: the file's; other: no value). UnknownField when
  // the scratch table lacks a name that is read.
  TTableResult CopyCatalogueRow(const TCatalogueTable& scratch);

  // The row at `pos` (from 0) of the rows passing the filter, in the current order, without
  // moving the current row (grids read this); nullptr outside 0 .. RecordCount() - 1.
  const TRow* ViewRow(int pos) const;

  // ---- Posted rows by their place in Rows() (insertion order), read and written without
  // moving the current row or touching the filter and order: looking a station up by name,
  // storing its measured stream information.
  // The first posted row whose `field` holds `value` as text; -1 when none (or no field).
  int FindRow(const QString& field, const QString& value, Qt::CaseSensitivity cs) const;
  // The text of `field` in posted row `row`; empty when it has no value or out of range.
  QString RowText(int row, const QString& field) const;
  // Writes the texts (field, text) into posted row `row` as one change, with the rules of
  // SetFieldText. Fails on a read-only table, while a row is pending (insert or edit: that
  // row is the user's), and on a bad field or value (then nothing is written).
  TTableResult UpdateRow(int row, const std::vector<std::pair<QString, QString>>& values);

  // ---- Bulk access for the file reader and writer.
  // The posted rows in insertion order.
  const std::vector<TRow>& Rows() const { return rows_; }
  // Replaces definition and rows and opens the table, first row current.
  TTableResult Load(const TFieldList& fields, std::vector<TRow>&& rows);

 Q_SIGNALS:
  void DataChange(TCatalogueTable::TChange change);

 private:
  TTableResult CheckOpen() const;
  TTableResult CheckWritable() const;
  TTableResult CheckBrowse();  // posts a pending row
  TTableValue<int> Column(const QString& field) const;
  // `text` as a cell of field `def`: an integer field needs an integer (or nothing), a
  // text is cut to the field's width and kept to what a catalogue file can carry.
  static TTableResult CellFromText(const TFieldDef& def, const QString& text, TCell& cell);
  const TRow* CurrentRow() const;
  void EnsureView() const;
  void InvalidateOrder();
  void InvalidateView();
  // The rows themselves changed: the order, the view and the column indexes are redone.
  // Replaced (a load, an append): kept orders and laid-out columns are dropped. One row
  // edited or deleted: they are kept up to date, so a station's stream information being
  // stored does not cost the next column-title click a full sort.
  void RowsReplaced();
  void RowEdited(int row);
  void RowDeleted(int row);
  // The text of `cell` mapped by `fold`, as laid out in a TColumnText.
  static QString MappedText(const TCell& cell, TFold fold);
  // TFilterRows
  const std::vector<TRow>& FilterRows() const override { return rows_; }
  const TColumnIndex* ColumnIndex(int column, TFold fold) const override;
  const TColumnText* ColumnText(int column, TFold fold) const override;
  TTableResult ReparseFilter();
  std::vector<TSortKey> SortKeys() const;
  // Fills order_ for the current sort keys, from the kept orders when possible.
  void ComputeOrder() const;
  TTableResult MoveTo(int pos, TChange change = TChange::Scroll);
  void Notify(TChange change);

  QString name_;
  TFieldList fields_;
  bool ignoreCase_ = false;
  bool logChanges_ = true;
  bool readOnly_ = false;
  TState state_ = TState::Inactive;

  std::vector<TRow> rows_;  // posted rows, insertion order
  TRow pending_;            // the row being inserted or edited

  QString filterText_;
  std::shared_ptr<const TFilterNode> filter_;
  QString indexFieldNames_;
  QString indexName_;
  std::vector<TIndexDef> indexes_;

  // The view: rows passing the filter in the current order, rebuilt lazily so that a
  // load appending thousands of rows sorts and filters once.
  mutable std::vector<int> order_;  // all rows, current order
  mutable std::vector<int> view_;   // rows passing the filter, current order
  mutable TRowMarks marks_;        // the rows passing the filter, by row number
  struct TColumnIndexEntry {
    int Column = 0;
    TFold Fold = TFold::None;
    TColumnIndex Index;
  };
  struct TColumnTextEntry {
    int Column = 0;
    TFold Fold = TFold::None;
    TColumnText Text;
  };
  // Built on first use, dropped when the rows change; entries keep their address.
  mutable std::vector<std::unique_ptr<TColumnIndexEntry>> columnIndexes_;
  mutable std::vector<std::unique_ptr<TColumnTextEntry>> columnTexts_;
  // Orders computed since the rows last changed, as an engine keeps its indexes: going
  // back to an order, or turning one round, needs no sort.
  struct TOrderEntry {
    std::vector<TSortKey> Keys;
    std::vector<int> Order;
  };
  static constexpr size_t kKeptOrders = 8;
  mutable std::vector<TOrderEntry> orders_;  // the most recently used last
  mutable bool orderDirty_ = true;
  mutable bool viewDirty_ = true;
  mutable int curRow_ = -1;   // index in rows_ of the current row, -1 for none
  mutable int curPos_ = -1;   // its position in view_ once the view is clean
  mutable int posHint_ = 0;   // position to take when curRow_ left the view
  bool eof_ = true;
  bool bof_ = true;

  int suspend_ = 0;
  bool heldBack_ = false;

  // Identifies one definition and content of the table, for the copy map below.
  quint64 generation_ = 0;
  // CopyCatalogueRow: for each field of this table, the scratch column it is copied from
  // (-1: left without value, -2: set to the older form's default), for the scratch
  // table of generation copyFrom_.
  quint64 copyFrom_ = 0;
  std::vector<int> copyMap_;
};
