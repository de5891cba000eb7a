// libFuzzer target: what station playback reads from a server: the .pls/.m3u body turned
// into candidate addresses, the tag blocks' rules and the title of a metadata text.
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzzcheck.h"
#include "playback/metadata.h"
#include "playback/playlistcandidates.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const QByteArray body(reinterpret_cast<const char*>(data), qsizetype(size));
  for (TPlaylistKind kind : {TPlaylistKind::Pls, TPlaylistKind::M3u}) {
    const QStringList urls = PlaylistCandidates(kind, body);
    FUZZ_CHECK(urls.size() <= 1000);
    for (const QString& u : urls) FUZZ_CHECK(!u.contains(QLatin1Char('\n')));
  }
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  const QStringList texts = SplitTagBlock(bytes);
  for (TTagKind kind : {TTagKind::Icy, TTagKind::Http, TTagKind::Wma, TTagKind::Ogg})
    FUZZ_CHECK(DumpTags(kind, texts).Lines.size() <= texts.size() + 1);
  const QString text = StreamText(bytes);
  const TMetaTitle t = ParseMetadataTitle(text);
  FUZZ_CHECK(t.Title.size() <= text.size());
  (void)OggBitRate(text);
  return 0;
}
