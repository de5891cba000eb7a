// libFuzzer target: the XSPF reader and the candidate addresses of a station's playlist
// (XSPF, and M3U with the HLS test), over untrusted bytes.
#include <QByteArray>
#include <QString>
#include <QStringList>

#include <cstddef>
#include <cstdint>

#include "fuzzcheck.h"
#include "playback/engine/net/playlistparse.h"
#include "playback/playlistcandidates.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const QByteArray body = QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
  const QStringList locations = XspfLocations(body);
  FUZZ_CHECK(size_t(locations.size()) <= zengine::kMaxPlaylistUrls);
  for (const QString& location : locations) FUZZ_CHECK(!location.isEmpty() && location == location.trimmed());

  for (TPlaylistKind kind : {TPlaylistKind::Xspf, TPlaylistKind::M3u8}) {
    const QString url = kind == TPlaylistKind::Xspf ? QStringLiteral("http://x/a.xspf") : QStringLiteral("http://x/a.m3u8");
    const QStringList candidates = StationCandidates(url, kind, body);
    FUZZ_CHECK(size_t(candidates.size()) <= zengine::kMaxPlaylistUrls);
    for (const QString& c : candidates) {
      // Only stream addresses (or the HLS playlist itself) are ever tried.
      FUZZ_CHECK(c == url || c.startsWith(QLatin1String("http://"), Qt::CaseInsensitive) ||
                 c.startsWith(QLatin1String("https://"), Qt::CaseInsensitive) ||
                 (kind == TPlaylistKind::M3u8 && c.startsWith(QLatin1String("file:///"), Qt::CaseInsensitive)));
    }
  }
  return 0;
}
