// libFuzzer target: the playlist window's M3U reader. Every entry is one non-empty line's
// worth of text, and what the window saves reads back as the same entries.
#include <QDir>
#include <QString>
#include <QStringList>
#include <cstddef>
#include <cstdint>

#include "fuzzcheck.h"
#include "localfiles/m3ufile.h"
#include "localfiles/playlistrow.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
  const QString folder = QStringLiteral("/srv/musique/listes");
  const QStringList entries = ParseM3U(bytes, folder);
  FUZZ_CHECK(entries.size() <= bytes.count('\n') + 1);

  // Saving and reading again keeps every entry a line can carry (a file:// address may
  // decode to a name holding a line end, which no M3U line can hold).
  QStringList kept;
  for (const QString& e : entries) {
    FUZZ_CHECK(!e.isEmpty());
    if (e.contains(QLatin1Char('\n')) || e.startsWith(QChar(0xFEFF)) || e.startsWith(QLatin1Char('#'))) continue;
    kept << (TPlaylistRow::IsStreamAddress(e) ? e : QDir::cleanPath(e));
  }
  const QStringList again = ParseM3U(MakeM3U(kept), folder);
  FUZZ_CHECK(again == kept);
  return 0;
}
