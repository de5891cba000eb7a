// Real servers for the catalogue tests, on 127.0.0.1, started here and stopped by PID: the
// update server (tests/catalogue/updateserver.py) and tinyproxy with basic authentication.
#pragma once

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QThread>

#include <memory>

namespace CatalogueTest {

// Waits until `path` exists (the server wrote its port), at most `ms`.
inline bool WaitForFile(const QString& path, int ms) {
  for (int waited = 0; waited < ms; waited += 20) {
    if (QFile::exists(path)) return true;
    QThread::msleep(20);
  }
  return false;
}

// A free TCP port on 127.0.0.1 (released before use; good enough for tests).
inline int FreePort() {
  QTcpServer s;
  s.listen(QHostAddress::LocalHost, 0);
  return s.serverPort();
}

class UpdateServer {
 public:
  // Serves the files under `root`.
  bool Start(const QString& root) {
    const QString portFile = dir_.path() + QStringLiteral("/port");
    process_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process_.start(QStringLiteral("/usr/bin/python3"),
                   {QStringLiteral(ZOVALIS_SOURCE_DIR "/tests/catalogue/updateserver.py"), root, portFile});
    if (!process_.waitForStarted(5000) || !WaitForFile(portFile, 10000)) return false;
    QFile f(portFile);
    if (!f.open(QIODevice::ReadOnly)) return false;
    port_ = f.readAll().trimmed().toInt();
    return port_ > 0;
  }
  ~UpdateServer() {
    if (process_.state() != QProcess::NotRunning) {
      process_.kill();
      process_.waitForFinished(3000);
    }
  }
  int Port() const { return port_; }
  // "http://127.0.0.1:PORT/" + path.
  QString Url(const QString& path = QString()) const {
    return QStringLiteral("http://127.0.0.1:%1/").arg(port_) + path;
  }

 private:
  QTemporaryDir dir_;
  QProcess process_;
  int port_ = 0;
};

class TinyProxy {
 public:
  bool Start(const QString& user, const QString& password) {
    const QString program = QStandardPaths::findExecutable(QStringLiteral("tinyproxy"), {"/usr/bin", "/usr/sbin"});
    if (program.isEmpty()) return false;
    port_ = FreePort();
    const QString cfg = dir_.path() + QStringLiteral("/tinyproxy.conf");
    QFile f(cfg);
    if (!f.open(QIODevice::WriteOnly)) return false;
    f.write(QStringLiteral("Port %1\nListen 127.0.0.1\nAllow 127.0.0.1\nTimeout 30\nMaxClients 10\n"
                           "BasicAuth %2 %3\nPidFile \"%4/tinyproxy.pid\"\nLogFile \"%4/tinyproxy.log\"\n")
                .arg(port_)
                .arg(user, password, dir_.path())
                .toUtf8());
    f.close();
    process_.setProcessChannelMode(QProcess::MergedChannels);
    process_.start(program, {QStringLiteral("-d"), QStringLiteral("-c"), cfg});
    if (!process_.waitForStarted(5000)) return false;
    // Ready when it accepts connections.
    for (int i = 0; i < 250; ++i) {
      QTcpSocket probe;
      probe.connectToHost(QHostAddress::LocalHost, quint16(port_));
      if (probe.waitForConnected(100)) return true;
      if (process_.state() == QProcess::NotRunning) return false;
      QThread::msleep(20);
    }
    return false;
  }
  ~TinyProxy() {
    if (process_.state() != QProcess::NotRunning) {
      process_.kill();
      process_.waitForFinished(3000);
    }
  }
  int Port() const { return port_; }

 private:
  QTemporaryDir dir_;
  QProcess process_;
  int port_ = 0;
};

}  // namespace CatalogueTest
