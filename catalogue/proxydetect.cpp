#include "catalogue/proxydetect.h"

#include <QProcess>
#include <QStandardPaths>
#include <QStringList>

#include <cstdlib>

QString ProxyTextFromUrl(const QString& url) {
  QString text = url.trimmed();
  const int scheme = text.indexOf(QStringLiteral("://"));
  if (scheme >= 0) text = text.mid(scheme + 3);
  // Credentials in the URL belong to the proxy's login, not to its address.
  const int at = text.lastIndexOf(QLatin1Char('@'));
  if (at >= 0) text = text.mid(at + 1);
  while (text.endsWith(QLatin1Char('/'))) text.chop(1);
  return text;
}

QString ReadSystemProxy(const std::function<QString(const char*)>& env,
                        const std::function<QString(const QStringList&)>& gsettings) {
  for (const char* name : {"http_proxy", "HTTP_PROXY"}) {
    const QString value = env(name).trimmed();
    if (!value.isEmpty()) return ProxyTextFromUrl(value);
  }
  if (!gsettings) return QString();
  const QString mode = gsettings({QStringLiteral("get"), QStringLiteral("org.gnome.system.proxy"),
                                  QStringLiteral("mode")})
                           .trimmed();
  if (mode != QLatin1String("'manual'")) return QString();
  QString host = gsettings({QStringLiteral("get"), QStringLiteral("org.gnome.system.proxy.http"),
                            QStringLiteral("host")})
                     .trimmed();
  const QString port = gsettings({QStringLiteral("get"), QStringLiteral("org.gnome.system.proxy.http"),
                                  QStringLiteral("port")})
                           .trimmed();
  if (host.size() >= 2 && host.startsWith(QLatin1Char('\'')) && host.endsWith(QLatin1Char('\'')))
    host = host.mid(1, host.size() - 2);
  if (host.isEmpty()) return QString();
  return host + QLatin1Char(':') + port;
}

QString ReadSystemProxy() {
  const auto env = [](const char* name) { return QString::fromLocal8Bit(std::getenv(name)); };
  const auto gsettings = [](const QStringList& args) -> QString {
    const QString program = QStandardPaths::findExecutable(QStringLiteral("gsettings"));
    if (program.isEmpty()) return QString();
    QProcess p;
    p.start(program, args);
    if (!p.waitForFinished(2000)) {
      p.kill();
      p.waitForFinished(500);
      return QString();
    }
    if (p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) return QString();
    return QString::fromUtf8(p.readAllStandardOutput());
  };
  return ReadSystemProxy(env, gsettings);
}

TDetectedProxy DetectProxy(const QString& scheme, const QString& list) {
  TDetectedProxy result;
  QString l = list;
  if (l.isEmpty()) return result;
  // The label must start an entry, so "https=" does not match a search for "http=".
  const QString label = scheme + QLatin1Char('=');
  int at = -1;
  for (int from = 0; (from = l.indexOf(label, from)) >= 0; ++from) {
    if (from == 0 || l.at(from - 1) == QLatin1Char(';') || l.at(from - 1) == QLatin1Char(' ')) {
      at = from;
      break;
    }
  }
  if (at >= 0) {
    l = l.mid(at + label.size());
    const int semi = l.indexOf(QLatin1Char(';'));
    if (semi >= 0) l = l.left(semi);
  }
  const int colon = l.indexOf(QLatin1Char(':'));
  if (colon < 0) return result;
  result.Host = l.left(colon);
  bool ok = false;
  const int port = l.mid(colon + 1).toInt(&ok);
  result.Port = ok && port >= 1 && port <= 65535 ? port : 0;
  return result;
}
