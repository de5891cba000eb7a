// libFuzzer target: the open station directory's station list (MapDirectoryStations), as
// any server may send it. Whatever the bytes, what is kept fits the catalogue: a name,
// a web address, no address twice, fields within their widths, counts that add up.
#include <cstddef>
#include <cstdint>

#include <QByteArray>
#include <QSet>
#include <QString>

#include "catalogue/catalogueschema.h"
#include "catalogue/directorymapping.h"
#include "fuzzcheck.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const QByteArray json(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
  const TDirectoryMapping m = MapDirectoryStations(json, {{QStringLiteral("fr"), QStringLiteral("France")}});
  if (!m.Error.isEmpty()) {
    FUZZ_CHECK(m.Stations.empty() && m.Countries.empty() && m.Genres.empty() && m.Favicons.isEmpty());
    return 0;
  }
  const TFieldList fields = CatalogueFields(TCatalogueKind::Stations);
  FUZZ_CHECK(int(m.Stations.size()) + m.NoAddress + m.Duplicates + m.Hls + m.Bad == m.Entries);
  QSet<QString> urls;
  for (const TRow& row : m.Stations) {
    FUZZ_CHECK(row.size() == size_t(fields.size()));
    for (int c = 0; c < fields.size(); ++c) {
      if (fields[c].Type != TFieldType::String) continue;
      FUZZ_CHECK(row[size_t(c)].Text.size() <= fields[c].Width);
      for (const QChar ch : row[size_t(c)].Text) FUZZ_CHECK(ch.unicode() >= 0x20 && ch.unicode() != 0xFFFE && ch.unicode() != 0xFFFF);
    }
    FUZZ_CHECK(!row[0].Text.isEmpty() && row[0].Text == row[0].Text.trimmed());
    const QString& url = row[1].Text;
    FUZZ_CHECK(url.startsWith(QLatin1String("http://"), Qt::CaseInsensitive) ||
               url.startsWith(QLatin1String("https://"), Qt::CaseInsensitive));
    FUZZ_CHECK(!urls.contains(url));
    urls.insert(url);
    FUZZ_CHECK(row[6].Text.isEmpty() || IsDirectoryUuid(row[6].Text));
    FUZZ_CHECK(row[8].Int >= 0 && row[8].Int <= kDirectoryMaxBitRate);
  }
  for (const TRow& country : m.Countries) {
    const QString& flag = country[1].Text;
    FUZZ_CHECK(flag.size() == 6 && flag.endsWith(QLatin1String(".png")) && !flag.contains(QLatin1Char('/')));
  }
  FUZZ_CHECK(m.Genres.size() <= size_t(kDirectoryMaxGenres));
  return 0;
}
