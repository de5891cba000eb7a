#include "playback/playlistcandidates.h"

#include "playback/metadata.h"

namespace {
constexpr int kMaxCandidates = 1000;
}

TPlaylistKind PlaylistKindOf(const QString& url) {
  const QString tail = url.right(4);
  if (tail == QLatin1String(".pls")) return TPlaylistKind::Pls;
  if (tail == QLatin1String(".m3u")) return TPlaylistKind::M3u;
  return TPlaylistKind::None;
}

QStringList PlaylistCandidates(TPlaylistKind kind, const QByteArray& body) {
  QStringList out;
  if (kind == TPlaylistKind::None) return out;
  for (QByteArray line : body.split('\n')) {
    if (line.endsWith('\r')) line.chop(1);
    const QString text = StreamText(line.toStdString());
    if (kind == TPlaylistKind::Pls) {
      if (!text.left(4).toUpper().startsWith(QLatin1String("FILE"))) continue;
      const int eq = text.indexOf(QLatin1Char('='));
      if (eq < 0) continue;
      out.append(text.mid(eq + 1));
    } else {
      const QString head = text.left(8).toLower();
      if (!head.startsWith(QLatin1String("http://")) && !head.startsWith(QLatin1String("https://"))) continue;
      out.append(text);
    }
    if (out.size() >= kMaxCandidates) break;
  }
  return out;
}
