// The list editors' grid model: the rows of a reference table (genres, countries,
// networks) in its order, editable in place, plus the row being added while it cannot be
// posted yet. An edit of a stored row is posted at once; a new row is posted as soon as
// every required field has a value. Core code: Qt's item models live in Qt Core.
#pragma once

#include <QAbstractTableModel>
#include <functional>

class TCatalogueTable;

class TListTableModel : public QAbstractTableModel {
  Q_OBJECT
 public:
  struct TColumn {
    QString Field;
    QString Title;
    int Width;
  };
  TListTableModel(TCatalogueTable& table, QList<TColumn> columns, QObject* parent = nullptr);

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

  const QList<TColumn>& Columns() const { return columns_; }

  // "&Ajouter": a new empty row at the end (pending until it can be posted).
  bool AddRow();
  // "&Supprimer": removes row `row` (the pending row drops).
  bool DeleteRow(int row);
  // Stores `text` in `field` of row `row`; false with the table's error shown when refused.
  bool SetText(int row, const QString& field, const QString& text);
  // Posts the pending row, if any; false with its error shown when it is refused.
  bool PostPending();
  bool HasPending() const;

  // Where the table's errors are shown (the standard error box).
  std::function<void(const QString&)> ShowError;

 private:
  bool PendingComplete() const;
  void Reset();

  TCatalogueTable& table_;
  QList<TColumn> columns_;
};
