#include "playback/playlistcandidates.h"

#include <string_view>

#include "playback/engine/net/playlistparse.h"
#include "playback/metadata.h"

TPlaylistKind PlaylistKindOf(const QString& url) {
  const QString tail = url.right(4);
  if (tail == QLatin1String(".pls")) return TPlaylistKind::Pls;
  if (tail == QLatin1String(".m3u")) return TPlaylistKind::M3u;
  return TPlaylistKind::None;
}

QStringList PlaylistCandidates(TPlaylistKind kind, const QByteArray& body) {
  QStringList out;
  if (kind == TPlaylistKind::None) return out;
  const auto format = kind == TPlaylistKind::Pls ? zengine::PlaylistFormat::Pls : zengine::PlaylistFormat::M3u;
  for (const std::string& url : zengine::ParsePlaylistUrls(std::string_view(body.constData(), size_t(body.size())), format))
    out.append(StreamText(url));
  return out;
}
