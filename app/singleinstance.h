// The single-instance guard: a lock file named after the program, held for the whole run.
#pragma once

#include <QLockFile>
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

 private:
  QString path_;
  std::unique_ptr<QLockFile> lock_;
};
