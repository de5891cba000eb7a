// The station browser's grid ListeRadio: a table view over the station grid model that
// selects whole rows and edits nothing. Enter asks to play the current row; Home and End
// go to the first and last row; typed letters search the station names (type-ahead).
#pragma once

#include <QElapsedTimer>
#include <QTableView>

#include <functional>

class TStationGrid : public QTableView {
  Q_OBJECT
 public:
  explicit TStationGrid(QWidget* parent = nullptr);

  // The row whose name starts with `prefix`, searching from row `from` and wrapping
  // round; -1 when none. Set by the browser.
  std::function<int(const QString& prefix, int from)> FindNamePrefix;

 Q_SIGNALS:
  // Enter or Return on a current row.
  void EnterPressed();

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void keyboardSearch(const QString& search) override;
  QModelIndex moveCursor(CursorAction cursorAction, Qt::KeyboardModifiers modifiers) override;

 private:
  QString typed_;
  QElapsedTimer sinceTyped_;
};
