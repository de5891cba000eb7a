#include "app/singleinstance.h"

#include <QDir>
#include <QStandardPaths>

TSingleInstance::TSingleInstance(const QString& name, const QString& folder) {
  QString dir = folder.isEmpty() ? QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation) : folder;
  if (dir.isEmpty()) dir = QDir::tempPath();
  path_ = QDir(dir).filePath(name + QStringLiteral(".lock"));
  lock_ = std::make_unique<QLockFile>(path_);
  // The program holds the lock for its whole run, hours on end: the lock must never be
  // taken for stale because of its age, only because its owner is gone.
  lock_->setStaleLockTime(0);
}

bool TSingleInstance::TryAcquire() {
  return lock_->tryLock(0);
}
