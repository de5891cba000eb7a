#include "localfiles/playlistview.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMimeData>
#include <QUrl>

#include "localfiles/playlistmodel.h"

namespace {

QStringList LocalFiles(const QMimeData* data) {
  QStringList out;
  if (!data || !data->hasUrls()) return out;
  for (const QUrl& url : data->urls())
    if (url.isLocalFile()) out << url.toLocalFile();
  return out;
}

}  // namespace

TPlaylistView::TPlaylistView(QWidget* parent) : QTableView(parent) {
  setSelectionBehavior(QAbstractItemView::SelectRows);
  setSelectionMode(QAbstractItemView::SingleSelection);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setShowGrid(true);
  setWordWrap(false);
  setCornerButtonEnabled(false);
  setFrameShape(QFrame::NoFrame);
  setDragEnabled(true);
  setAcceptDrops(true);
  setDragDropMode(QAbstractItemView::DragDrop);
  setDefaultDropAction(Qt::MoveAction);
  setDropIndicatorShown(true);
  setIconSize(QSize(12, 12));
  verticalHeader()->hide();
  verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  verticalHeader()->setMinimumSectionSize(10);
  verticalHeader()->setDefaultSectionSize(17);
  horizontalHeader()->setHighlightSections(false);
  horizontalHeader()->setMinimumSectionSize(0);
}

void TPlaylistView::SetPlaylistModel(TPlaylistModel* model) {
  model_ = model;
  setModel(model);
}

bool TPlaylistView::Accepts(const QMimeData* data) const {
  // PlayListViewDragOver: rows of this list, or files from the desktop.
  return (model_ && !model_->DraggedRows(data).isEmpty()) || !LocalFiles(data).isEmpty();
}

void TPlaylistView::dragEnterEvent(QDragEnterEvent* event) {
  if (!Accepts(event->mimeData())) {
    event->ignore();
    return;
  }
  QTableView::dragEnterEvent(event);
  event->accept();
}

void TPlaylistView::dragMoveEvent(QDragMoveEvent* event) {
  if (!Accepts(event->mimeData())) {
    event->ignore();
    return;
  }
  QTableView::dragMoveEvent(event);
  event->accept();
}

void TPlaylistView::dropEvent(QDropEvent* event) {
  const QList<int> rows = model_ ? model_->DraggedRows(event->mimeData()) : QList<int>();
  const QModelIndex at = indexAt(event->position().toPoint());
  if (!rows.isEmpty()) {
    Q_EMIT RowsDropped(rows, at.isValid() ? at.row() : -1);
  } else {
    const QStringList files = LocalFiles(event->mimeData());
    if (files.isEmpty()) {
      event->ignore();
      return;
    }
    Q_EMIT FilesDropped(files);
  }
  // The rows were moved here: the drag's source must not remove anything.
  event->setDropAction(Qt::CopyAction);
  event->accept();
  stopAutoScroll();
  setState(NoState);
  viewport()->update();
}

void TPlaylistView::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Delete && event->modifiers() == Qt::NoModifier) {
    Q_EMIT DeletePressed();
    event->accept();
    return;
  }
  QTableView::keyPressEvent(event);
}
