#include "app/singleinstance.h"

#include <QDir>
#include <QLocalSocket>
#include <QStandardPaths>
#include <memory>

namespace {
// What a second start writes; the running program answers with the same line once shown.
constexpr char kShowRequest[] = "show\n";
// Each item to open comes first, on a line of its own.
const QByteArray kOpenPrefix = QByteArrayLiteral("open ");
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
      auto items = std::make_shared<QStringList>();
      auto received = std::make_shared<qint64>(0);
      connect(peer, &QLocalSocket::readyRead, this, [this, peer, items, received] {
        // Anything beyond one request's bounds is not ours to read.
        if (*received + peer->bytesAvailable() > kMaxRequestBytes) return peer->abort();
        while (peer->canReadLine()) {
          const QByteArray line = peer->readLine(kMaxRequestBytes);
          *received += line.size();
          if (line.startsWith(kOpenPrefix)) {
            if (items->size() >= kMaxItems) return peer->abort();
            items->append(QString::fromUtf8(QByteArray::fromPercentEncoding(line.mid(5).trimmed())));
            continue;
          }
          if (line == kShowRequest) {
            if (!items->isEmpty()) Q_EMIT OpenRequested(*items);
            items->clear();
            Q_EMIT ShowRequested();
            peer->write(kShowRequest);
            peer->flush();
          }
          peer->disconnectFromServer();
          return;
        }
      });
    }
  });
  return true;
}

bool TInstanceChannel::AskToShow(const QString& path, int timeoutMs) {
  return AskToOpen(path, {}, timeoutMs);
}

bool TInstanceChannel::AskToOpen(const QString& path, const QStringList& items, int timeoutMs) {
  QLocalSocket socket;
  socket.connectToServer(path);
  if (!socket.waitForConnected(timeoutMs)) return false;
  QByteArray request;
  for (const QString& item : items.mid(0, kMaxItems)) {
    QByteArray line = kOpenPrefix + item.toUtf8().toPercentEncoding() + '\n';
    if (request.size() + line.size() + 5 > kMaxRequestBytes) break;
    request += line;
  }
  request += kShowRequest;
  socket.write(request);
  if (!socket.waitForBytesWritten(timeoutMs)) return false;
  // The answer tells that the window was shown.
  return socket.waitForReadyRead(timeoutMs) && socket.readLine() == kShowRequest;
}
