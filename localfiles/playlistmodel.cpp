#include "localfiles/playlistmodel.h"

#include <QCoreApplication>
#include <QDataStream>
#include <QIODevice>
#include <QMimeData>
#include <algorithm>

const char* const TPlaylistModel::kRowsMimeType = "application/x-zovalis-playlist-rows";

TPlaylistModel::TPlaylistModel(QObject* parent) : QAbstractTableModel(parent) {}

int TPlaylistModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : Count();
}

int TPlaylistModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : ColumnCount;
}

QVariant TPlaylistModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= Count()) return {};
  const TPlaylistRow& r = rows_[size_t(index.row())];
  if (role == PathRole) return r.FileName;
  if (role == Qt::DecorationRole && index.column() == ColMark)
    return (index.row() == playing_ && markShown_) ? mark_ : QVariant();
  if (role == Qt::ToolTipRole) return r.FileName;
  if (role == Qt::TextAlignmentRole && index.column() == ColDuration)
    return QVariant(Qt::AlignRight | Qt::AlignVCenter);
  if (role != Qt::DisplayRole) return {};
  switch (index.column()) {
    case ColArtist: return r.Artist;
    case ColTitle: return r.Title;
    case ColDuration: return r.Duration;
    case ColType: return r.StreamType;
    case ColBitRate: return r.BitRate;
    case ColSampleRate: return r.SampleRate;
    case ColChannels: return r.Channels;
    default: return {};  // the mark column: the path would not fit; it is the tooltip
  }
}

QVariant TPlaylistModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal) return {};
  if (role == Qt::TextAlignmentRole && section == ColDuration) return QVariant(Qt::AlignRight | Qt::AlignVCenter);
  if (role != Qt::DisplayRole) return {};
  static const char* const captions[ColumnCount] = {"", "Artiste", "Titre", "Durée", "Flux", "Debit", "Freq.",
                                                    "Canaux"};
  return (section >= 0 && section < ColumnCount) ? QString::fromUtf8(captions[section]) : QString();
}

Qt::ItemFlags TPlaylistModel::flags(const QModelIndex& index) const {
  if (!index.isValid()) return Qt::ItemIsDropEnabled;
  return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsDragEnabled | Qt::ItemIsDropEnabled;
}

QStringList TPlaylistModel::mimeTypes() const {
  return {QString::fromLatin1(kRowsMimeType), QStringLiteral("text/uri-list")};
}

QMimeData* TPlaylistModel::mimeData(const QModelIndexList& indexes) const {
  QList<int> rows;
  for (const QModelIndex& i : indexes)
    if (i.isValid() && !rows.contains(i.row())) rows << i.row();
  std::sort(rows.begin(), rows.end());
  QByteArray bytes;
  QDataStream out(&bytes, QIODevice::WriteOnly);
  out << QCoreApplication::applicationPid() << quintptr(this) << rows;
  auto* mime = new QMimeData;
  mime->setData(QString::fromLatin1(kRowsMimeType), bytes);
  return mime;
}

QList<int> TPlaylistModel::DraggedRows(const QMimeData* data) const {
  if (!data || !data->hasFormat(QString::fromLatin1(kRowsMimeType))) return {};
  QByteArray bytes = data->data(QString::fromLatin1(kRowsMimeType));
  QDataStream in(&bytes, QIODevice::ReadOnly);
  qint64 pid = 0;
  quintptr owner = 0;
  QList<int> rows;
  in >> pid >> owner >> rows;
  if (in.status() != QDataStream::Ok || pid != QCoreApplication::applicationPid() || owner != quintptr(this)) return {};
  QList<int> valid;
  for (int r : rows)
    if (r >= 0 && r < Count() && !valid.contains(r)) valid << r;
  std::sort(valid.begin(), valid.end());
  return valid;
}

QStringList TPlaylistModel::Paths() const {
  QStringList out;
  out.reserve(Count());
  for (const TPlaylistRow& r : rows_) out << r.FileName;
  return out;
}

void TPlaylistModel::Append(const TPlaylistRow& row) {
  beginInsertRows({}, Count(), Count());
  rows_.push_back(row);
  endInsertRows();
  Q_EMIT CountChanged(Count());
}

void TPlaylistModel::Clear() {
  beginResetModel();
  rows_.clear();
  playing_ = -1;
  resume_ = -1;
  endResetModel();
  Q_EMIT CountChanged(0);
}

bool TPlaylistModel::RemoveRow(int index) {
  if (index < 0 || index >= Count()) return false;
  beginRemoveRows({}, index, index);
  rows_.erase(rows_.begin() + index);
  if (index == playing_) {
    playing_ = -1;
    resume_ = index;
  } else if (index < playing_) {
    --playing_;
  }
  if (resume_ > index) --resume_;
  endRemoveRows();
  Q_EMIT CountChanged(Count());
  return true;
}

void TPlaylistModel::MoveRows(QList<int> rows, int target) {
  std::sort(rows.begin(), rows.end());
  rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
  rows.erase(std::remove_if(rows.begin(), rows.end(), [this](int r) { return r < 0 || r >= Count(); }), rows.end());
  if (rows.isEmpty() || rows.contains(target)) return;
  if (target >= Count()) target = -1;

  // The new order as old row numbers: the rows left, with the moved ones before the
  // target (or at the end).
  std::vector<int> order;
  order.reserve(rows_.size());
  for (int r = 0; r < Count(); ++r) {
    if (r == target)
      for (int m : rows) order.push_back(m);
    if (!rows.contains(r)) order.push_back(r);
  }
  if (target < 0)
    for (int m : rows) order.push_back(m);

  std::vector<int> newOf(rows_.size());
  for (size_t n = 0; n < order.size(); ++n) newOf[size_t(order[n])] = int(n);
  if (std::is_sorted(order.begin(), order.end())) return;

  Q_EMIT layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
  std::vector<TPlaylistRow> moved;
  moved.reserve(rows_.size());
  for (int old : order) moved.push_back(std::move(rows_[size_t(old)]));
  rows_ = std::move(moved);
  if (playing_ >= 0) playing_ = newOf[size_t(playing_)];
  // The place a removed playing row left has no meaning once rows move.
  resume_ = -1;
  const QModelIndexList before = persistentIndexList();
  QModelIndexList after;
  after.reserve(before.size());
  for (const QModelIndex& i : before)
    after << (i.row() < int(newOf.size()) ? index(newOf[size_t(i.row())], i.column()) : QModelIndex());
  changePersistentIndexList(before, after);
  Q_EMIT layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

void TPlaylistModel::SetPlayingIndex(int index) {
  const int old = playing_;
  playing_ = (index >= 0 && index < Count()) ? index : -1;
  resume_ = -1;
  markShown_ = true;
  MarkChanged(old);
  MarkChanged(playing_);
}

void TPlaylistModel::SetMarkShown(bool shown) {
  if (markShown_ == shown) return;
  markShown_ = shown;
  MarkChanged(playing_);
}

void TPlaylistModel::MarkChanged(int row) {
  if (row < 0 || row >= Count()) return;
  const QModelIndex i = index(row, ColMark);
  Q_EMIT dataChanged(i, i, {Qt::DecorationRole});
}
