#include "catalogue/directorymapping.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonValue>
#include <QSet>

#include <algorithm>
#include <cmath>
#include <optional>

#include "catalogue/catalogueschema.h"

namespace {

TCell TextCell(const QString& text) {
  return text.isEmpty() ? TCell{} : TCell{text, 0, true};
}

TCell IntCell(int value) {
  return TCell{QString(), value, true};
}

bool IsUnwanted(char16_t c) {
  // Control characters (C0, DEL, C1) and the two non-characters a catalogue file cannot hold.
  return c < 0x20 || (c >= 0x7F && c <= 0x9F) || c == 0xFFFE || c == 0xFFFF;
}

// A web address as the catalogue can keep it: http or https, no white space or control
// character, within `width`; empty otherwise.
QString WebAddress(const QJsonValue& value, int width) {
  if (!value.isString()) return QString();
  const QString text = value.toString().trimmed();
  if (text.isEmpty() || text.size() > width) return QString();
  if (!text.startsWith(QLatin1String("http://"), Qt::CaseInsensitive) &&
      !text.startsWith(QLatin1String("https://"), Qt::CaseInsensitive))
    return QString();
  for (const QChar ch : text)
    if (ch.isSpace() || IsUnwanted(ch.unicode()) || ch.isSurrogate()) return QString();
  return text;
}

// The integer of a JSON number or numeric text; nullopt when it is neither.
std::optional<double> NumberOf(const QJsonValue& value) {
  if (value.isDouble()) return value.toDouble();
  if (value.isString()) {
    bool ok = false;
    const double d = value.toString().trimmed().toDouble(&ok);
    if (ok) return d;
  }
  if (value.isBool()) return value.toBool() ? 1.0 : 0.0;
  return std::nullopt;
}

// Bytes of one parse: big enough that the parser's overhead does not count, small enough
// that its document stays a few megabytes.
constexpr qsizetype kBatchBytes = 4 << 20;

qsizetype SkipSpace(const QByteArray& json, qsizetype at) {
  while (at < json.size() && (json[at] == ' ' || json[at] == '\n' || json[at] == '\r' || json[at] == '\t')) ++at;
  return at;
}

// The end (one past) of the JSON value starting at `at`: objects and arrays by their
// nesting, outside strings; other values up to the next separator. -1 when the text ends
// first. Only finds the boundaries: the parser checks the value itself.
qsizetype ElementEnd(const QByteArray& json, qsizetype at) {
  if (at >= json.size()) return -1;
  const char first = json[at];
  if (first != '{' && first != '[') {
    while (at < json.size() && json[at] != ',' && json[at] != ']' && json[at] != '}') ++at;
    return at < json.size() ? at : -1;
  }
  int depth = 0;
  bool inString = false;
  for (; at < json.size(); ++at) {
    const char c = json[at];
    if (inString) {
      if (c == '\\') ++at;
      else if (c == '"') inString = false;
    } else if (c == '"') {
      inString = true;
    } else if (c == '{' || c == '[') {
      ++depth;
    } else if (c == '}' || c == ']') {
      if (--depth == 0) return at + 1;
    }
  }
  return -1;
}

}  // namespace

QString CleanDirectoryText(const QString& text, int width) {
  QString out;
  out.reserve(std::min<qsizetype>(text.size(), width + 1));
  bool space = false;
  for (qsizetype i = 0; i < text.size(); ++i) {
    const char16_t c = text[i].unicode();
    qsizetype length = 1;  // code units of the character at i
    if (QChar::isHighSurrogate(c)) {
      if (i + 1 >= text.size() || !text[i + 1].isLowSurrogate()) continue;  // unpaired: dropped
      length = 2;
    } else if (QChar::isLowSurrogate(c) || IsUnwanted(c) || QChar::isSpace(c)) {
      // White space (tabs and line breaks included) separates words; other controls go.
      if (QChar::isSpace(c)) space = true;
      continue;
    }
    const qsizetype gap = space && !out.isEmpty() ? 1 : 0;
    if (out.size() + gap + length > width) break;  // a character stays whole or goes
    if (gap) out += QLatin1Char(' ');
    space = false;
    out += QStringView(text).mid(i, length);
    i += length - 1;
  }
  return out;
}

QString DirectoryStreamType(const QString& codec) {
  const QString c = codec.trimmed().toUpper();
  for (const char* known : {"MP3", "AAC", "AAC+", "OGG", "OPUS", "FLAC"})
    if (c == QLatin1String(known)) return c;
  return QString();
}

QString DirectoryGenre(const QString& tags) {
  const int width = CatalogueFields(TCatalogueKind::Genres)[0].Width;
  const int fieldWidth = CatalogueFields(TCatalogueKind::Stations)[2].Width;
  QStringList taken;
  int length = 0;
  for (const QString& part : tags.split(QLatin1Char(','))) {
    const QString tag = CleanDirectoryText(part, 4 * width).toCaseFolded();
    // A tag longer than a genre name cannot be a genre of the list: it is left out.
    if (tag.isEmpty() || tag.size() > width || taken.contains(tag)) continue;
    const int added = int(tag.size()) + (taken.isEmpty() ? 0 : 1);
    if (length + added > fieldWidth) break;
    taken.append(tag);
    length += added;
    if (taken.size() == kDirectoryMaxTags) break;
  }
  return taken.join(QLatin1Char(','));
}

bool IsDirectoryUuid(const QString& text) {
  if (text.size() != 36) return false;
  for (int i = 0; i < 36; ++i) {
    const char16_t c = text[i].unicode();
    if (i == 8 || i == 13 || i == 18 || i == 23) {
      if (c != u'-') return false;
    } else if (!((c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F'))) {
      return false;
    }
  }
  return true;
}

TDirectoryMapping MapDirectoryStations(const QByteArray& json, const QHash<QString, QString>& countryNames) {
  TDirectoryMapping m;
  // The list is read in batches of whole elements, so a parse never holds the document
  // of the whole answer (several times its size) in memory at once.
  qsizetype at = SkipSpace(json, 0);
  if (at >= json.size() || (json[at] != '[' && json[at] != '{')) {
    m.Error = QStringLiteral("réponse illisible (ce n'est pas du JSON)");
    return m;
  }
  if (json[at] != '[') {
    m.Error = QStringLiteral("la réponse n'est pas une liste de stations");
    return m;
  }
  ++at;
  const TFieldList fields = CatalogueFields(TCatalogueKind::Stations);
  const int nameWidth = fields[0].Width, urlWidth = fields[1].Width, countryWidth = fields[3].Width,
            webWidth = fields[5].Width;
  const int countryNameWidth = CatalogueFields(TCatalogueKind::Countries)[0].Width;
  const QString na = QStringLiteral("N/A");

  QSet<QString> addresses;
  addresses.reserve(json.size() / 600);
  QHash<QString, QString> flagOfCountry;  // shown name -> flag file
  QHash<QString, int> genreUses;
  m.Stations.reserve(size_t(json.size() / 600));

  const auto mapOne = [&](const QJsonValue& value) {
    if (!value.isObject()) {
      ++m.Bad;
      return;
    }
    const QJsonObject o = value.toObject();
    const QString name = CleanDirectoryText(o.value(QLatin1String("name")).toString(), nameWidth);
    const std::optional<double> bitrate = NumberOf(o.value(QLatin1String("bitrate")));
    if (name.isEmpty() || (bitrate && (!std::isfinite(*bitrate) || *bitrate < 0 || *bitrate > kDirectoryMaxBitRate))) {
      ++m.Bad;
      return;
    }
    QString url = WebAddress(o.value(QLatin1String("url_resolved")), urlWidth);
    if (url.isEmpty()) url = WebAddress(o.value(QLatin1String("url")), urlWidth);
    if (url.isEmpty()) {
      ++m.NoAddress;
      return;
    }
    const std::optional<double> hls = NumberOf(o.value(QLatin1String("hls")));
    if ((hls && *hls != 0) || QStringView(url).split(QLatin1Char('?')).first().endsWith(QLatin1String(".m3u8"), Qt::CaseInsensitive)) {
      ++m.Hls;
      return;
    }
    if (addresses.contains(url)) {
      ++m.Duplicates;
      return;
    }
    addresses.insert(url);

    const QString genre = DirectoryGenre(o.value(QLatin1String("tags")).toString());
    for (const QString& tag : genre.split(QLatin1Char(','), Qt::SkipEmptyParts)) ++genreUses[tag];

    const QString code = o.value(QLatin1String("countrycode")).toString().trimmed().toLower();
    const bool validCode = code.size() == 2 && code[0] >= u'a' && code[0] <= u'z' && code[1] >= u'a' && code[1] <= u'z';
    QString country;
    if (validCode) country = countryNames.value(code);
    if (country.isEmpty()) country = CleanDirectoryText(o.value(QLatin1String("country")).toString(), countryNameWidth);
    if (country.isEmpty() && validCode) country = code.toUpper();
    country = country.left(countryWidth);
    if (validCode && !country.isEmpty() && !flagOfCountry.contains(country))
      flagOfCountry.insert(country, code + QStringLiteral(".png"));

    const QString uuid = o.value(QLatin1String("stationuuid")).toString().trimmed().toLower();
    const bool validUuid = IsDirectoryUuid(uuid);
    if (validUuid) {
      const QString favicon = WebAddress(o.value(QLatin1String("favicon")), kDirectoryMaxFaviconLength);
      if (!favicon.isEmpty()) {
        m.Favicons += uuid.toLatin1();
        m.Favicons += '\t';
        m.Favicons += favicon.toUtf8();
        m.Favicons += '\n';
      }
    }

    TRow row(size_t(fields.size()));
    row[0] = TextCell(name);
    row[1] = TextCell(url);
    row[2] = TextCell(genre);
    row[3] = TextCell(country);
    row[5] = TextCell(WebAddress(o.value(QLatin1String("homepage")), webWidth));
    // The station's identifier names its picture (fetched when first shown) and is what
    // a play is reported with.
    row[6] = TextCell(validUuid ? uuid : QString());
    row[7] = TextCell(DirectoryStreamType(o.value(QLatin1String("codec")).toString()));
    row[8] = IntCell(bitrate ? int(std::lround(*bitrate)) : 0);
    row[9] = IntCell(0);
    row[10] = TextCell(na);
    m.Stations.push_back(std::move(row));
  };

  bool closed = false;
  qsizetype closePos = -1;  // the list's closing bracket
  while (!closed) {
    // One batch: whole elements up to about kBatchBytes, commas between them included.
    const qsizetype start = SkipSpace(json, at);
    qsizetype end = start;
    int elements = 0;
    for (;;) {
      qsizetype e = SkipSpace(json, end);
      if (e < json.size() && json[e] == ']' && elements == 0 && m.Entries == 0) {
        closed = true;  // the empty list
        closePos = e;
        end = e;
        break;
      }
      e = ElementEnd(json, e);
      if (e < 0) {
        m = TDirectoryMapping{};
        m.Error = QStringLiteral("réponse illisible (tronquée ou abîmée vers l'octet %1)").arg(end);
        return m;
      }
      end = e;
      ++elements;
      const qsizetype next = SkipSpace(json, end);
      if (next < json.size() && json[next] == ']') {
        closed = true;
        closePos = next;
        break;
      }
      if (next >= json.size() || json[next] != ',') {
        m = TDirectoryMapping{};
        m.Error = QStringLiteral("réponse illisible (tronquée ou abîmée vers l'octet %1)").arg(next);
        return m;
      }
      if (end - start >= kBatchBytes) {
        at = next + 1;
        break;
      }
      end = next + 1;
    }
    if (elements == 0) break;
    if (m.Entries + elements > kDirectoryMaxStations) {
      m = TDirectoryMapping{};
      m.Error = QStringLiteral("la liste compte plus de %1 stations").arg(kDirectoryMaxStations);
      return m;
    }
    QByteArray batch;
    batch.reserve(end - start + 2);
    batch += '[';
    batch.append(json.constData() + start, end - start);
    batch += ']';
    QJsonParseError parseError{};
    const QJsonDocument doc = QJsonDocument::fromJson(batch, &parseError);
    if (parseError.error != QJsonParseError::NoError) {
      const qsizetype offset = start + parseError.offset - 1;
      m = TDirectoryMapping{};
      m.Error = QStringLiteral("réponse illisible (%1, octet %2)").arg(parseError.errorString()).arg(offset);
      return m;
    }
    const QJsonArray list = doc.array();
    m.Entries += int(list.size());
    for (const QJsonValue& value : list) mapOne(value);
  }
  if (!closed || SkipSpace(json, closePos + 1) != json.size()) {
    m = TDirectoryMapping{};
    m.Error = QStringLiteral("réponse illisible (données après la liste)");
    return m;
  }

  for (auto it = flagOfCountry.cbegin(); it != flagOfCountry.cend(); ++it)
    m.Countries.push_back({TextCell(it.key()), TextCell(it.value())});
  std::sort(m.Countries.begin(), m.Countries.end(), [](const TRow& a, const TRow& b) { return a[0].Text < b[0].Text; });

  // The most used tags make the genre list (a tag of one station is noise in a list).
  std::vector<std::pair<QString, int>> uses;
  uses.reserve(size_t(genreUses.size()));
  for (auto it = genreUses.cbegin(); it != genreUses.cend(); ++it) uses.emplace_back(it.key(), it.value());
  std::sort(uses.begin(), uses.end(), [](const auto& a, const auto& b) {
    return a.second != b.second ? a.second > b.second : a.first < b.first;
  });
  if (uses.size() > size_t(kDirectoryMaxGenres)) uses.resize(size_t(kDirectoryMaxGenres));
  for (const auto& [tag, count] : uses)
    if (count >= 2 || uses.size() < 50) m.Genres.push_back({TextCell(tag)});
  std::sort(m.Genres.begin(), m.Genres.end(), [](const TRow& a, const TRow& b) { return a[0].Text < b[0].Text; });
  return m;
}
