#include "catalogue/stationgrid.h"

#include <QApplication>
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
  QTableView::keyPressEvent(event);
}

void TStationGrid::keyboardSearch(const QString& search) {
  if (search.isEmpty() || !FindNamePrefix || !model()) return;
  if (!sinceTyped_.isValid() || sinceTyped_.elapsed() > QApplication::keyboardInputInterval()) typed_.clear();
  sinceTyped_.restart();
  typed_ += search;
  const int current = currentIndex().isValid() ? currentIndex().row() : -1;
  // The same letter again steps to the next name starting with it; a longer prefix is
  // searched from the current row, which may already match.
  QString prefix = typed_;
  int from = current;
  if (typed_.count(typed_.front()) == typed_.size()) {
    prefix = typed_.left(1);
    from = current + 1;
  }
  const int row = FindNamePrefix(prefix, std::max(from, 0) % std::max(model()->rowCount(), 1));
  if (row < 0) return;
  const QModelIndex target = model()->index(row, std::max(currentIndex().column(), 0));
  setCurrentIndex(target);
  scrollTo(target);
}

QModelIndex TStationGrid::moveCursor(CursorAction cursorAction, Qt::KeyboardModifiers modifiers) {
  // Home and End move between rows, the only thing a row grid shows as current.
  if (model() && model()->rowCount() > 0 && (cursorAction == MoveHome || cursorAction == MoveEnd)) {
    const int column = std::max(currentIndex().column(), 0);
    return model()->index(cursorAction == MoveHome ? 0 : model()->rowCount() - 1, column);
  }
  return QTableView::moveCursor(cursorAction, modifiers);
}
