#include "localfiles/m3ufile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QUrl>

#include "localfiles/playlistrow.h"
#include "playback/engine/textutil.h"

QStringList ParseM3U(const QByteArray& bytes, const QString& listFolder) {
  QStringList out;
  qsizetype start = bytes.startsWith("\xEF\xBB\xBF") ? 3 : 0;
  while (start < bytes.size()) {
    qsizetype end = bytes.indexOf('\n', start);
    if (end < 0) end = bytes.size();
    QByteArray line = bytes.mid(start, end - start);
    start = end + 1;
    if (line.endsWith('\r')) line.chop(1);
    if (line.isEmpty() || line.startsWith('#')) continue;
    const QString text = QString::fromStdString(zengine::ToUtf8(std::string_view(line.constData(), size_t(line.size()))));
    if (TPlaylistRow::IsStreamAddress(text)) {
      out << text;
    } else if (text.startsWith(QLatin1String("file://"), Qt::CaseInsensitive)) {
      // "file:///path" and "file://localhost/path" both name a file of this machine;
      // another host would be a network share, which a plain path cannot reach.
      const QUrl url(text);
      const QString host = url.host();
      if (url.isValid() && (host.isEmpty() || host.compare(QLatin1String("localhost"), Qt::CaseInsensitive) == 0)) {
        const QString local = url.path(QUrl::FullyDecoded);
        if (local.startsWith(QLatin1Char('/'))) out << QDir::cleanPath(local);
      }
    } else {
      // Joined by hand: QDir takes a name beginning with ':' for one of the program's
      // own resources, not for a file next to the list.
      out << QDir::cleanPath(text.startsWith(QLatin1Char('/')) ? text : listFolder + QLatin1Char('/') + text);
    }
  }
  return out;
}

QByteArray MakeM3U(const QStringList& paths) {
  QByteArray out;
  for (const QString& p : paths) {
    // A name holding a line break would split its line: such a file is written as a
    // file URL, whose escapes read back whole.
    if (p.contains(QLatin1Char('\n')) || p.contains(QLatin1Char('\r')))
      out += QUrl::fromLocalFile(p).toEncoded(QUrl::FullyEncoded) + "\r\n";
    else
      out += p.toUtf8() + "\r\n";
  }
  return out;
}

TM3URead ReadM3UFile(const QString& path) {
  TM3URead r;
  QFile f(path);
  if (!f.open(QIODevice::ReadOnly)) {
    r.Error = QStringLiteral("Impossible de lire la liste de lecture ") + path + QStringLiteral(" : ") + f.errorString();
    return r;
  }
  if (f.size() > kMaxM3USize) {
    r.Error = QStringLiteral("La liste de lecture ") + path + QStringLiteral(" est trop grande pour être lue.");
    return r;
  }
  const QByteArray bytes = f.read(kMaxM3USize + 1);
  if (f.error() != QFileDevice::NoError) {
    r.Error = QStringLiteral("Impossible de lire la liste de lecture ") + path + QStringLiteral(" : ") + f.errorString();
    return r;
  }
  r.Entries = ParseM3U(bytes, QFileInfo(path).absolutePath());
  r.Ok = true;
  return r;
}

bool WriteM3UFile(const QString& path, const QStringList& paths, QString* error) {
  QSaveFile f(path);
  const QByteArray bytes = MakeM3U(paths);
  if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size() || !f.commit()) {
    if (error)
      *error = QStringLiteral("Impossible d'écrire la liste de lecture ") + path + QStringLiteral(" : ") + f.errorString();
    return false;
  }
  return true;
}
