// The single-instance guard: a lock file named after the program, held for the whole run,
// and the channel through which a second start asks the running program to show itself:
// a local socket beside the lock file, which needs no session bus.
#pragma once

#include <QLocalServer>
#include <QLockFile>
#include <QObject>
#include <QString>
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

 Q_SIGNALS:
  void ShowRequested();

 private:
  QLocalServer server_;
};
