#include "catalogue/stationgrid.h"

#include <QHeaderView>
#include <QKeyEvent>

TStationGrid::TStationGrid(QWidget* parent) : QTableView(parent) {
  setSelectionBehavior(QAbstractItemView::SelectRows);
  setSelectionMode(QAbstractItemView::SingleSelection);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setTabKeyNavigation(false);
  setWordWrap(false);
  setCornerButtonEnabled(false);
  // Every row has the same height: the view never measures rows it does not paint.
  verticalHeader()->hide();
  verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  verticalHeader()->setMinimumSectionSize(10);
  verticalHeader()->setDefaultSectionSize(17);
  horizontalHeader()->setSectionsClickable(true);
  horizontalHeader()->setHighlightSections(false);
  horizontalHeader()->setSortIndicatorShown(true);
  horizontalHeader()->setSortIndicator(-1, Qt::AscendingOrder);
  horizontalHeader()->setDefaultSectionSize(64);
  horizontalHeader()->setMinimumSectionSize(20);
}

void TStationGrid::keyPressEvent(QKeyEvent* event) {
  if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && event->modifiers() == Qt::NoModifier) {
    if (currentIndex().isValid()) Q_EMIT EnterPressed();
    event->accept();
    return;
  }
  const Qt::KeyboardModifiers commands = Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier;
  const bool typing = !(event->modifiers() & commands) &&
                      ((!event->text().isEmpty() && event->text().front().isPrint()) ||
                       event->key() == Qt::Key_Backspace || event->key() == Qt::Key_Escape);
  if (typing && FilterKey && FilterKey(event)) {
    event->accept();
    return;
  }
  QTableView::keyPressEvent(event);
}

QModelIndex TStationGrid::moveCursor(CursorAction cursorAction, Qt::KeyboardModifiers modifiers) {
  // Home and End move between rows, the only thing a row grid shows as current.
  if (model() && model()->rowCount() > 0 && (cursorAction == MoveHome || cursorAction == MoveEnd)) {
    const int column = std::max(currentIndex().column(), 0);
    return model()->index(cursorAction == MoveHome ? 0 : model()->rowCount() - 1, column);
  }
  return QTableView::moveCursor(cursorAction, modifiers);
}
