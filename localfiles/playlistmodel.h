// TPlaylistModel: the rows of the local playlist for the list view, in the columns the
// window shows (mark, "Artiste", "Titre", "Durée", then the hidden "Flux", "Debit",
// "Freq.", "Canaux"), and the playing row.
//
// The playing row (PlayingIndex) follows its row when rows are removed or moved, so the
// end-of-file advance, Previous and Next never play a row that took its place by
// accident. When the playing row itself is removed, the sound goes on, no row is
// marked, and the row that took its place is remembered as the next one to play
// (ResumeRow).
//
// Drags inside the list carry the rows' numbers under an internal MIME type stamped
// with this model's identity, so a drag from another list or program is never taken
// for a reorder. Thread: the interface thread only.
#pragma once

#include <QAbstractTableModel>
#include <QList>
#include <QStringList>
#include <vector>

#include "localfiles/playlistrow.h"

class TPlaylistModel : public QAbstractTableModel {
  Q_OBJECT
 public:
  enum Column { ColMark, ColArtist, ColTitle, ColDuration, ColType, ColBitRate, ColSampleRate, ColChannels,
                ColumnCount };
  static constexpr int PathRole = Qt::UserRole + 1;
  static const char* const kRowsMimeType;

  explicit TPlaylistModel(QObject* parent = nullptr);

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;
  Qt::DropActions supportedDragActions() const override { return Qt::MoveAction; }
  Qt::DropActions supportedDropActions() const override { return Qt::MoveAction | Qt::CopyAction; }
  QStringList mimeTypes() const override;
  QMimeData* mimeData(const QModelIndexList& indexes) const override;

  // The rows a MIME payload of this model's own drag names; empty for anything else.
  QList<int> DraggedRows(const QMimeData* data) const;

  int Count() const { return int(rows_.size()); }
  const TPlaylistRow& Row(int index) const { return rows_.at(size_t(index)); }
  QStringList Paths() const;

  void Append(const TPlaylistRow& row);
  void Clear();  // also forgets the playing row
  bool RemoveRow(int index);
  // A drop: each row of `rows` (ascending), in turn, goes just before row
  // `target` or, with target -1, to the end; relative order is kept. A target among
  // the moved rows moves nothing.
  void MoveRows(QList<int> rows, int target);

  int PlayingIndex() const { return playing_; }
  void SetPlayingIndex(int index);  // -1: none; puts the mark on that row
  // After the playing row was removed: the row now in its place (may equal Count()).
  int ResumeRow() const { return resume_; }
  // Station playback hides the mark without forgetting the row.
  void SetMarkShown(bool shown);

  // What the playing row shows in the mark column (the window gives an icon).
  void SetMarkDecoration(const QVariant& mark) { mark_ = mark; }

 Q_SIGNALS:
  void CountChanged(int count);

 private:
  void MarkChanged(int row);
  std::vector<TPlaylistRow> rows_;
  int playing_ = -1;
  int resume_ = -1;
  bool markShown_ = true;
  QVariant mark_;
};
