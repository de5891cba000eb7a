// TPlaylistView: the playlist's report list (PlayListView). Rows are dragged to reorder
// them; files dropped from the desktop's file manager (text/uri-list) are handed on in
// drop order; Delete and the double click are reported. The window decides what each
// does.
#pragma once

#include <QList>
#include <QStringList>
#include <QTableView>

class TPlaylistModel;

class TPlaylistView : public QTableView {
  Q_OBJECT
 public:
  explicit TPlaylistView(QWidget* parent = nullptr);
  void SetPlaylistModel(TPlaylistModel* model);

 Q_SIGNALS:
  // Rows of this list dropped on row `target` (-1: below the last row).
  void RowsDropped(const QList<int>& rows, int target);
  // Local files dropped from outside, in drop order.
  void FilesDropped(const QStringList& paths);
  void DeletePressed();

 protected:
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dragMoveEvent(QDragMoveEvent* event) override;
  void dropEvent(QDropEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  bool Accepts(const QMimeData* data) const;
  TPlaylistModel* model_ = nullptr;
};
