#include "app/openrequest.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QUrl>

#include "localfiles/m3ufile.h"
#include "playback/openaddress.h"
#include "playback/playlistcandidates.h"

namespace {

// An item written as an address (with its scheme); a bare "name.mp3" is a file.
bool WrittenAsAddress(const QString& item) {
  return item.trimmed().contains(QLatin1String("://")) && !StreamAddressOf(item).isEmpty();
}

// The local path an item names, or empty: a file:// URL's path, or a path (relative ones
// from `folder`).
QString LocalPathOf(const QString& item, const QString& folder) {
  const QString t = item.trimmed();
  if (t.startsWith(QLatin1String("file:"), Qt::CaseInsensitive)) {
    const QUrl url(t);
    return url.isLocalFile() ? url.toLocalFile() : QString();
  }
  if (t.contains(QLatin1String("://"))) return QString();
  return QDir(folder).absoluteFilePath(t);
}

TPlaylistKind KindOfFile(const QString& path) {
  const QString suffix = QFileInfo(path).suffix().toLower();
  if (suffix == QLatin1String("pls")) return TPlaylistKind::Pls;
  if (suffix == QLatin1String("m3u")) return TPlaylistKind::M3u;
  if (suffix == QLatin1String("m3u8")) return TPlaylistKind::M3u8;
  if (suffix == QLatin1String("xspf")) return TPlaylistKind::Xspf;
  return TPlaylistKind::None;
}

TStationRecord StationAt(const QString& address) {
  TStationRecord r;
  r.Radio = address;
  r.Url = address;
  return r;
}

// The music files an XSPF playlist at `path` names: file:// locations and relative paths
// (from the playlist's folder) of files that exist.
QStringList XspfFiles(const QStringList& locations, const QString& path) {
  QStringList files;
  const QDir dir = QFileInfo(path).absoluteDir();
  for (const QString& location : locations) {
    QString file;
    if (location.startsWith(QLatin1String("file:"), Qt::CaseInsensitive)) {
      const QUrl url(location);
      if (url.isLocalFile()) file = url.toLocalFile();
    } else if (!location.contains(QLatin1String("://"))) {
      // A relative location is a URL too: "%20" stands for a blank.
      file = dir.absoluteFilePath(QUrl::fromPercentEncoding(location.toUtf8()));
    }
    if (!file.isEmpty() && QFileInfo(file).isFile()) files.append(file);
  }
  return files;
}

}  // namespace

bool IsAudioFileName(const QString& path) {
  static const QStringList kKinds = {QStringLiteral("mp3"), QStringLiteral("mp4"), QStringLiteral("aac"),
                                     QStringLiteral("ogg"), QStringLiteral("wav"), QStringLiteral("wma"),
                                     QStringLiteral("cda")};
  return kKinds.contains(QFileInfo(path).suffix().toLower());
}

QStringList AbsoluteItems(const QStringList& items, const QString& folder) {
  QStringList out;
  for (const QString& item : items) {
    const QString t = item.trimmed();
    out.append(t.contains(QLatin1String("://")) || t.startsWith(QLatin1String("file:"), Qt::CaseInsensitive)
                   ? t
                   : QDir::cleanPath(QDir(folder).absoluteFilePath(t)));
  }
  return out;
}

TOpenPlan PlanOpen(const QStringList& items, const QString& folder) {
  TOpenPlan plan;
  const auto play = [&plan](const QString& address) {
    if (!plan.Station) plan.Station = StationAt(address);
  };
  for (const QString& item : items) {
    if (item.trimmed().isEmpty()) continue;
    if (WrittenAsAddress(item)) {
      // A playlist on the network is read by the station player itself, as a tuner's.
      play(StreamAddressOf(item));
      continue;
    }
    const QString path = LocalPathOf(item, folder);
    const QFileInfo info(path);
    if (path.isEmpty() || !info.isFile()) {
      plan.Refused.append(item);
      continue;
    }
    const QString file = info.absoluteFilePath();
    const TPlaylistKind kind = KindOfFile(file);
    if (kind == TPlaylistKind::None) {
      if (IsAudioFileName(file)) {
        plan.Files.append(file);
      } else {
        plan.Refused.append(item);
      }
      continue;
    }
    QFile f(file);
    const QByteArray body = f.open(QIODevice::ReadOnly) ? f.read(kMaxPlaylistBody) : QByteArray();
    // The station player reads the playlist again by its ending, which it compares as
    // written: a list whose ending is in capitals is handed over as its first address.
    // Only network addresses make a list of stations: a list of file:// entries is music.
    QStringList candidates;
    for (const QString& c : StationCandidates(file, kind, body))
      if (c == file || !StreamAddressOf(c).isEmpty()) candidates.append(c);
    const bool readable = PlaylistKindOf(file) == kind;
    if (!candidates.isEmpty()) {
      play(readable ? file : candidates.first());
      continue;
    }
    QStringList files;
    if (kind == TPlaylistKind::Xspf) {
      files = XspfFiles(XspfLocations(body), file);
    } else if (kind != TPlaylistKind::Pls) {
      files = ParseM3U(body, info.absolutePath());
    }
    if (files.isEmpty()) {
      plan.Refused.append(item);
    } else {
      plan.Files.append(files);
    }
  }
  return plan;
}
