// The single-instance guard: a lock file named after the program, held for the whole run,
// and the channel through which a second start asks the running program to show itself
// and to open what its command line names: a local socket beside the lock file, which
// needs no session bus.
//
// The request is lines of text: "open " and one item percent-encoded (UTF-8) for each
// item, then "show"; the running program answers "show" once its window is shown.
#pragma once

#include <QLocalServer>
#include <QLockFile>
#include <QObject>
#include <QString>
#include <QStringList>
#include <memory>

class TSingleInstance {
 public:
  // `name` names the guard ("ZOVAProject"); the lock file lives in `folder`, by default
  // the user's runtime folder.
  explicit TSingleInstance(const QString& name, const QString& folder = QString());

  // Takes the guard without waiting. False when another running process holds it.
  // A lock left by a process that no longer runs (killed, crashed) is taken over.
  bool TryAcquire();

  QString LockFilePath() const { return path_; }
  // The channel's socket: the lock file's path with ".sock" for ".lock".
  QString ChannelPath() const;

 private:
  QString path_;
  std::unique_ptr<QLockFile> lock_;
};

// The running program's end of the channel. Thread: interface thread.
class TInstanceChannel : public QObject {
  Q_OBJECT
 public:
  // Listens at `path` (the guard's channel; whoever holds the guard owns it, so a socket
  // left by a killed run is replaced). False when it cannot listen.
  bool Listen(const QString& path);

  // A second start's end: asks the program listening at `path` to show its main window.
  // False when none answered within `timeoutMs`.
  static bool AskToShow(const QString& path, int timeoutMs = 3000);
  // The same, handing over the items of the second start's command line first (addresses
  // and absolute paths, see app/openrequest.h); at most kMaxItems are sent.
  static bool AskToOpen(const QString& path, const QStringList& items, int timeoutMs = 3000);

  // What one request may carry: more is not read (the peer is dropped).
  static constexpr int kMaxItems = 64;
  static constexpr qint64 kMaxRequestBytes = 256 * 1024;

 Q_SIGNALS:
  // The items a second start asked to open, in order (before its ShowRequested).
  void OpenRequested(const QStringList& items);
  void ShowRequested();

 private:
  QLocalServer server_;
};
