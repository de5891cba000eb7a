// The station grid's model: the station table's rows passing its filter, in its current
// order, read directly from the table (no copy of the rows). Core code: Qt's item models
// live in Qt Core.
#pragma once

#include <QAbstractTableModel>
#include <QString>
#include <vector>

class TCatalogueTable;

class TStationGridModel : public QAbstractTableModel {
  Q_OBJECT
 public:
  // The grid's columns: field, title and width in pixels (0: the view's default).
  struct TColumn {
    const char* Field;
    const char* Title;
    int Width;
  };
  static const TColumn kColumns[7];

  explicit TStationGridModel(TCatalogueTable& table, QObject* parent = nullptr);

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

  // The station that plays (empty: none): its name is shown after a play mark.
  void SetPlaying(const QString& name);
  static constexpr const char16_t* kPlayingMark = u"\u25B6 ";

 private:
  void TableChanged();

  TCatalogueTable& table_;
  std::vector<int> fieldOfColumn_;  // column -> field index of the table, -1 when absent
  int rows_ = 0;
  QString playing_;
};
