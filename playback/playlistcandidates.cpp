#include "playback/playlistcandidates.h"

#include <QXmlStreamReader>

#include <string_view>

#include "playback/engine/net/playlistparse.h"
#include "playback/metadata.h"

TPlaylistKind PlaylistKindOf(const QString& url) {
  if (url.endsWith(QLatin1String(".pls"))) return TPlaylistKind::Pls;
  if (url.endsWith(QLatin1String(".m3u"))) return TPlaylistKind::M3u;
  if (url.endsWith(QLatin1String(".m3u8"))) return TPlaylistKind::M3u8;
  if (url.endsWith(QLatin1String(".xspf"))) return TPlaylistKind::Xspf;
  return TPlaylistKind::None;
}

bool IsHlsPlaylist(const QByteArray& body) {
  // The tags open their lines; a body that only mentions them in a comment or an address
  // is not taken for HLS.
  for (const QByteArray& line : body.left(kMaxPlaylistBody).split('\n')) {
    const QByteArray l = line.trimmed();
    if (l.startsWith("#EXT-X-TARGETDURATION") || l.startsWith("#EXT-X-STREAM-INF")) return true;
  }
  return false;
}

QStringList XspfLocations(const QByteArray& body) {
  QStringList out;
  if (body.size() > kMaxPlaylistBody) return out;
  QXmlStreamReader xml(body);
  // Locations count only inside playlist/trackList/track, as the format nests them; an
  // XSPF document has no entities to expand (Qt's reader does not expand external ones).
  QStringList path;
  while (!xml.atEnd() && out.size() < qsizetype(zengine::kMaxPlaylistUrls)) {
    const QXmlStreamReader::TokenType token = xml.readNext();
    if (token == QXmlStreamReader::StartElement) {
      const QString name = xml.name().toString();
      path.append(name);
      if (name == QLatin1String("location") && path.size() == 4 && path[0] == QLatin1String("playlist") &&
          path[1] == QLatin1String("trackList") && path[2] == QLatin1String("track")) {
        const QString location = xml.readElementText(QXmlStreamReader::SkipChildElements).trimmed();
        path.removeLast();
        if (!location.isEmpty()) out.append(location);
      }
    } else if (token == QXmlStreamReader::EndElement) {
      if (!path.isEmpty()) path.removeLast();
    } else if (token == QXmlStreamReader::DTD) {
      // A document type declaration could declare entities: XSPF needs none.
      break;
    }
  }
  return out;
}

namespace {

// An XSPF location as a stream address: http and https as written, icy as http; anything
// else (files, other schemes) is no station.
QString StreamLocation(const QString& location) {
  if (location.startsWith(QLatin1String("http://"), Qt::CaseInsensitive) ||
      location.startsWith(QLatin1String("https://"), Qt::CaseInsensitive))
    return location;
  if (location.startsWith(QLatin1String("icy://"), Qt::CaseInsensitive))
    return QStringLiteral("http://") + location.mid(6);
  return QString();
}

}  // namespace

QStringList PlaylistCandidates(TPlaylistKind kind, const QByteArray& body) {
  QStringList out;
  switch (kind) {
    case TPlaylistKind::None: return out;
    case TPlaylistKind::Xspf:
      for (const QString& location : XspfLocations(body))
        if (const QString url = StreamLocation(location); !url.isEmpty()) out.append(url);
      return out;
    case TPlaylistKind::Pls:
    case TPlaylistKind::M3u:
    case TPlaylistKind::M3u8: break;
  }
  if (body.size() > kMaxPlaylistBody) return out;
  const auto format = kind == TPlaylistKind::Pls ? zengine::PlaylistFormat::Pls : zengine::PlaylistFormat::M3u;
  for (const std::string& url : zengine::ParsePlaylistUrls(std::string_view(body.constData(), size_t(body.size())), format))
    out.append(StreamText(url));
  return out;
}

QStringList StationCandidates(const QString& url, TPlaylistKind kind, const QByteArray& body) {
  if ((kind == TPlaylistKind::M3u || kind == TPlaylistKind::M3u8) && IsHlsPlaylist(body)) return {url};
  return PlaylistCandidates(kind, body);
}
