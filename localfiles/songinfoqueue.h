// TSongInfoQueue: reads the song information of the files added to the playlist on a
// worker thread, one file after the other in the order they were added, and hands each
// finished row to the interface thread, so a drop of a thousand files never freezes the
// window and rows appear as they are read.
//
// Names that are not files are skipped (no row); stream addresses become stream rows
// without being opened. Clear() forgets what is still waiting: rows of a request made
// before it are dropped even when their reading had already started.
//
// Threads: Add, Clear and the signals belong to the interface thread; the worker thread
// only reads files and posts its results there.
#pragma once

#include <QObject>
#include <QStringList>

#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

#include "localfiles/playlistrow.h"

class TSongInfoQueue : public QObject {
  Q_OBJECT
 public:
  explicit TSongInfoQueue(QObject* parent = nullptr);
  ~TSongInfoQueue() override;

  void Add(const QStringList& paths);
  void Clear();
  bool Busy() const { return pending_ > 0; }
  int Pending() const { return pending_; }

 Q_SIGNALS:
  void RowRead(const TPlaylistRow& row);
  // True when work starts, false once every request is answered.
  void BusyChanged(bool busy);

 private:
  struct TRequest {
    QString Path;
    quint64 Serial;
  };
  void Run();  // worker thread
  void Deliver(quint64 serial, bool hasRow, const TPlaylistRow& row);  // interface thread

  std::mutex mutex_;
  std::condition_variable wake_;
  std::deque<TRequest> queue_;
  bool quit_ = false;
  quint64 serial_ = 1;  // guarded by mutex_
  int pending_ = 0;     // interface thread
  std::thread worker_;
};
