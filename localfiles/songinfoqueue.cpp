#include "localfiles/songinfoqueue.h"

#include <QFileInfo>

#include "common/queuedcall.h"
#include "tags/songinfo.h"

TSongInfoQueue::TSongInfoQueue(QObject* parent) : QObject(parent) {
  worker_ = std::thread([this] { Run(); });
}

TSongInfoQueue::~TSongInfoQueue() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    quit_ = true;
    queue_.clear();
  }
  wake_.notify_all();
  worker_.join();
}

void TSongInfoQueue::Add(const QStringList& paths) {
  if (paths.isEmpty()) return;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    for (const QString& p : paths) queue_.push_back({p, serial_});
  }
  wake_.notify_one();
  const bool starting = pending_ == 0;
  pending_ += int(paths.size());
  if (starting) Q_EMIT BusyChanged(true);
}

void TSongInfoQueue::Clear() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    queue_.clear();
    ++serial_;
  }
  if (pending_ > 0) {
    pending_ = 0;
    Q_EMIT BusyChanged(false);
  }
}

// Worker thread.
void TSongInfoQueue::Run() {
  TSongInfo info;
  for (;;) {
    TRequest request;
    {
      std::unique_lock<std::mutex> lock(mutex_);
      wake_.wait(lock, [this] { return quit_ || !queue_.empty(); });
      if (quit_) return;
      request = queue_.front();
      queue_.pop_front();
    }
    TPlaylistRow row;
    bool hasRow = false;
    if (TPlaylistRow::IsStreamAddress(request.Path)) {
      row = StreamRow(request.Path);
      hasRow = true;
    } else if (QFileInfo(request.Path).isFile()) {
      info.ReadSongInfo(request.Path, true, false);
      row = RowFromSongInfo(request.Path, info);
      hasRow = true;
    }
    const quint64 serial = request.Serial;
    PostQueued(this, [this, serial, hasRow, row] { Deliver(serial, hasRow, row); });
  }
}

void TSongInfoQueue::Deliver(quint64 serial, bool hasRow, const TPlaylistRow& row) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (serial != serial_) return;  // asked for before a Clear
  }
  if (hasRow) Q_EMIT RowRead(row);
  if (pending_ > 0 && --pending_ == 0) Q_EMIT BusyChanged(false);
}
