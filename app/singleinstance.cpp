#include "app/singleinstance.h"

#include <QDir>
#include <QLocalSocket>
#include <QStandardPaths>

namespace {
// What a second start writes; the running program answers with the same line once shown.
constexpr char kShowRequest[] = "show\n";
}  // namespace

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

QString TSingleInstance::ChannelPath() const {
  QString path = path_;
  if (path.endsWith(QStringLiteral(".lock"))) path.chop(5);
  return path + QStringLiteral(".sock");
}

bool TInstanceChannel::Listen(const QString& path) {
  QLocalServer::removeServer(path);
  server_.setSocketOptions(QLocalServer::UserAccessOption);
  if (!server_.listen(path)) return false;
  connect(&server_, &QLocalServer::newConnection, this, [this] {
    while (QLocalSocket* peer = server_.nextPendingConnection()) {
      connect(peer, &QLocalSocket::disconnected, peer, &QObject::deleteLater);
      connect(peer, &QLocalSocket::readyRead, this, [this, peer] {
        // Anything beyond the one short request is not ours to read.
        if (peer->bytesAvailable() > 64) return peer->abort();
        if (!peer->canReadLine()) return;
        if (peer->readLine() == kShowRequest) {
          Q_EMIT ShowRequested();
          peer->write(kShowRequest);
          peer->flush();
        }
        peer->disconnectFromServer();
      });
    }
  });
  return true;
}

bool TInstanceChannel::AskToShow(const QString& path, int timeoutMs) {
  QLocalSocket socket;
  socket.connectToServer(path);
  if (!socket.waitForConnected(timeoutMs)) return false;
  socket.write(kShowRequest);
  if (!socket.waitForBytesWritten(timeoutMs)) return false;
  // The answer tells that the window was shown.
  return socket.waitForReadyRead(timeoutMs) && socket.readLine() == kShowRequest;
}
