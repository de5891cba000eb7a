// The station browser's grid ListeRadio: a table view over the station grid model that
// selects whole rows and edits nothing. Enter asks to play the current row; Home and End
// go to the first and last row; typed text and Escape go to the name filter.
#pragma once

#include <QTableView>

#include <functional>

class QKeyEvent;

class TStationGrid : public QTableView {
  Q_OBJECT
 public:
  explicit TStationGrid(QWidget* parent = nullptr);

  // Given each key that types text (no Ctrl, Alt or Meta), Backspace and Escape; returns
  // whether it took the key. Set by the browser, which sends them to its name filter.
  std::function<bool(QKeyEvent* event)> FilterKey;

 Q_SIGNALS:
  // Enter or Return on a current row.
  void EnterPressed();

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void keyboardSearch(const QString&) override {}
  QModelIndex moveCursor(CursorAction cursorAction, Qt::KeyboardModifiers modifiers) override;
};
